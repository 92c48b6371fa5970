#include "engine/render/number_format.h"

#include <charconv>
#include <cmath>

namespace pyra::render {

char* formatFixed(char* out, double v, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > kMaxDecimals) decimals = kMaxDecimals;
  if (std::isnan(v)) v = 0.0;
  if (v > kMaxMagnitude) v = kMaxMagnitude;
  if (v < -kMaxMagnitude) v = -kMaxMagnitude;
  auto [end, ec] = std::to_chars(out, out + kMaxNumberChars, v, std::chars_format::fixed, decimals);
  if (ec != std::errc{}) {  // cannot happen within the clamp; stay valid anyway
    *out = '0';
    return out + 1;
  }
  // A value that rounds to zero keeps its sign in to_chars ("-0.000").
  if (*out == '-') {
    bool all_zero = true;
    for (char* p = out + 1; p < end; ++p)
      if (*p != '0' && *p != '.') {
        all_zero = false;
        break;
      }
    if (all_zero) {
      for (char* p = out; p + 1 < end; ++p) *p = p[1];
      --end;
    }
  }
  return end;
}

char* formatInt(char* out, int64_t v) {
  return std::to_chars(out, out + 20, v).ptr;
}

}  // namespace pyra::render
