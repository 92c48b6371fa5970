#pragma once
// Exact decimal amounts for money, quantities and rates. The stored files
// hold packed decimals; binary floating point would turn 0.10 + 0.20 into
// something an invoice total must not print, so every amount is an integer
// count of the smallest unit (cents for scale 2).
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pyra::demo {

constexpr int64_t pow10(int n) {
  int64_t v = 1;
  for (int i = 0; i < n; ++i) v *= 10;
  return v;
}

// Divides with rounding to the nearest integer, halves to the even neighbour.
constexpr __int128 roundDivHalfEven(__int128 num, __int128 den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  __int128 q = num / den;
  __int128 r = num % den;
  if (r < 0) r = -r;
  const __int128 twice = 2 * r;
  if (twice > den || (twice == den && (q % 2 != 0))) q += (num < 0) ? -1 : 1;
  return q;
}

template <int Scale>
class Fixed {
 public:
  static constexpr int kScale = Scale;
  static constexpr int64_t kOne = pow10(Scale);

  constexpr Fixed() = default;
  static constexpr Fixed fromMinor(int64_t minor) {
    Fixed f;
    f.minor_ = minor;
    return f;
  }
  static constexpr Fixed fromUnits(int64_t units) { return fromMinor(units * kOne); }

  constexpr int64_t minor() const { return minor_; }
  constexpr bool isZero() const { return minor_ == 0; }

  // "12", "-3.5", ".25", "1,234.50". More decimals than the scale holds is
  // refused rather than rounded: a typed amount is never silently changed.
  static std::optional<Fixed> parse(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
      negative = text.front() == '-';
      text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    int64_t whole = 0, frac = 0;
    int frac_digits = 0, digits = 0;
    bool in_frac = false;
    for (char c : text) {
      if (c == ',' && !in_frac) continue;
      if (c == '.' && !in_frac) {
        in_frac = true;
        continue;
      }
      if (c < '0' || c > '9') return std::nullopt;
      ++digits;
      if (in_frac) {
        if (++frac_digits > Scale) return std::nullopt;
        frac = frac * 10 + (c - '0');
      } else {
        if (whole > (INT64_MAX / kOne - 9) / 10) return std::nullopt;
        whole = whole * 10 + (c - '0');
      }
    }
    if (digits == 0) return std::nullopt;
    frac *= pow10(Scale - frac_digits);
    const int64_t minor = whole * kOne + frac;
    return fromMinor(negative ? -minor : minor);
  }

  // Always Scale decimals, "." as the separator whatever the locale.
  std::string toString() const {
    const bool negative = minor_ < 0;
    uint64_t m = negative ? uint64_t(0) - uint64_t(minor_) : uint64_t(minor_);
    std::string whole = std::to_string(m / uint64_t(kOne));
    std::string out = negative ? "-" + whole : whole;
    if constexpr (Scale > 0) {
      std::string frac = std::to_string(m % uint64_t(kOne));
      out += '.';
      out.append(size_t(Scale) - frac.size(), '0');
      out += frac;
    }
    return out;
  }

  friend constexpr Fixed operator+(Fixed a, Fixed b) { return fromMinor(a.minor_ + b.minor_); }
  friend constexpr Fixed operator-(Fixed a, Fixed b) { return fromMinor(a.minor_ - b.minor_); }
  constexpr Fixed& operator+=(Fixed b) {
    minor_ += b.minor_;
    return *this;
  }
  friend constexpr auto operator<=>(Fixed, Fixed) = default;

 private:
  int64_t minor_ = 0;
};

using Money = Fixed<2>;
using Quantity = Fixed<2>;
using Rate = Fixed<4>;

// a × b rounded (halves to even) to the result's scale.
template <int R, int A, int B>
constexpr Fixed<R> multiply(Fixed<A> a, Fixed<B> b) {
  const __int128 product = __int128(a.minor()) * b.minor();
  constexpr int shift = A + B - R;
  if constexpr (shift >= 0)
    return Fixed<R>::fromMinor(int64_t(roundDivHalfEven(product, pow10(shift))));
  else
    return Fixed<R>::fromMinor(int64_t(product * pow10(-shift)));
}

// amount × percent / 100, rounded to the amount's scale.
template <int A, int P>
constexpr Fixed<A> percentOf(Fixed<A> amount, Fixed<P> percent) {
  const __int128 product = __int128(amount.minor()) * percent.minor();
  return Fixed<A>::fromMinor(int64_t(roundDivHalfEven(product, __int128(pow10(P)) * 100)));
}

}  // namespace pyra::demo
