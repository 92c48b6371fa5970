#include "engine/pdf/crypto/rc4.h"

#include <stdexcept>
#include <utility>

namespace pyra::pdf {

Rc4::Rc4(std::span<const uint8_t> key) {
  if (key.empty() || key.size() > 256) throw std::invalid_argument("RC4 key must have 1 to 256 bytes");
  for (size_t k = 0; k < 256; ++k) s_[k] = uint8_t(k);
  uint8_t j = 0;
  for (size_t k = 0; k < 256; ++k) {
    j = uint8_t(j + s_[k] + key[k % key.size()]);
    std::swap(s_[k], s_[j]);
  }
}

void Rc4::process(std::span<uint8_t> data) { process(data.data(), data.data(), data.size()); }

void Rc4::process(const uint8_t* in, uint8_t* out, size_t size) {
  uint8_t i = i_, j = j_;
  for (size_t n = 0; n < size; ++n) {
    i = uint8_t(i + 1);
    const uint8_t si = s_[i];
    j = uint8_t(j + si);
    const uint8_t sj = s_[j];
    s_[i] = sj;
    s_[j] = si;
    out[n] = in[n] ^ s_[uint8_t(si + sj)];
  }
  i_ = i;
  j_ = j;
}

}  // namespace pyra::pdf
