#pragma once
// RC4 stream cipher, used by the standard security handler's revisions 2
// and 3. Kept in-house because current crypto libraries hide it behind a
// legacy provider that is not always loaded.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace pyra::pdf {

class Rc4 {
 public:
  // Key of 1 to 256 bytes; anything else throws std::invalid_argument.
  explicit Rc4(std::span<const uint8_t> key);

  // XORs the key stream into the data; successive calls continue the stream,
  // so a buffer may be fed in pieces.
  void process(std::span<uint8_t> data);
  void process(const uint8_t* in, uint8_t* out, size_t size);

 private:
  std::array<uint8_t, 256> s_{};
  uint8_t i_ = 0;
  uint8_t j_ = 0;
};

}  // namespace pyra::pdf
