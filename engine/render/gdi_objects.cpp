#include "engine/render/gdi_objects.h"

namespace pyra::render {

std::string TPxBasicGDIObject::text() const {
  static const char* kNames[] = {"TPxBasicGDIObject", "TPxDvFont", "TPxDvBrush", "TPxDvPen", "TPxDvPalette"};
  return std::string(kNames[int(kind_)]) + "[" + std::to_string(serial_) + "]";
}

std::string TPxDvFont::text() const { return TPxBasicGDIObject::text() + " height:" + std::to_string(logfont.height); }

std::string TPxDvBrush::text() const {
  return TPxBasicGDIObject::text() + " style:" + std::to_string(style) + " color:" + std::to_string(color);
}

std::string TPxDvPen::text() const {
  return TPxBasicGDIObject::text() + " style:" + std::to_string(style) + " color:" + std::to_string(color) +
         " width:" + std::to_string(width);
}

TPxGenericDeviceObjects::TPxGenericDeviceObjects() {
  add(std::make_unique<TPxBasicGDIObject>(GdiKind::None));
  auto brush = [&](uint8_t style, uint32_t color) {
    auto b = std::make_unique<TPxDvBrush>();
    b->style = style;
    b->color = color;
    return add(std::move(b));
  };
  auto pen = [&](uint8_t style, uint32_t color) {
    auto p = std::make_unique<TPxDvPen>();
    p->style = style;
    p->color = color;
    p->width = 1;
    return add(std::move(p));
  };
  // Stock objects in the Windows numbering: WHITE_BRUSH .. NULL_BRUSH,
  // WHITE_PEN, BLACK_PEN, NULL_PEN; every stock font is one Arial.
  stock_[0] = brush(0, 0xFFFFFF);
  stock_[1] = brush(0, 0xC0C0C0);
  stock_[2] = brush(0, 0x808080);
  stock_[3] = brush(0, 0x404040);
  stock_[4] = brush(0, 0);
  stock_[5] = brush(1, 0xFFFFFF);
  stock_[6] = pen(0, 0xFFFFFF);
  stock_[7] = pen(0, 0);
  stock_[8] = pen(5, 0xFFFFFF);
  auto font = std::make_unique<TPxDvFont>();
  font->logfont.height = -10;
  font->face = "Arial";
  int32_t f = add(std::move(font));
  for (int n : {10, 11, 12, 13, 14, 16, 17}) stock_[n] = f;
  stock_[9] = stock_[15] = 0;
  permanent_ = objects_.size();
}

int32_t TPxGenericDeviceObjects::add(std::unique_ptr<TPxBasicGDIObject> object) {
  object->serial_ = ++serial_;
  int32_t index;
  if (!free_.empty()) {
    index = free_.back();
    free_.pop_back();
    objects_[size_t(index)] = std::move(object);
  } else {
    index = int32_t(objects_.size());
    objects_.push_back(std::move(object));
  }
  objects_[size_t(index)]->index_ = index;
  return index;
}

TPxBasicGDIObject& TPxGenericDeviceObjects::createObject(GdiKind kind) {
  std::unique_ptr<TPxBasicGDIObject> o;
  switch (kind) {
    case GdiKind::None: o = std::make_unique<TPxBasicGDIObject>(GdiKind::None); break;
    case GdiKind::Font: o = std::make_unique<TPxDvFont>(); break;
    case GdiKind::Brush: o = std::make_unique<TPxDvBrush>(); break;
    case GdiKind::Pen: o = std::make_unique<TPxDvPen>(); break;
    case GdiKind::Palette: o = std::make_unique<TPxDvPalette>(); break;
  }
  return *objects_[size_t(add(std::move(o)))];
}

void TPxGenericDeviceObjects::deleteObject(int32_t) {
  // Nothing is freed while a playback may still refer to the object; the
  // handle's map entry is overwritten by the next creation instead.
}

TPxBasicGDIObject& TPxGenericDeviceObjects::objectAt(int32_t index) {
  if (index <= 0 || size_t(index) >= objects_.size() || !objects_[size_t(index)]) return *objects_[0];
  return *objects_[size_t(index)];
}

int32_t TPxGenericDeviceObjects::stockObject(uint32_t n) const { return n < 18 ? stock_[n] : 0; }

void TPxGenericDeviceObjects::clearObjects() {
  objects_.resize(permanent_);
  free_.clear();
}

}  // namespace pyra::render
