#include "engine/images/image_placement.h"

#include <charconv>
#include <cmath>

namespace pyra::images {

std::string formatCoord(double value, int decimals) {
  if (!std::isfinite(value)) value = 0;
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  std::string s(buf, res.ptr);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  if (s == "-0") s = "0";
  return s;
}

std::string placementOperators(int number, double x, double y, double w, double h, const PlacementFrame& frame) {
  if (number <= 0 || std::fabs(w) < 0.01 || std::fabs(h) < 0.01) return {};
  if (frame.y_up) h = -h;
  double ty = frame.y_origin - y - h;
  if (frame.divisor != 0 && frame.divisor != 1) {
    w /= frame.divisor;
    h /= frame.divisor;
    x /= frame.divisor;
    ty /= frame.divisor;
  }
  return "q " + formatCoord(w) + " 0 0 " + formatCoord(h) + " " + formatCoord(x) + " " + formatCoord(ty) +
         " cm /pxo" + std::to_string(number) + " Do Q\n";
}

}  // namespace pyra::images
