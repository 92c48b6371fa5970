#include "engine/pdf/crypto/openssl_primitives.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <stdexcept>

namespace pyra::pdf::openssl {
namespace {

struct CtxFree {
  void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CtxFree>;

[[noreturn]] void fail(const char* what) { throw std::runtime_error(std::string("OpenSSL: ") + what + " failed"); }

const EVP_CIPHER* cbcFor(size_t key_size) {
  if (key_size == 16) return EVP_aes_128_cbc();
  if (key_size == 32) return EVP_aes_256_cbc();
  throw std::invalid_argument("AES key must have 16 or 32 bytes");
}

std::vector<uint8_t> runCipher(const EVP_CIPHER* cipher, bool encrypt, std::span<const uint8_t> key,
                               const uint8_t* iv, std::span<const uint8_t> data, bool padding) {
  if (!padding && data.size() % 16 != 0) throw std::invalid_argument("AES input is not a whole number of blocks");
  CipherCtx ctx(EVP_CIPHER_CTX_new());
  if (!ctx) fail("EVP_CIPHER_CTX_new");
  if (EVP_CipherInit_ex(ctx.get(), cipher, nullptr, key.data(), iv, encrypt ? 1 : 0) != 1) fail("EVP_CipherInit_ex");
  EVP_CIPHER_CTX_set_padding(ctx.get(), padding ? 1 : 0);
  std::vector<uint8_t> out(data.size() + 16);
  // EVP counts in int: feed streams beyond 2 GB in pieces.
  constexpr size_t kPiece = size_t(1) << 30;
  size_t done = 0;
  for (size_t at = 0; at < data.size(); at += kPiece) {
    const size_t piece = std::min(kPiece, data.size() - at);
    int n = 0;
    if (EVP_CipherUpdate(ctx.get(), out.data() + done, &n, data.data() + at, int(piece)) != 1) fail("EVP_CipherUpdate");
    done += size_t(n);
  }
  int n = 0;
  if (EVP_CipherFinal_ex(ctx.get(), out.data() + done, &n) != 1) fail("EVP_CipherFinal_ex");
  out.resize(done + size_t(n));
  return out;
}

}  // namespace

std::vector<uint8_t> sha(Sha kind, std::span<const uint8_t> data) {
  const EVP_MD* md = kind == Sha::k256 ? EVP_sha256() : kind == Sha::k384 ? EVP_sha384() : EVP_sha512();
  std::vector<uint8_t> out(EVP_MAX_MD_SIZE);
  unsigned int size = 0;
  if (EVP_Digest(data.data(), data.size(), out.data(), &size, md, nullptr) != 1) fail("EVP_Digest");
  out.resize(size);
  return out;
}

std::vector<uint8_t> aesCbcEncrypt(std::span<const uint8_t> key, std::span<const uint8_t> iv,
                                   std::span<const uint8_t> data, bool pkcs7_padding) {
  if (iv.size() != 16) throw std::invalid_argument("AES IV must have 16 bytes");
  return runCipher(cbcFor(key.size()), true, key, iv.data(), data, pkcs7_padding);
}

std::vector<uint8_t> aesCbcDecrypt(std::span<const uint8_t> key, std::span<const uint8_t> iv,
                                   std::span<const uint8_t> data, bool pkcs7_padding) {
  if (iv.size() != 16) throw std::invalid_argument("AES IV must have 16 bytes");
  return runCipher(cbcFor(key.size()), false, key, iv.data(), data, pkcs7_padding);
}

std::vector<uint8_t> aes256EcbBlock(std::span<const uint8_t> key, std::span<const uint8_t> block) {
  if (key.size() != 32 || block.size() != 16) throw std::invalid_argument("AES-256 ECB needs a 32-byte key and one block");
  return runCipher(EVP_aes_256_ecb(), true, key, nullptr, block, false);
}

void randomBytes(std::span<uint8_t> out) {
  if (out.size() > size_t(INT_MAX)) throw std::length_error("too many random bytes");
  if (RAND_bytes(out.data(), int(out.size())) != 1) fail("RAND_bytes");
}

}  // namespace pyra::pdf::openssl
