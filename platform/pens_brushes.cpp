#include "platform/pens_brushes.h"

#include <algorithm>
#include <cstring>

#include "platform/api_guard.h"
#include "platform/metafile_records.h"

namespace pyra::gdi {

namespace {
uint32_t insert(std::shared_ptr<GdiObject> o) { return HandleTable::instance().insert(std::move(o)); }
}  // namespace

int PenObject::describeA(int size, void* out) const {
  if (!out) return int(sizeof(LOGPEN));
  if (size < int(sizeof(LOGPEN))) return 0;
  LOGPEN p{style, {LONG(width), 0}, color};
  std::memcpy(out, &p, sizeof p);
  return int(sizeof p);
}

int BrushObject::describeA(int size, void* out) const {
  if (!out) return int(sizeof(LOGBRUSH));
  if (size < int(sizeof(LOGBRUSH))) return 0;
  LOGBRUSH b{style, color, hatch};
  std::memcpy(out, &b, sizeof b);
  return int(sizeof b);
}

std::shared_ptr<GdiObject> makeStockDrawingObject(int index) {
  static const COLORREF kBrushColors[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000, 0xFFFFFF};
  if (index >= 0 && index <= 5) {
    auto b = std::make_shared<BrushObject>();
    b->style = index == 5 ? mf::kBsNull : mf::kBsSolid;
    b->color = kBrushColors[index];
    b->stock_index = index;
    return b;
  }
  if (index >= 6 && index <= 8) {
    auto p = std::make_shared<PenObject>();
    p->style = index == 8 ? mf::kPsNull : mf::kPsSolid;
    p->color = index == 6 ? 0xFFFFFF : 0;
    if (index == 8) p->color = 0;
    p->width = 1;
    p->stock_index = index;
    return p;
  }
  if (index == 18) {  // DC_BRUSH: white until SetDCBrushColor
    auto b = std::make_shared<BrushObject>();
    b->color = 0xFFFFFF;
    b->stock_index = index;
    return b;
  }
  if (index == 19) {  // DC_PEN
    auto p = std::make_shared<PenObject>();
    p->stock_index = index;
    return p;
  }
  return nullptr;
}

}  // namespace pyra::gdi

using namespace pyra::gdi;

extern "C" {

HPEN CreatePen(INT style, INT width, COLORREF color) {
  return guarded(HPEN(0), [&]() -> HPEN {
    if (style < 0 || style > PS_INSIDEFRAME) return 0;
    auto p = std::make_shared<PenObject>();
    p->style = uint32_t(style);
    p->width = uint32_t(std::max(0, width));
    p->color = color & 0x00FFFFFF;
    return insert(p);
  });
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) return 0;
  return CreatePen(INT(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD style_count, const DWORD* styles) {
  return guarded(HPEN(0), [&]() -> HPEN {
    if (!brush) return 0;
    const DWORD kind = style & PS_STYLE_MASK;
    if (kind > PS_ALTERNATE) return 0;
    if ((kind == PS_USERSTYLE) != (style_count > 0)) return 0;
    if (style_count > 16 || (style_count && !styles)) return 0;
    // Cosmetic pens are one pixel wide by definition.
    if ((style & PS_TYPE_MASK) == PS_COSMETIC && width != 1) return 0;
    auto p = std::make_shared<PenObject>();
    p->style = style;
    p->width = width;
    p->color = brush->lbColor & 0x00FFFFFF;
    p->brush_style = brush->lbStyle;
    p->hatch = uint32_t(brush->lbHatch);
    p->user_styles.assign(styles, styles + style_count);
    p->extended = true;
    return insert(p);
  });
}

HBRUSH CreateSolidBrush(COLORREF color) {
  return guarded(HBRUSH(0), [&]() -> HBRUSH {
    auto b = std::make_shared<BrushObject>();
    b->style = BS_SOLID;
    b->color = color & 0x00FFFFFF;
    return insert(b);
  });
}

HBRUSH CreateHatchBrush(INT hatch, COLORREF color) {
  return guarded(HBRUSH(0), [&]() -> HBRUSH {
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return 0;
    auto b = std::make_shared<BrushObject>();
    b->style = BS_HATCHED;
    b->color = color & 0x00FFFFFF;
    b->hatch = uint32_t(hatch);
    return insert(b);
  });
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) return 0;
  switch (brush->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(brush->lbColor);
    case BS_HATCHED: return CreateHatchBrush(INT(brush->lbHatch), brush->lbColor);
    case BS_NULL:
      return guarded(HBRUSH(0), [&]() -> HBRUSH {
        auto b = std::make_shared<BrushObject>();
        b->style = BS_NULL;
        return insert(b);
      });
    default:
      return 0;  // pattern brushes need a bitmap: not supported here
  }
}

HRGN CreateRectRgn(INT left, INT top, INT right, INT bottom) {
  return guarded(HRGN(0), [&]() -> HRGN {
    auto r = std::make_shared<RegionObject>();
    r->rect = {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    return insert(r);
  });
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) return 0;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

}  // extern "C"
