#include "engine/pdf/crypto/md5.h"

#include <algorithm>
#include <cstring>

namespace pyra::pdf {
namespace {

// floor(|sin(i + 1)| * 2^32), the per-step additive constants.
constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee,
    0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be,
    0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa,
    0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
    0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c,
    0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05,
    0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039,
    0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1,
    0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

constexpr uint32_t rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

Md5::Md5() { reset(); }

void Md5::reset() {
  state_ = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  length_ = 0;
}

void Md5::compress(const uint8_t* block) {
  uint32_t m[16];
  for (int i = 0; i < 16; ++i) {
    m[i] = uint32_t(block[4 * i]) | uint32_t(block[4 * i + 1]) << 8 | uint32_t(block[4 * i + 2]) << 16 |
           uint32_t(block[4 * i + 3]) << 24;
  }
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  for (int i = 0; i < 64; ++i) {
    uint32_t f;
    int g;
    switch (i >> 4) {
      case 0: f = (b & c) | (~b & d); g = i; break;
      case 1: f = (d & b) | (~d & c); g = (5 * i + 1) & 15; break;
      case 2: f = b ^ c ^ d; g = (3 * i + 5) & 15; break;
      default: f = c ^ (b | ~d); g = (7 * i) & 15; break;
    }
    const uint32_t next = b + rotl(a + f + kSine[i] + m[g], kShift[i >> 4][i & 3]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

void Md5::update(std::span<const uint8_t> data) {
  size_t used = size_t(length_ & 63);
  length_ += data.size();
  const uint8_t* p = data.data();
  size_t left = data.size();
  if (used != 0) {
    const size_t take = std::min(left, size_t(64) - used);
    std::memcpy(buffer_.data() + used, p, take);
    used += take;
    p += take;
    left -= take;
    if (used < 64) return;
    compress(buffer_.data());
  }
  for (; left >= 64; p += 64, left -= 64) compress(p);
  if (left != 0) std::memcpy(buffer_.data(), p, left);
}

void Md5::update(std::string_view text) {
  update(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

Md5::Digest Md5::finish() {
  const uint64_t bits = length_ * 8;
  // Pad with 0x80, zeros up to 56 mod 64, then the bit length low byte first.
  uint8_t tail[72] = {0x80};
  const size_t used = size_t(length_ & 63);
  const size_t pad = (used < 56 ? 56 : 120) - used;
  for (int i = 0; i < 8; ++i) tail[pad + size_t(i)] = uint8_t(bits >> (8 * i));
  update(std::span<const uint8_t>(tail, pad + 8));
  Digest out;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) out[size_t(4 * i + j)] = uint8_t(state_[size_t(i)] >> (8 * j));
  }
  reset();
  return out;
}

Md5::Digest Md5::digest(std::span<const uint8_t> data) {
  Md5 md5;
  md5.update(data);
  return md5.finish();
}

}  // namespace pyra::pdf
