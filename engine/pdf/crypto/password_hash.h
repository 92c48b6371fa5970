#pragma once
// The iterated password hash of the AES-256 security handler (revision 6):
// SHA-256 first, then at least 64 rounds that re-encrypt the running value
// with AES-128 and pick SHA-256, -384 or -512 from the result.
#include <array>
#include <cstdint>
#include <span>

namespace pyra::pdf {

// `password` is the UTF-8 password already cut to 127 bytes, `salt` the
// 8-byte validation or key salt, `user_data` empty for the user password and
// the 48-byte /U value for the owner password.
std::array<uint8_t, 32> hashR6Password(std::span<const uint8_t> password, std::span<const uint8_t> salt,
                                       std::span<const uint8_t> user_data);

}  // namespace pyra::pdf
