#include "platform/stock_objects.h"

#include <cstring>

#include "platform/bitmap_object.h"
#include "platform/font_object.h"

namespace pyra::gdi {

__attribute__((weak)) std::shared_ptr<GdiObject> makeStockDrawingObject(int) { return nullptr; }

namespace {

std::shared_ptr<GdiObject> makeStockFont(LONG height, LONG weight, BYTE charset, BYTE pitch_family,
                                         const char16_t* face) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfCharSet = charset;
  lf.lfPitchAndFamily = pitch_family;
  for (int i = 0; face[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  return std::make_shared<FontObject>(lf);
}

std::shared_ptr<GdiObject> makeStock(int index) {
  switch (index) {
    case OEM_FIXED_FONT: return makeStockFont(12, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN, u"Terminal");
    case ANSI_FIXED_FONT: return makeStockFont(13, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, u"Courier New");
    case ANSI_VAR_FONT: return makeStockFont(13, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, u"MS Sans Serif");
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT: return makeStockFont(16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, u"System");
    case SYSTEM_FIXED_FONT: return makeStockFont(15, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, u"Fixedsys");
    case DEFAULT_GUI_FONT: return makeStockFont(-11, FW_NORMAL, DEFAULT_CHARSET, VARIABLE_PITCH | FF_SWISS, u"MS Shell Dlg");
    case kStockDefaultBitmap: return BitmapObject::makeDeviceBitmap(1, 1, 1, nullptr);
    default: return makeStockDrawingObject(index);
  }
}

}  // namespace

HGDIOBJ stockObject(int index) {
  if (index < 0 || index >= HandleTable::kStockSlots || index == 9 || (index > DC_PEN && index != kStockDefaultBitmap))
    return 0;
  return HandleTable::instance().stock(index, [index] { return makeStock(index); });
}

HGDIOBJ defaultObjectFor(ObjectKind kind) {
  switch (kind) {
    case ObjectKind::Font: return stockObject(SYSTEM_FONT);
    case ObjectKind::Pen: return stockObject(BLACK_PEN);
    case ObjectKind::Brush: return stockObject(WHITE_BRUSH);
    case ObjectKind::Bitmap: return stockObject(kStockDefaultBitmap);
    case ObjectKind::Palette: return stockObject(DEFAULT_PALETTE);
    default: return 0;
  }
}

}  // namespace pyra::gdi
