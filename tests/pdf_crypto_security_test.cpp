// The standard security handler's own rules: password padding and
// conversion, the /P value, the dictionary text, per-object keys and
// reproducible output. Whether readers accept the result is
// pdf_crypto_readers_test's business.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "engine/pdf/crypto/openssl_primitives.h"
#include "engine/pdf/crypto/password_hash.h"
#include "engine/pdf/crypto/standard_security.h"

using pyra::pdf::KeyLengthMode;
using pyra::pdf::StandardSecurity;

namespace {

const StandardSecurity::FileId kFileId = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H',
                                          'I', 'J', 'K', 'L', 'M', 'N', 'O', 'P'};
const uint8_t kPadding[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                              0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                              0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

struct Mode {
  const char* name;
  KeyLengthMode mode;
};
const Mode kModes[] = {{"RC4-40", KeyLengthMode::kRc4Bits40},
                       {"RC4-128", KeyLengthMode::kRc4Bits128},
                       {"AES-128", KeyLengthMode::kAes128},
                       {"AES-256", KeyLengthMode::kAes256}};

std::vector<uint8_t> v(std::span<const uint8_t> s) { return {s.begin(), s.end()}; }

TEST(StandardSecurity, PadsPasswordsToThirtyTwoBytes) {
  struct Case {
    const char* name;
    std::string password;
    std::string used;  // the password bytes that come before the padding
  };
  const std::string p32 = "0123456789abcdef0123456789ABCDEF";
  const Case cases[] = {
      {"empty", "", ""},
      {"short", "abc", "abc"},
      {"exactly 32", p32, p32},
      {"longer than 32", p32 + "tail", p32},
      {"zero byte ends it", std::string("ab\0cd", 5), "ab"},
  };
  for (const Case& c : cases) {
    const std::array<uint8_t, 32> padded = StandardSecurity::padPassword(c.password);
    std::vector<uint8_t> expected(c.used.begin(), c.used.end());
    expected.insert(expected.end(), kPadding, kPadding + (32 - c.used.size()));
    EXPECT_EQ(v(padded), expected) << c.name;
  }
}

TEST(StandardSecurity, PermissionValueFollowsThePermissionByte) {
  struct Case {
    uint8_t permission;
    KeyLengthMode mode;
    int32_t expected;
  };
  const Case cases[] = {
      {0x01, KeyLengthMode::kRc4Bits40, -64},     {0x03, KeyLengthMode::kRc4Bits40, -60},
      {0x23, KeyLengthMode::kRc4Bits40, -60},     {0x1F, KeyLengthMode::kRc4Bits40, -4},
      {0x03, KeyLengthMode::kRc4Bits128, -60},    {0x1F, KeyLengthMode::kRc4Bits128, -4},
      {0x01, KeyLengthMode::kRc4Bits128, -2112},  {0x23, KeyLengthMode::kRc4Bits128, -2108},
      {0x21, KeyLengthMode::kRc4Bits128, -2112},  {0x3F, KeyLengthMode::kRc4Bits128, -2052},
      {0x09, KeyLengthMode::kRc4Bits128, -2096},  {0x01, KeyLengthMode::kAes128, -2112},
      {0x23, KeyLengthMode::kAes256, -2108},      {0x1F, KeyLengthMode::kAes256, -4},
      // Bits above 0x20 mean nothing.
      {0xC1, KeyLengthMode::kRc4Bits40, -64},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StandardSecurity::permissionValue(c.permission, c.mode), c.expected)
        << "permission 0x" << std::hex << int(c.permission) << " mode " << std::dec << int(c.mode);
  }
}

TEST(StandardSecurity, DictionaryTextHasTheEntriesOfEachMode) {
  const char* patterns[] = {
      "/Filter/Standard\n/R 2 /V 1\n/O<[0-9a-f]{64}>\n/U<[0-9a-f]{64}>\n/P -4",
      "/Filter/Standard\n/R 3 /V 2 /Length 128\n/O<[0-9a-f]{64}>\n/U<[0-9a-f]{64}>\n/P -4",
      "/Filter/Standard\n/R 4 /V 4 /Length 128\n"
      "/CF<</StdCF<</AuthEvent/DocOpen/CFM/AESV2/Length 16>>>>/StmF/StdCF/StrF/StdCF\n"
      "/O<[0-9a-f]{64}>\n/U<[0-9a-f]{64}>\n/P -4",
      "/Filter/Standard\n/R 6 /V 5 /Length 256\n"
      "/CF<</StdCF<</AuthEvent/DocOpen/CFM/AESV3/Length 32>>>>/StmF/StdCF/StrF/StdCF\n"
      "/O<[0-9a-f]{96}>\n/U<[0-9a-f]{96}>\n/OE<[0-9a-f]{64}>\n/UE<[0-9a-f]{64}>\n/Perms<[0-9a-f]{32}>\n/P -4",
  };
  const char* headers[] = {"", "1.4", "1.6", "1.7"};
  for (size_t i = 0; i < std::size(kModes); ++i) {
    const StandardSecurity s("owner", "user", 0x1F, kModes[i].mode, kFileId, false);
    EXPECT_TRUE(std::regex_match(s.dictionaryText(), std::regex(patterns[i]))) << kModes[i].name << ":\n"
                                                                               << s.dictionaryText();
    EXPECT_EQ(s.headerVersion(), headers[i]) << kModes[i].name;
    EXPECT_EQ(s.catalogExtensions(),
              kModes[i].mode == KeyLengthMode::kAes256 ? "/Extensions<</ADBE<</BaseVersion/1.7/ExtensionLevel 8>>>>"
                                                       : "")
        << kModes[i].name;
  }
}

TEST(StandardSecurity, UnknownKeyLengthModesSelect128BitRc4) {
  EXPECT_EQ(pyra::pdf::keyLengthModeFromByte(0), KeyLengthMode::kRc4Bits40);
  EXPECT_EQ(pyra::pdf::keyLengthModeFromByte(1), KeyLengthMode::kRc4Bits128);
  EXPECT_EQ(pyra::pdf::keyLengthModeFromByte(2), KeyLengthMode::kAes128);
  EXPECT_EQ(pyra::pdf::keyLengthModeFromByte(3), KeyLengthMode::kAes256);
  EXPECT_EQ(pyra::pdf::keyLengthModeFromByte(4), KeyLengthMode::kRc4Bits128);
  EXPECT_EQ(pyra::pdf::keyLengthModeFromByte(255), KeyLengthMode::kRc4Bits128);
  EXPECT_THROW(StandardSecurity("o", "u", 1, KeyLengthMode(9), kFileId, false), std::invalid_argument);
}

TEST(StandardSecurity, Rc4UserValueOf128BitKeysEndsWithThePadding) {
  for (KeyLengthMode mode : {KeyLengthMode::kRc4Bits128, KeyLengthMode::kAes128}) {
    const StandardSecurity s("o", "u", 1, mode, kFileId, false);
    ASSERT_EQ(s.userValue().size(), 32u);
    EXPECT_EQ(v(s.userValue().last(16)), std::vector<uint8_t>(kPadding, kPadding + 16)) << int(mode);
    EXPECT_EQ(s.fileKey().size(), 16u);
  }
  EXPECT_EQ(StandardSecurity("o", "u", 1, KeyLengthMode::kRc4Bits40, kFileId, false).fileKey().size(), 5u);
}

TEST(StandardSecurity, EachObjectGetsItsOwnKey) {
  const std::vector<uint8_t> data(64, 'x');
  for (KeyLengthMode mode : {KeyLengthMode::kRc4Bits40, KeyLengthMode::kRc4Bits128, KeyLengthMode::kAes128}) {
    const StandardSecurity s("o", "u", 1, mode, kFileId, /*reproducible=*/true);
    auto enc = [&](uint32_t object, uint16_t generation) {
      std::vector<uint8_t> b = data;
      s.encrypt(object, generation, b);
      return b;
    };
    const std::string where = "mode " + std::to_string(int(mode));
    EXPECT_NE(enc(5, 0), enc(6, 0)) << where;
    EXPECT_EQ(enc(5, 0), enc(5, 0)) << where;
    EXPECT_NE(enc(5, 0), enc(5, 1)) << where;
    // Only the low three bytes of the object number enter the key.
    EXPECT_EQ(s.objectKey(0x1000005, 0), s.objectKey(5, 0)) << where;
    std::vector<uint8_t> high = data;
    s.encrypt(0x1000005, 0, high);
    EXPECT_EQ(s.decrypt(5, 0, high), data) << where;
    EXPECT_EQ(s.objectKey(5, 0).size(), mode == KeyLengthMode::kRc4Bits40 ? 10u : 16u) << where;
  }
  // AES-256 encrypts every object with the file key itself.
  const StandardSecurity s("o", "u", 1, KeyLengthMode::kAes256, kFileId, false);
  EXPECT_EQ(s.objectKey(5, 0), v(s.fileKey()));
}

TEST(StandardSecurity, EncryptionRoundTripsAndAesGrowsAsAnnounced) {
  for (const auto& m : kModes) {
    const StandardSecurity s("o", "u", 1, m.mode, kFileId, false);
    const bool aes = m.mode == KeyLengthMode::kAes128 || m.mode == KeyLengthMode::kAes256;
    for (size_t size : {0u, 1u, 15u, 16u, 17u, 1000u}) {
      std::vector<uint8_t> plain(size);
      for (size_t i = 0; i < size; ++i) plain[i] = uint8_t(i * 13);
      std::vector<uint8_t> b = plain;
      s.encrypt(9, 0, b);
      const std::string where = std::string(m.name) + " size " + std::to_string(size);
      EXPECT_EQ(b.size(), s.encryptedSize(size)) << where;
      EXPECT_EQ(b.size(), aes ? 16 + (size / 16 + 1) * 16 : size) << where;
      if (size > 0) {
        EXPECT_NE(b, plain) << where;
      }
      EXPECT_EQ(s.decrypt(9, 0, b), plain) << where;
    }
  }
}

TEST(StandardSecurity, DecryptRefusesDataThatCannotBeAesOutput) {
  const StandardSecurity s("o", "u", 1, KeyLengthMode::kAes128, kFileId, false);
  EXPECT_THROW(s.decrypt(1, 0, std::vector<uint8_t>(16)), std::runtime_error);
  EXPECT_THROW(s.decrypt(1, 0, std::vector<uint8_t>(40)), std::runtime_error);
  EXPECT_THROW(s.decrypt(1, 0, std::vector<uint8_t>(32)), std::runtime_error);  // bad padding
}

TEST(StandardSecurity, EmptyOwnerPasswordUsesTheUserPassword) {
  for (KeyLengthMode mode : {KeyLengthMode::kRc4Bits40, KeyLengthMode::kRc4Bits128, KeyLengthMode::kAes128}) {
    const StandardSecurity empty_owner("", "secret", 1, mode, kFileId, false);
    const StandardSecurity same("secret", "secret", 1, mode, kFileId, false);
    EXPECT_EQ(v(empty_owner.ownerValue()), v(same.ownerValue())) << int(mode);
    EXPECT_EQ(empty_owner.dictionaryText(), same.dictionaryText()) << int(mode);
  }
}

TEST(StandardSecurity, PasswordsLongerThanTheLimitActLikeTheirPrefix) {
  const std::string p40 = "0123456789abcdefghijklmnopqrstuvWXYZ0123";
  for (KeyLengthMode mode : {KeyLengthMode::kRc4Bits40, KeyLengthMode::kRc4Bits128, KeyLengthMode::kAes128}) {
    EXPECT_EQ(StandardSecurity(p40, p40, 1, mode, kFileId, false).dictionaryText(),
              StandardSecurity(p40.substr(0, 32), p40.substr(0, 32), 1, mode, kFileId, false).dictionaryText())
        << int(mode);
  }
  std::string p140;
  for (int i = 0; i < 140; ++i) p140 += char('a' + i % 26);
  EXPECT_EQ(StandardSecurity::aes256Password(p140), p140.substr(0, 127));
  EXPECT_EQ(StandardSecurity(p140, p140, 1, KeyLengthMode::kAes256, kFileId, true).dictionaryText(),
            StandardSecurity(p140.substr(0, 127), p140.substr(0, 127), 1, KeyLengthMode::kAes256, kFileId, true)
                .dictionaryText());
}

TEST(StandardSecurity, PasswordTextConversions) {
  struct Case {
    const char* name;
    std::string given, legacy, aes256;
  };
  const Case cases[] = {
      {"ASCII", "Secret 1!", "Secret 1!", "Secret 1!"},
      {"UTF-8 Latin-1 letters", "Gr\xc3\xbc\xc3\x9f" "e", "Gr\xfc\xdf" "e", "Gr\xc3\xbc\xc3\x9f" "e"},
      {"UTF-8 quotes, dash, euro", "\xe2\x80\x9cx\xe2\x80\x9d \xe2\x80\x93 \xe2\x82\xac", "\x8dx\x8e \x85 \xa0",
       "\xe2\x80\x9cx\xe2\x80\x9d \xe2\x80\x93 \xe2\x82\xac"},
      {"Windows-1252 quotes, dash, euro", "\x93x\x94 \x96 \x80", "\x8dx\x8e \x85 \xa0",
       "\xe2\x80\x9cx\xe2\x80\x9d \xe2\x80\x93 \xe2\x82\xac"},
      {"outside PDFDocEncoding", "\xe6\x97\xa5\xe6\x9c\xac", "??", "\xe6\x97\xa5\xe6\x9c\xac"},
      {"zero byte ends it", std::string("ab\0cd", 5), "ab", "ab"},
      {"truncated UTF-8 is Windows-1252", "a\xc3", "a\xc3", "a\xc3\x83"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(StandardSecurity::legacyPassword(c.given), c.legacy) << c.name;
    EXPECT_EQ(StandardSecurity::aes256Password(c.given), c.aes256) << c.name;
  }
}

TEST(StandardSecurity, Aes256ValuesCheckOutWithTheirPasswords) {
  using namespace pyra::pdf;
  const StandardSecurity s("boss", "reader", 0x03, KeyLengthMode::kAes256, kFileId, false);
  const std::span<const uint8_t> u = s.userValue(), o = s.ownerValue();
  ASSERT_EQ(u.size(), 48u);
  ASSERT_EQ(o.size(), 48u);
  const auto bytes = [](const char* t) { return std::span(reinterpret_cast<const uint8_t*>(t), strlen(t)); };
  EXPECT_EQ(v(hashR6Password(bytes("reader"), u.subspan(32, 8), {})), v(u.first(32)));
  EXPECT_EQ(v(hashR6Password(bytes("boss"), o.subspan(32, 8), u)), v(o.first(32)));
  EXPECT_NE(v(hashR6Password(bytes("readers"), u.subspan(32, 8), {})), v(u.first(32)));
  // /UE opened with the user key gives the file key; /Perms holds P.
  const std::regex ue_re("/UE<([0-9a-f]{64})>"), perms_re("/Perms<([0-9a-f]{32})>");
  std::smatch m;
  const auto unhex = [](const std::string& h) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < h.size(); i += 2) out.push_back(uint8_t(std::stoul(h.substr(i, 2), nullptr, 16)));
    return out;
  };
  ASSERT_TRUE(std::regex_search(s.dictionaryText(), m, ue_re));
  const std::array<uint8_t, 16> zero{};
  EXPECT_EQ(openssl::aesCbcDecrypt(hashR6Password(bytes("reader"), u.subspan(40, 8), {}), zero, unhex(m[1]), false),
            v(s.fileKey()));
  ASSERT_TRUE(std::regex_search(s.dictionaryText(), m, perms_re));
  // ECB of one block equals CBC with a zero IV.
  const std::vector<uint8_t> perms = openssl::aesCbcDecrypt(s.fileKey(), zero, unhex(m[1]), false);
  const int32_t p = int32_t(uint32_t(perms[0]) | uint32_t(perms[1]) << 8 | uint32_t(perms[2]) << 16 |
                            uint32_t(perms[3]) << 24);
  EXPECT_EQ(p, s.permissionValue());
  EXPECT_EQ(std::string(perms.begin() + 4, perms.begin() + 12), std::string("\xff\xff\xff\xffTadb"));
}

TEST(StandardSecurity, ReproducibleModeGivesIdenticalBytesAndRandomModeDoesNot) {
  for (const auto& m : kModes) {
    for (const char* user : {"", "u"}) {
      const std::string where = std::string(m.name) + " user \"" + user + "\"";
      auto build = [&](bool reproducible) { return StandardSecurity("", user, 0x03, m.mode, kFileId, reproducible); };
      const StandardSecurity a = build(true), b = build(true);
      EXPECT_EQ(a.dictionaryText(), b.dictionaryText()) << where;
      EXPECT_EQ(a.encryptText(7, 0, "same text"), b.encryptText(7, 0, "same text")) << where;
      // Random material appears where the format leaves freedom: the owner
      // value without passwords, AES-256 salts and keys, AES IVs.
      const StandardSecurity c = build(false), d = build(false);
      const bool random_dictionary = m.mode == KeyLengthMode::kAes256 || !*user;
      EXPECT_EQ(c.dictionaryText() != d.dictionaryText(), random_dictionary) << where;
      const bool aes = m.mode == KeyLengthMode::kAes128 || m.mode == KeyLengthMode::kAes256;
      if (aes) {
        EXPECT_NE(c.encryptText(7, 0, "same text"), c.encryptText(7, 0, "same text")) << where;
      }
    }
  }
  // A different file identifier changes everything.
  EXPECT_NE(StandardSecurity("", "", 1, KeyLengthMode::kAes256, kFileId, true).dictionaryText(),
            StandardSecurity("", "", 1, KeyLengthMode::kAes256, {}, true).dictionaryText());
}

TEST(StandardSecurity, SourceDateEpochSelectsReproducibleOutput) {
  const char* saved = std::getenv("SOURCE_DATE_EPOCH");
  const std::string keep = saved ? saved : "";
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);
  EXPECT_TRUE(pyra::pdf::reproducibleOutputRequested());
  EXPECT_EQ(StandardSecurity("", "", 1, KeyLengthMode::kAes256, kFileId).dictionaryText(),
            StandardSecurity("", "", 1, KeyLengthMode::kAes256, kFileId).dictionaryText());
  unsetenv("SOURCE_DATE_EPOCH");
  EXPECT_FALSE(pyra::pdf::reproducibleOutputRequested());
  if (saved) setenv("SOURCE_DATE_EPOCH", keep.c_str(), 1);
}

}  // namespace
