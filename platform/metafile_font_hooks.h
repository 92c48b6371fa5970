#pragma once
// What the metafile recorders need to know about fonts and stock objects,
// kept behind these few calls so the recorders do not depend on how fonts
// are resolved.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/emf_record_emit.h"
#include "platform/handle_table.h"

namespace pyra::gdi {

class DeviceContext;

// The logical font of a font object; false when `object` is not a font.
bool logFontOf(const GdiObject& object, EmfLogFont& out);
// Advance widths (logical units) of each UTF-16 unit in the DC's selected
// font; false when no width source is available.
bool advanceWidthsW(DeviceContext& dc, std::u16string_view text, std::vector<int32_t>& out);
// The character set of the DC's selected font (ANSI_CHARSET without one).
uint8_t selectedCharset(DeviceContext& dc);
// The cell height of the DC's selected font in logical units, 0 when unknown.
int32_t selectedFontHeight(DeviceContext& dc);
// The GetStockObject number of a stock object, -1 for other objects.
int stockIndexOf(uint32_t handle, const GdiObject& object);

}  // namespace pyra::gdi

namespace pyra::gdi {
// The pixels of the bitmap selected into a memory DC as a packed DIB
// (header and colours in bmi, rows in bits); false when there are none.
bool selectedBitmapDib(uint32_t source_dc, std::vector<uint8_t>& bmi, std::vector<uint8_t>& bits);
// The handle of stock object `index`, 0 when there is none.
uint32_t stockHandle(int index);
}  // namespace pyra::gdi
