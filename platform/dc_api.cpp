// The exported device-context and generic object calls.
#include <cmath>

#include "platform/api_guard.h"
#include "platform/bitmap_object.h"
#include "platform/device_context.h"
#include "platform/font_object.h"
#include "platform/stock_objects.h"

using namespace pyra::gdi;

namespace {

std::shared_ptr<DeviceContext> findDc(HDC hdc) {
  return HandleTable::instance().findAs<DeviceContext>(hdc, ObjectKind::Dc);
}

HGDIOBJ* slotFor(DeviceContext& dc, ObjectKind kind) {
  switch (kind) {
    case ObjectKind::Font: return &dc.font;
    case ObjectKind::Pen: return &dc.pen;
    case ObjectKind::Brush: return &dc.brush;
    case ObjectKind::Bitmap: return &dc.bitmap;
    case ObjectKind::Palette: return &dc.palette;
    default: return nullptr;
  }
}

void releaseSelection(HGDIOBJ handle, HDC from) {
  if (!handle) return;
  auto old = HandleTable::instance().find(handle);
  if (!old) return;
  old->removeSelection();
  if (old->kind() == ObjectKind::Bitmap) {
    uint32_t expected = from;
    static_cast<BitmapObject&>(*old).selected_dc.compare_exchange_strong(expected, 0);
  }
}

HGDIOBJ selectObject(HDC hdc, HGDIOBJ h) {
  auto dc = findDc(hdc);
  auto object = HandleTable::instance().find(h);
  if (!dc || !object) return 0;
  if (object->kind() == ObjectKind::Region) {
    // The clip itself is the recorder's business; the result is the region
    // type, as for SelectClipRgn.
    if (dc->recorder) dc->recorder->objectSelected(h, *object);
    return 2;  // SIMPLEREGION
  }
  HGDIOBJ* slot = slotFor(*dc, object->kind());
  if (!slot) return 0;
  if (*slot == h) {
    if (dc->recorder) dc->recorder->objectSelected(h, *object);
    return h;
  }
  if (object->kind() == ObjectKind::Bitmap) {
    if (dc->type() != DeviceContext::Type::Memory) return 0;
    auto& bitmap = static_cast<BitmapObject&>(*object);
    uint32_t expected = 0;
    if (!bitmap.isStock() && !bitmap.selected_dc.compare_exchange_strong(expected, hdc)) return 0;
  }
  object->addSelection();
  HGDIOBJ previous = *slot;
  *slot = h;
  releaseSelection(previous, hdc);
  if (dc->recorder) dc->recorder->objectSelected(h, *object);
  return previous ? previous : defaultObjectFor(object->kind());
}

HDC newDc(DeviceContext::Type type) {
  auto dc = std::make_shared<DeviceContext>(type);
  return HandleTable::instance().insert(std::move(dc));
}

BOOL deleteDc(HDC hdc, bool screen_only) {
  auto dc = findDc(hdc);
  if (!dc) return FALSE;
  if (screen_only && dc->type() != DeviceContext::Type::Screen) return FALSE;
  if (!HandleTable::instance().erase(hdc)) return FALSE;
  for (HGDIOBJ* slot : {&dc->font, &dc->pen, &dc->brush, &dc->bitmap, &dc->palette}) {
    releaseSelection(*slot, hdc);
    *slot = 0;
  }
  return TRUE;
}

}  // namespace

extern "C" {

PYRA_GDI_API HDC GetDC(HWND hWnd) {
  return guarded<HDC>(0, [&]() -> HDC { return hWnd == 0 ? newDc(DeviceContext::Type::Screen) : 0; });
}

PYRA_GDI_API INT ReleaseDC(HWND hWnd, HDC hDC) {
  return guarded<INT>(0, [&]() -> INT { return hWnd == 0 ? deleteDc(hDC, true) : 0; });
}

PYRA_GDI_API HDC CreateCompatibleDC(HDC hdc) {
  return guarded<HDC>(0, [&]() -> HDC {
    std::shared_ptr<DeviceContext> source;
    if (hdc != 0 && !(source = findDc(hdc))) return 0;
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Type::Memory);
    if (source) {
      dc->dpi_x = source->dpi_x;
      dc->dpi_y = source->dpi_y;
    }
    return HandleTable::instance().insert(std::move(dc));
  });
}

PYRA_GDI_API BOOL DeleteDC(HDC hdc) {
  return guarded<BOOL>(FALSE, [&] { return deleteDc(hdc, false); });
}

PYRA_GDI_API INT GetDeviceCaps(HDC hdc, INT index) {
  return guarded<INT>(0, [&]() -> INT {
    auto dc = findDc(hdc);
    if (!dc) return 0;
    const bool metafile = dc->type() == DeviceContext::Type::EnhMetafile || dc->type() == DeviceContext::Type::Metafile;
    switch (index) {
      case LOGPIXELSX: return dc->dpi_x;
      case LOGPIXELSY: return dc->dpi_y;
      case HORZRES: case PHYSICALWIDTH: return dc->horz_res;
      case VERTRES: case PHYSICALHEIGHT: return dc->vert_res;
      case HORZSIZE: return dc->dpi_x > 0 ? INT(std::lround(dc->horz_res * 25.4 / dc->dpi_x)) : 0;
      case VERTSIZE: return dc->dpi_y > 0 ? INT(std::lround(dc->vert_res * 25.4 / dc->dpi_y)) : 0;
      case BITSPIXEL: return dc->bits_pixel;
      case PLANES: return 1;
      case NUMCOLORS: return dc->bits_pixel > 8 ? -1 : 1 << dc->bits_pixel;
      case TECHNOLOGY: return metafile ? DT_METAFILE : DT_RASDISPLAY;
      case RASTERCAPS: return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHDIB;
      case PHYSICALOFFSETX: case PHYSICALOFFSETY: case SIZEPALETTE: return 0;
      default: return 0;
    }
  });
}

PYRA_GDI_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
  return guarded<HGDIOBJ>(0, [&] { return selectObject(hdc, h); });
}

PYRA_GDI_API BOOL DeleteObject(HGDIOBJ ho) {
  return guarded<BOOL>(FALSE, [&]() -> BOOL {
    auto object = HandleTable::instance().find(ho);
    if (!object) return FALSE;
    if (object->isStock()) return TRUE;
    switch (object->kind()) {
      case ObjectKind::Font: case ObjectKind::Pen: case ObjectKind::Brush: case ObjectKind::Bitmap:
      case ObjectKind::Region: case ObjectKind::Palette:
        break;
      default:
        return FALSE;  // DCs, metafiles and memory blocks have calls of their own
    }
    if (object->selections() > 0) return FALSE;
    return HandleTable::instance().erase(ho) ? TRUE : FALSE;
  });
}

PYRA_GDI_API HGDIOBJ GetStockObject(INT i) {
  return guarded<HGDIOBJ>(0, [&]() -> HGDIOBJ { return i == kStockDefaultBitmap ? 0 : stockObject(i); });
}

PYRA_GDI_API HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  return guarded<HGDIOBJ>(0, [&]() -> HGDIOBJ {
    auto dc = findDc(hdc);
    if (!dc) return 0;
    ObjectKind kind;
    switch (type) {
      case OBJ_FONT: kind = ObjectKind::Font; break;
      case OBJ_PEN: kind = ObjectKind::Pen; break;
      case OBJ_BRUSH: kind = ObjectKind::Brush; break;
      case OBJ_BITMAP: kind = ObjectKind::Bitmap; break;
      case OBJ_PAL: kind = ObjectKind::Palette; break;
      default: return 0;
    }
    HGDIOBJ h = *slotFor(*dc, kind);
    return h ? h : defaultObjectFor(kind);
  });
}

PYRA_GDI_API DWORD GetObjectType(HGDIOBJ h) {
  return guarded<DWORD>(0, [&]() -> DWORD {
    auto object = HandleTable::instance().find(h);
    if (!object) return 0;
    switch (object->kind()) {
      case ObjectKind::Dc:
        switch (static_cast<DeviceContext&>(*object).type()) {
          case DeviceContext::Type::Memory: return OBJ_MEMDC;
          case DeviceContext::Type::EnhMetafile: return OBJ_ENHMETADC;
          case DeviceContext::Type::Metafile: return OBJ_METADC;
          default: return OBJ_DC;
        }
      case ObjectKind::Font: return OBJ_FONT;
      case ObjectKind::Pen: return OBJ_PEN;
      case ObjectKind::Brush: return OBJ_BRUSH;
      case ObjectKind::Bitmap: return OBJ_BITMAP;
      case ObjectKind::Region: return OBJ_REGION;
      case ObjectKind::Palette: return OBJ_PAL;
      case ObjectKind::EnhMetafile: return OBJ_ENHMETAFILE;
      case ObjectKind::Metafile: return OBJ_METAFILE;
      default: return 0;
    }
  });
}

PYRA_GDI_API INT GetObjectA(HGDIOBJ h, INT c, LPVOID pv) {
  return guarded<INT>(0, [&]() -> INT {
    auto object = HandleTable::instance().find(h);
    if (!object || (pv && c <= 0)) return 0;
    return object->describeA(c, pv);
  });
}

PYRA_GDI_API INT GetObjectW(HGDIOBJ h, INT c, LPVOID pv) {
  return guarded<INT>(0, [&]() -> INT {
    auto object = HandleTable::instance().find(h);
    if (!object || (pv && c <= 0)) return 0;
    if (object->kind() == ObjectKind::Font) return static_cast<FontObject&>(*object).describeW(c, pv);
    return object->describeA(c, pv);
  });
}

}  // extern "C"
