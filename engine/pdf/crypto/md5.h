#pragma once
// MD5 message digest (RFC 1321). The standard security handler fixes MD5 as
// its hash for revisions 2 to 4, so it stays here rather than in a crypto
// library that may drop it from its default set.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace pyra::pdf {

class Md5 {
 public:
  using Digest = std::array<uint8_t, 16>;

  Md5();
  void update(std::span<const uint8_t> data);
  void update(std::string_view text);
  // Returns the digest and starts the object over, ready for a new message.
  Digest finish();

  static Digest digest(std::span<const uint8_t> data);

 private:
  void reset();
  void compress(const uint8_t* block);

  std::array<uint32_t, 4> state_{};
  std::array<uint8_t, 64> buffer_{};
  uint64_t length_ = 0;  // message bytes seen so far
};

}  // namespace pyra::pdf
