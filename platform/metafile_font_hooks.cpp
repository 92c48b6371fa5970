#include "platform/metafile_font_hooks.h"

#include <algorithm>
#include <cstring>

#include "platform/device_context.h"
#include "platform/font_object.h"
#include "platform/pens_brushes.h"
#include "platform/stock_objects.h"
#include "pyra/gdi.h"
#include "support/checked_math.h"

namespace pyra::gdi {

namespace {
// Pixel data larger than this is not copied into a metafile record.
constexpr uint64_t kMaxBlitBytes = uint64_t(256) << 20;
}  // namespace

bool logFontOf(const GdiObject& object, EmfLogFont& out) {
  const auto* font = dynamic_cast<const FontObject*>(&object);
  if (!font) return false;
  const LOGFONTW& lf = font->logFont();
  out.height = lf.lfHeight;
  out.width = lf.lfWidth;
  out.escapement = lf.lfEscapement;
  out.orientation = lf.lfOrientation;
  out.weight = lf.lfWeight;
  out.italic = lf.lfItalic;
  out.underline = lf.lfUnderline;
  out.strike_out = lf.lfStrikeOut;
  out.char_set = lf.lfCharSet;
  out.out_precision = lf.lfOutPrecision;
  out.clip_precision = lf.lfClipPrecision;
  out.quality = lf.lfQuality;
  out.pitch_and_family = lf.lfPitchAndFamily;
  out.face.clear();
  for (size_t i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i) out.face.push_back(char16_t(lf.lfFaceName[i]));
  return true;
}

bool advanceWidthsW(DeviceContext& dc, std::u16string_view text, std::vector<int32_t>& out) {
  try {
    auto font = selectedFont(dc);
    if (!font) return false;
    out.clear();
    out.reserve(text.size());
    for (char16_t u : text) {
      INT w = 0;
      if (!font->charWidthsW(u, u, &w)) return false;
      out.push_back(w);
    }
    return true;
  } catch (...) {
    return false;  // no face could be opened: the caller guesses
  }
}

uint8_t selectedCharset(DeviceContext& dc) {
  try {
    auto font = selectedFont(dc);
    if (!font) return 0;
    const uint8_t asked = font->logFont().lfCharSet;
    return asked == DEFAULT_CHARSET ? uint8_t(font->charset()) : asked;
  } catch (...) {
    return 0;
  }
}

int32_t selectedFontHeight(DeviceContext& dc) {
  auto font = selectedFont(dc);
  return font ? font->logFont().lfHeight : 0;
}

int stockIndexOf(uint32_t handle, const GdiObject& object) {
  if (const PenObject* p = asPen(object)) return p->stock_index;
  if (const BrushObject* b = asBrush(object)) return b->stock_index;
  if (!object.isStock()) return -1;
  for (int i = 0; i <= DC_PEN; ++i)
    if (i != 9 && stockObject(i) == handle) return i;
  return -1;
}

bool selectedBitmapDib(uint32_t source_dc, std::vector<uint8_t>& bmi, std::vector<uint8_t>& bits) {
  auto dc = HandleTable::instance().findAs<DeviceContext>(source_dc, ObjectKind::Dc);
  if (!dc || !dc->bitmap) return false;
  // Ask for 24-bit rows whatever the bitmap holds: every depth converts to
  // it and readers of the record need no palette.
  BITMAPINFOHEADER probe{};
  probe.biSize = sizeof probe;
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
  } info{};
  info.h.biSize = sizeof(BITMAPINFOHEADER);
  if (GetDIBits(source_dc, dc->bitmap, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) <= 0)
    return false;
  const int32_t width = info.h.biWidth, height = std::abs(info.h.biHeight);
  if (width <= 0 || height <= 0) return false;
  auto stride = support::dibStride(uint64_t(width), 24);
  auto total = stride ? support::checkedMul(*stride, uint64_t(height)) : std::nullopt;
  if (!total || *total > kMaxBlitBytes) return false;
  info.h.biBitCount = 24;
  info.h.biCompression = 0;
  info.h.biHeight = height;  // bottom-up
  info.h.biClrUsed = 0;
  info.h.biSizeImage = DWORD(*total);
  bits.assign(size_t(*total), 0);
  if (GetDIBits(source_dc, dc->bitmap, 0, UINT(height), bits.data(), reinterpret_cast<BITMAPINFO*>(&info),
                DIB_RGB_COLORS) != height)
    return false;
  bmi.resize(sizeof(BITMAPINFOHEADER));
  std::memcpy(bmi.data(), &info.h, sizeof(BITMAPINFOHEADER));
  return true;
}

uint32_t stockHandle(int index) { return stockObject(index); }

}  // namespace pyra::gdi
