#include "engine/pdf/crypto/password_hash.h"

#include <algorithm>
#include <stdexcept>
#include <vector>

#include "engine/pdf/crypto/openssl_primitives.h"

namespace pyra::pdf {

std::array<uint8_t, 32> hashR6Password(std::span<const uint8_t> password, std::span<const uint8_t> salt,
                                       std::span<const uint8_t> user_data) {
  if (salt.size() != 8) throw std::invalid_argument("password salt must have 8 bytes");
  std::vector<uint8_t> input(password.begin(), password.end());
  input.insert(input.end(), salt.begin(), salt.end());
  input.insert(input.end(), user_data.begin(), user_data.end());
  std::vector<uint8_t> k = openssl::sha(openssl::Sha::k256, input);

  std::vector<uint8_t> k1;
  for (int round = 1;; ++round) {
    const size_t unit = password.size() + k.size() + user_data.size();
    k1.clear();
    k1.reserve(unit * 64);
    for (int i = 0; i < 64; ++i) {
      k1.insert(k1.end(), password.begin(), password.end());
      k1.insert(k1.end(), k.begin(), k.end());
      k1.insert(k1.end(), user_data.begin(), user_data.end());
    }
    const std::vector<uint8_t> e = openssl::aesCbcEncrypt(std::span(k).first(16), std::span(k).subspan(16, 16), k1,
                                                          /*pkcs7_padding=*/false);
    // The first 16 bytes of E as a big number mod 3 equal the sum of its
    // bytes mod 3, since 256 = 1 (mod 3).
    unsigned sum = 0;
    for (size_t i = 0; i < 16; ++i) sum += e[i];
    const openssl::Sha next[3] = {openssl::Sha::k256, openssl::Sha::k384, openssl::Sha::k512};
    k = openssl::sha(next[sum % 3], e);
    if (round >= 64 && int(e.back()) <= round - 32) break;
  }
  std::array<uint8_t, 32> out;
  std::copy_n(k.begin(), 32, out.begin());
  return out;
}

}  // namespace pyra::pdf
