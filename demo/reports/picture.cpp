#include "demo/reports/picture.h"

#include <cmath>

namespace pyra::reports {

namespace {

struct Rgb {
  uint8_t r, g, b;
};

Rgb fromColour(uint32_t c) { return {uint8_t(c & 0xFF), uint8_t((c >> 8) & 0xFF), uint8_t((c >> 16) & 0xFF)}; }

Picture blank(int32_t w, int32_t h) {
  Picture p;
  p.width = w;
  p.height = h;
  const size_t stride = (size_t(w) * 3 + 3) & ~size_t(3);
  p.bits.assign(stride * size_t(h), 0xFF);
  return p;
}

// (x, y) counted from the top row, as the picture is seen.
void put(Picture& p, int32_t x, int32_t y, Rgb c) {
  const size_t stride = (size_t(p.width) * 3 + 3) & ~size_t(3);
  uint8_t* px = p.bits.data() + size_t(p.height - 1 - y) * stride + size_t(x) * 3;
  px[0] = c.b;
  px[1] = c.g;
  px[2] = c.r;
}

Rgb mix(Rgb a, Rgb b, double t) {
  auto m = [t](uint8_t x, uint8_t y) { return uint8_t(std::lround(x + (y - x) * t)); };
  return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

}  // namespace

Picture makeEmblem(int32_t size, uint32_t colour) {
  if (size < 4) size = 4;
  Picture p = blank(size, size);
  const Rgb ink = fromColour(colour);
  const Rgb ground{236, 240, 246};
  const double c = (size - 1) / 2.0;
  for (int32_t y = 0; y < size; ++y) {
    for (int32_t x = 0; x < size; ++x) {
      const double r = std::hypot(x - c, y - c) / c;
      Rgb px = ground;
      if (r < 0.92) px = mix(ink, Rgb{255, 255, 255}, 0.35 * (y / double(size)));
      if (r > 0.62 && r < 0.74) px = Rgb{255, 255, 255};
      if (r < 0.3) px = mix(ink, Rgb{0, 0, 0}, 0.3);
      put(p, x, y, px);
    }
  }
  return p;
}

Picture makeProductPicture(std::string_view name, int32_t size) {
  if (size < 8) size = 8;
  uint32_t h = 2166136261u;  // FNV-1a: a stable colour per name
  for (char ch : name) h = (h ^ uint8_t(ch)) * 16777619u;
  const Rgb box{uint8_t(90 + (h & 0x7F)), uint8_t(90 + ((h >> 8) & 0x7F)), uint8_t(90 + ((h >> 16) & 0x7F))};
  const Rgb shade = mix(box, Rgb{0, 0, 0}, 0.35);
  const Rgb tape{230, 205, 140};
  Picture p = blank(size, size);
  const int32_t lo = size / 8, hi = size - size / 8;
  const int32_t lid = size / 3;
  for (int32_t y = lo; y < hi; ++y) {
    for (int32_t x = lo; x < hi; ++x) {
      Rgb px = y < lid ? mix(box, Rgb{255, 255, 255}, 0.25) : (x > size / 2 ? shade : box);
      if (std::abs(x - size / 2) < size / 14 + 1) px = tape;
      put(p, x, y, px);
    }
  }
  return p;
}

}  // namespace pyra::reports
