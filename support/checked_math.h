#pragma once
// Size arithmetic for readers of untrusted bytes: every product or sum that
// sizes an allocation goes through here, so an overflow becomes an error
// instead of a short buffer.
#include <cstdint>
#include <limits>
#include <optional>

namespace pyra::support {

inline std::optional<uint64_t> checkedMul(uint64_t a, uint64_t b) {
  uint64_t r;
  if (__builtin_mul_overflow(a, b, &r)) return std::nullopt;
  return r;
}

inline std::optional<uint64_t> checkedAdd(uint64_t a, uint64_t b) {
  uint64_t r;
  if (__builtin_add_overflow(a, b, &r)) return std::nullopt;
  return r;
}

// Bytes in one row of a DIB: bits rounded up to whole 32-bit words.
inline std::optional<uint64_t> dibStride(uint64_t width, uint64_t bits_per_pixel) {
  auto bits = checkedMul(width, bits_per_pixel);
  if (!bits || *bits > std::numeric_limits<uint64_t>::max() - 31) return std::nullopt;
  return ((*bits + 31) / 32) * 4;
}

}  // namespace pyra::support
