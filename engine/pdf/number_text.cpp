#include "engine/pdf/number_text.h"

#include <charconv>
#include <algorithm>
#include <cmath>

#include "engine/pdf/error.h"

namespace pyra::pdf {

namespace {

void requireFinite(double value) {
  if (!std::isfinite(value)) throw Error("non-finite number in PDF output");
}

}  // namespace

std::string fixedText(double value, int decimals) {
  requireFinite(value);
  if (decimals < 0) decimals = 0;
  if (decimals > 9) decimals = 9;
  char buf[400];
  auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  std::string s(buf, res.ptr);
  // "-0.000" reads as zero everywhere, but some validators flag a signed zero.
  if (!s.empty() && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  return s;
}

std::string numberText(double value) {
  requireFinite(value);
  if (value == 0) return "0";
  if (value == 1) return "1";
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    char buf[32];
    auto res = std::to_chars(buf, buf + sizeof buf, static_cast<long long>(value));
    return std::string(buf, res.ptr);
  }
  // Seven significant digits, but never fewer than zero or more than three
  // decimals; the text always shows three.
  int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
  int decimals = std::clamp(6 - exponent, 0, 3);
  std::string s = fixedText(value, decimals);
  if (decimals == 0) s += ".";
  for (int i = decimals; i < 3; ++i) s += '0';
  return s;
}

std::string hexString(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string s;
  s.reserve(bytes.size() * 2 + 2);
  s += '<';
  for (uint8_t b : bytes) {
    s += kDigits[b >> 4];
    s += kDigits[b & 15];
  }
  s += '>';
  return s;
}

std::string hexString(const std::string& bytes) {
  return hexString(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace pyra::pdf
