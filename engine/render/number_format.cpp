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
  // Most numbers fit an integer once scaled: format those with integer
  // arithmetic, which is several times faster than a general conversion.
  static constexpr double kPow10[kMaxDecimals + 1] = {1e0, 1e1, 1e2, 1e3, 1e4,  1e5, 1e6,
                                                      1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
  const double scaled = v * kPow10[decimals];
  if (scaled > -9.0e15 && scaled < 9.0e15) {
    // Nearest, ties to even, in the default rounding mode.
    const int64_t n = int64_t(std::nearbyint(scaled));
    uint64_t u = n < 0 ? uint64_t(-n) : uint64_t(n);
    if (n < 0) *out++ = '-';
    char digits[24];
    int len = 0;
    do {
      digits[len++] = char('0' + u % 10);
      u /= 10;
    } while (u);
    while (len < decimals + 1) digits[len++] = '0';
    for (int i = len - 1; i >= decimals; --i) *out++ = digits[i];
    if (decimals) {
      *out++ = '.';
      for (int i = decimals - 1; i >= 0; --i) *out++ = digits[i];
    }
    return out;
  }
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
