#include "demo/reports/report_layout.h"

#include <utility>

namespace pyra::reports {

Element text(Rect box, std::string literal, FontSpec font, Align align) {
  Element e;
  e.kind = Element::Kind::Text;
  e.box = box;
  e.text = std::move(literal);
  e.font = std::move(font);
  e.align = align;
  return e;
}

Element field(Rect box, std::string name, FontSpec font, Align align) {
  Element e = text(box, {}, std::move(font), align);
  e.field = std::move(name);
  return e;
}

Element labelled(Rect box, std::string label, std::string name, FontSpec font, Align align) {
  Element e = text(box, std::move(label), std::move(font), align);
  e.field = std::move(name);
  return e;
}

Element line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t pen) {
  Element e;
  e.kind = Element::Kind::Line;
  e.box = {x1, y1, x2 - x1, y2 - y1};
  e.pen = pen;
  return e;
}

Element frame(Rect box, int32_t pen, uint32_t fill) {
  Element e;
  e.kind = Element::Kind::Box;
  e.box = box;
  e.pen = pen;
  e.fill = fill;
  return e;
}

Element picture(Rect box, std::shared_ptr<const Picture> picture) {
  Element e;
  e.kind = Element::Kind::Picture;
  e.box = box;
  e.picture = std::move(picture);
  return e;
}

}  // namespace pyra::reports
