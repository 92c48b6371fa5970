#include "platform/metafile_font_hooks.h"

#include "platform/device_context.h"
#include "platform/pens_brushes.h"

namespace pyra::gdi {

bool logFontOf(const GdiObject& object, EmfLogFont& out) { return false; }

bool advanceWidthsW(DeviceContext& dc, std::u16string_view text, std::vector<int32_t>& out) { return false; }

uint8_t selectedCharset(DeviceContext& dc) { return 0; }

int32_t selectedFontHeight(DeviceContext& dc) { return 0; }

int stockIndexOf(uint32_t handle, const GdiObject& object) {
  if (object.kind() == ObjectKind::Pen) return static_cast<const PenObject&>(object).stock_index;
  if (object.kind() == ObjectKind::Brush) return static_cast<const BrushObject&>(object).stock_index;
  return -1;
}

}  // namespace pyra::gdi

namespace pyra::gdi {
bool selectedBitmapDib(uint32_t source_dc, std::vector<uint8_t>& bmi, std::vector<uint8_t>& bits) { return false; }
uint32_t stockHandle(int index) { return 0; }
}  // namespace pyra::gdi
