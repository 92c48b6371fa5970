// MD5 and RC4 against their published test vectors (RFC 1321, RFC 6229).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "engine/pdf/crypto/md5.h"
#include "engine/pdf/crypto/rc4.h"

using pyra::pdf::Md5;
using pyra::pdf::Rc4;

namespace {

std::string hex(std::span<const uint8_t> bytes) {
  std::string out;
  char two[3];
  for (uint8_t b : bytes) {
    std::snprintf(two, sizeof two, "%02x", b);
    out += two;
  }
  return out;
}

std::vector<uint8_t> unhex(const std::string& text) {
  std::vector<uint8_t> out;
  std::istringstream in(text);
  std::string two;
  while (in >> two) out.push_back(uint8_t(std::stoul(two, nullptr, 16)));
  return out;
}

std::span<const uint8_t> bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

struct Md5Case {
  const char* message;
  const char* digest;
};

// The test suite of RFC 1321, appendix A.5.
const Md5Case kMd5Cases[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, MatchesRfc1321Vectors) {
  for (const Md5Case& c : kMd5Cases) {
    EXPECT_EQ(hex(Md5::digest(bytes(c.message))), c.digest) << "message \"" << c.message << "\"";
  }
}

TEST(Md5, PiecewiseUpdatesGiveTheOneShotDigest) {
  // Every split point of messages around the 56- and 64-byte padding edges.
  for (size_t size : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 128u, 200u}) {
    std::string message(size, '\0');
    for (size_t i = 0; i < size; ++i) message[i] = char(i * 7 + 3);
    const std::string whole = hex(Md5::digest(bytes(message)));
    for (size_t split = 0; split <= size; ++split) {
      Md5 md5;
      md5.update(std::string_view(message).substr(0, split));
      md5.update(std::string_view(message).substr(split));
      ASSERT_EQ(hex(md5.finish()), whole) << "size " << size << " split " << split;
    }
  }
}

TEST(Md5, FinishStartsANewMessage) {
  Md5 md5;
  md5.update(std::string_view("something else"));
  md5.finish();
  md5.update(std::string_view("abc"));
  EXPECT_EQ(hex(md5.finish()), "900150983cd24fb0d6963f7d28e17f72");
}

struct Rc4Case {
  const char* name;
  const char* key;
  // "offset: 16 bytes" rows of the key stream, as RFC 6229 lists them.
  std::vector<std::pair<size_t, const char*>> rows;
};

const Rc4Case kRc4Cases[] = {
    {"40-bit 0102030405",
     "01 02 03 04 05",
     {{0, "b2 39 63 05 f0 3d c0 27 cc c3 52 4a 0a 11 18 a8"},
      {16, "69 82 94 4f 18 fc 82 d5 89 c4 03 a4 7a 0d 09 19"},
      {240, "28 cb 11 32 c9 6c e2 86 42 1d ca ad b8 b6 9e ae"},
      {256, "1c fc f6 2b 03 ed db 64 1d 77 df cf 7f 8d 8c 93"},
      {496, "42 b7 d0 cd d9 18 a8 a3 3d d5 17 81 c8 1f 40 41"},
      {512, "64 59 84 44 32 a7 da 92 3c fb 3e b4 98 06 61 f6"},
      {752, "ec 10 32 7b de 2b ee fd 18 f9 27 76 80 45 7e 22"},
      {768, "eb 62 63 8d 4f 0b a1 fe 9f ca 20 e0 5b f8 ff 2b"},
      {1008, "45 12 90 48 e6 a0 ed 0b 56 b4 90 33 8f 07 8d a5"},
      {1024, "30 ab bc c7 c2 0b 01 60 9f 23 ee 2d 5f 6b b7 df"},
      {1520, "32 94 f7 44 d8 f9 79 05 07 e7 0f 62 e5 bb ce ea"},
      {1536, "d8 72 9d b4 18 82 25 9b ee 4f 82 53 25 f5 a1 30"},
      {2032, "1e b1 4a 0c 13 b3 bf 47 fa 2a 0b a9 3a d4 5b 8b"},
      {2048, "cc 58 2f 8b a9 f2 65 e2 b1 be 91 12 e9 75 d2 d7"},
      {3056, "f2 e3 0f 9b d1 02 ec bf 75 aa ad e9 bc 35 c4 3c"},
      {3072, "ec 0e 11 c4 79 dc 32 9d c8 da 79 68 fe 96 56 81"},
      {4080, "06 83 26 a2 11 84 16 d2 1f 9d 04 b2 cd 1c a0 50"},
      {4096, "ff 25 b5 89 95 99 67 07 e5 1f bd f0 8b 34 d8 75"}}},
    {"128-bit 0102...10",
     "01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10",
     {{0, "9a c7 cc 9a 60 9d 1e f7 b2 93 28 99 cd e4 1b 97"},
      {16, "52 48 c4 95 90 14 12 6a 6e 8a 84 f1 1d 1a 9e 1c"},
      {240, "06 59 02 e4 b6 20 f6 cc 36 c8 58 9f 66 43 2f 2b"},
      {256, "d3 9d 56 6b c6 bc e3 01 07 68 15 15 49 f3 87 3f"},
      {496, "b6 d1 e6 c4 a5 e4 77 1c ad 79 53 8d f2 95 fb 11"},
      {512, "c6 8c 1d 5c 55 9a 97 41 23 df 1d bc 52 a4 3b 89"},
      {752, "c5 ec f8 8d e8 97 fd 57 fe d3 01 70 1b 82 a2 59"},
      {768, "ec cb e1 3d e1 fc c9 1c 11 a0 b2 6c 0b c8 fa 4d"},
      {1008, "e7 a7 25 74 f8 78 2a e2 6a ab cf 9e bc d6 60 65"},
      {1024, "bd f0 32 4e 60 83 dc c6 d3 ce dd 3c a8 c5 3c 16"},
      {1520, "b4 01 10 c4 19 0b 56 22 a9 61 16 b0 01 7e d2 97"},
      {1536, "ff a0 b5 14 64 7e c0 4f 63 06 b8 92 ae 66 11 81"},
      {2032, "d0 3d 1b c0 3c d3 3d 70 df f9 fa 5d 71 96 3e bd"},
      {2048, "8a 44 12 64 11 ea a7 8b d5 1e 8d 87 a8 87 9b f5"},
      {3056, "fa be b7 60 28 ad e2 d0 e4 87 22 e4 6c 46 15 a3"},
      {3072, "c0 5d 88 ab d5 03 57 f9 35 a6 3c 59 ee 53 76 23"},
      {4080, "ff 38 26 5c 16 42 c1 ab e8 d3 c2 fe 5e 57 2b f8"},
      {4096, "a3 6a 4c 30 1a e8 ac 13 61 0c cb c1 22 56 ca cc"}}},
    {"40-bit 833222772a",
     "83 32 22 77 2a",
     {{0, "80 ad 97 bd c9 73 df 8a 2e 87 9e 92 a4 97 ef da"},
      {16, "20 f0 60 c2 f2 e5 12 65 01 d3 d4 fe a1 0d 5f c0"},
      {240, "fa a1 48 e9 90 46 18 1f ec 6b 20 85 f3 b2 0e d9"},
      {256, "f0 da f5 ba b3 d5 96 83 98 57 84 6f 73 fb fe 5a"},
      {1008, "6d a4 53 db f8 1e 82 33 4a 3d 88 66 cb 50 a1 e3"},
      {1024, "78 28 d0 74 11 9c ab 5c 22 b2 94 d7 a9 bf a0 bb"},
      {4080, "63 49 d1 26 a3 7a fc ba 89 79 4f 98 04 91 4f dc"},
      {4096, "bf 42 c3 01 8c 2f 7c 66 bf de 52 49 75 76 81 15"}}},
    {"256-bit 1ada...2a",
     "1a da 31 d5 cf 68 82 21 c1 09 16 39 08 eb e5 1d eb b4 62 27 c6 cc 8b 37 64 19 10 83 32 22 77 2a",
     {{0, "dd 5b cb 00 18 e9 22 d4 94 75 9d 7c 39 5d 02 d3"},
      {16, "c8 44 6f 8f 77 ab f7 37 68 53 53 eb 89 a1 c9 eb"},
      {240, "af 3e 30 f9 c0 95 04 59 38 15 15 75 c3 fb 90 98"},
      {1520, "ac 4e 95 36 8d 99 b9 eb 78 b8 da 8f 81 ff a7 95"},
      {4096, "37 0b 1c 1f e6 55 91 6d 97 fd 0d 47 ca 1d 72 b8"}}},
};

TEST(Rc4, MatchesRfc6229KeyStreams) {
  for (const Rc4Case& c : kRc4Cases) {
    std::vector<uint8_t> stream(4112, 0);
    Rc4(unhex(c.key)).process(stream);
    for (const auto& [offset, expected] : c.rows) {
      EXPECT_EQ(hex(std::span(stream).subspan(offset, 16)), hex(unhex(expected)))
          << c.name << " at offset " << offset;
    }
  }
}

TEST(Rc4, StreamContinuesAcrossCallsAndDecryptsItself) {
  const std::vector<uint8_t> key = unhex("01 02 03 04 05");
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 31);
  std::vector<uint8_t> whole = data;
  Rc4(key).process(whole);
  for (size_t split : {size_t(0), size_t(1), size_t(255), size_t(256), size_t(999)}) {
    std::vector<uint8_t> pieces = data;
    Rc4 rc4(key);
    rc4.process(std::span(pieces).first(split));
    rc4.process(std::span(pieces).subspan(split));
    EXPECT_EQ(pieces, whole) << "split " << split;
  }
  Rc4(key).process(whole);
  EXPECT_EQ(whole, data);
}

TEST(Rc4, RefusesKeysOutsideOneTo256Bytes) {
  EXPECT_THROW(Rc4(std::vector<uint8_t>{}), std::invalid_argument);
  EXPECT_THROW(Rc4(std::vector<uint8_t>(257, 1)), std::invalid_argument);
  EXPECT_NO_THROW(Rc4(std::vector<uint8_t>(256, 1)));
}

}  // namespace
