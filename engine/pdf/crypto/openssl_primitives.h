#pragma once
// The few OpenSSL services the AES revisions of the standard security handler
// need, behind plain byte-vector calls so no OpenSSL type leaks into callers.
// Every failure throws std::runtime_error.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pyra::pdf::openssl {

enum class Sha { k256, k384, k512 };

std::vector<uint8_t> sha(Sha kind, std::span<const uint8_t> data);

// AES in CBC mode; the key size (16 or 32 bytes) selects AES-128 or AES-256.
// With padding off the data must be a multiple of 16 bytes.
std::vector<uint8_t> aesCbcEncrypt(std::span<const uint8_t> key, std::span<const uint8_t> iv,
                                   std::span<const uint8_t> data, bool pkcs7_padding);
std::vector<uint8_t> aesCbcDecrypt(std::span<const uint8_t> key, std::span<const uint8_t> iv,
                                   std::span<const uint8_t> data, bool pkcs7_padding);
// One block of AES-256 in ECB mode (the /Perms value).
std::vector<uint8_t> aes256EcbBlock(std::span<const uint8_t> key, std::span<const uint8_t> block);

// Bytes from the system's cryptographic generator.
void randomBytes(std::span<uint8_t> out);

}  // namespace pyra::pdf::openssl
