#include "engine/pdf/crypto/standard_security.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <stdexcept>
#include <utility>

#include "engine/pdf/crypto/md5.h"
#include "engine/pdf/crypto/openssl_primitives.h"
#include "engine/pdf/crypto/password_hash.h"
#include "engine/pdf/crypto/rc4.h"

namespace pyra::pdf {
namespace {

// The padding string of the standard security handler.
constexpr std::array<uint8_t, 32> kPadding = {
    0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E, 0x56, 0xFF, 0xFA, 0x01, 0x08,
    0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68, 0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A,
};

// Windows-1252 code points for bytes 0x80-0x9F; the five unassigned bytes
// keep their C1 control value so that every byte still maps somewhere.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string_view untilZero(std::string_view text) { return text.substr(0, text.find('\0')); }

std::span<const uint8_t> bytesOf(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Decodes UTF-8; false when the bytes are not well-formed UTF-8.
bool decodeUtf8(std::string_view s, std::u32string& out) {
  out.clear();
  size_t i = 0;
  while (i < s.size()) {
    const auto c = uint8_t(s[i]);
    size_t extra;
    uint32_t cp;
    if (c < 0x80) {
      out += char32_t(c);
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (s.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const auto cc = uint8_t(s[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    const uint32_t min_for[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < min_for[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    out += char32_t(cp);
    i += extra + 1;
  }
  return true;
}

// The password as characters: UTF-8 when the bytes are well-formed UTF-8,
// otherwise the host's 8-bit text, read as Windows-1252.
std::u32string passwordCharacters(std::string_view password) {
  std::u32string text;
  if (decodeUtf8(password, text)) return text;
  text.clear();
  for (char ch : password) {
    const auto b = uint8_t(ch);
    text += char32_t(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : b);
  }
  return text;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// PDFDocEncoding bytes 0x18-0x1F and 0x80-0xA0, where it departs from
// Latin-1 (0x9F is unassigned).
constexpr std::pair<uint8_t, char16_t> kPdfDocSpecial[] = {
    {0x18, 0x02D8}, {0x19, 0x02C7}, {0x1A, 0x02C6}, {0x1B, 0x02D9}, {0x1C, 0x02DD}, {0x1D, 0x02DB},
    {0x1E, 0x02DA}, {0x1F, 0x02DC}, {0x80, 0x2022}, {0x81, 0x2020}, {0x82, 0x2021}, {0x83, 0x2026},
    {0x84, 0x2014}, {0x85, 0x2013}, {0x86, 0x0192}, {0x87, 0x2044}, {0x88, 0x2039}, {0x89, 0x203A},
    {0x8A, 0x2212}, {0x8B, 0x2030}, {0x8C, 0x201E}, {0x8D, 0x201C}, {0x8E, 0x201D}, {0x8F, 0x2018},
    {0x90, 0x2019}, {0x91, 0x201A}, {0x92, 0x2122}, {0x93, 0xFB01}, {0x94, 0xFB02}, {0x95, 0x0141},
    {0x96, 0x0152}, {0x97, 0x0160}, {0x98, 0x0178}, {0x99, 0x017D}, {0x9A, 0x0131}, {0x9B, 0x0142},
    {0x9C, 0x0153}, {0x9D, 0x0161}, {0x9E, 0x017E}, {0xA0, 0x20AC},
};

char pdfDocByte(char32_t cp) {
  if (cp < 0x18 || (cp >= 0x20 && cp < 0x80) || (cp > 0xA0 && cp <= 0xFF)) return char(cp);
  for (const auto& [byte, code] : kPdfDocSpecial) {
    if (code == cp) return char(byte);
  }
  return '?';  // what readers that transcode typed passwords use as well
}

std::string hexString(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "<";
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out + ">";
}

void appendLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

void append(std::vector<uint8_t>& out, std::span<const uint8_t> more) { out.insert(out.end(), more.begin(), more.end()); }

std::vector<uint8_t> rc4(std::span<const uint8_t> key, std::span<const uint8_t> data) {
  std::vector<uint8_t> out(data.begin(), data.end());
  Rc4(key).process(out);
  return out;
}

// Revision 3 and 4 run RC4 twenty times, the key XORed with the pass number.
void rc4TwentyPasses(std::span<const uint8_t> key, std::vector<uint8_t>& data) {
  std::vector<uint8_t> pass_key(key.begin(), key.end());
  for (int pass = 0; pass < 20; ++pass) {
    for (size_t k = 0; k < key.size(); ++k) pass_key[k] = uint8_t(key[k] ^ pass);
    Rc4(pass_key).process(data);
  }
}

bool isAes(KeyLengthMode mode) { return mode == KeyLengthMode::kAes128 || mode == KeyLengthMode::kAes256; }

}  // namespace

KeyLengthMode keyLengthModeFromByte(uint8_t value) {
  return value <= 3 ? KeyLengthMode(value) : KeyLengthMode::kRc4Bits128;
}

bool reproducibleOutputRequested() { return std::getenv("SOURCE_DATE_EPOCH") != nullptr; }

StandardSecurity::StandardSecurity(std::string_view owner_password, std::string_view user_password,
                                   uint8_t permission, KeyLengthMode mode, const FileId& file_id, bool reproducible)
    : mode_(mode),
      file_id_(file_id),
      reproducible_(reproducible),
      permission_value_(permissionValue(permission, mode)) {
  if (uint8_t(mode) > 3) throw std::invalid_argument("unknown key length mode");
  const std::string_view owner = untilZero(owner_password);
  const std::string_view user = untilZero(user_password);
  key_length_ = mode == KeyLengthMode::kRc4Bits40 ? 5 : mode == KeyLengthMode::kAes256 ? 32 : 16;

  if (reproducible_) {
    // Everything a reader could see must not let anyone skip the password
    // check: the seed mixes in the passwords, through the slow revision 6
    // hash where that is the check a guesser would otherwise face.
    std::vector<uint8_t> material;
    append(material, bytesOf("pyra standard security seed"));
    append(material, file_id_);
    if (mode_ == KeyLengthMode::kAes256) {
      const std::string u = aes256Password(user), o = aes256Password(owner);
      append(material, hashR6Password(bytesOf(u), std::span(file_id_).first(8), {}));
      append(material, hashR6Password(bytesOf(o), std::span(file_id_).last(8), {}));
    } else {
      appendLe(material, uint32_t(user.size()), 4);
      append(material, bytesOf(user));
      appendLe(material, uint32_t(owner.size()), 4);
      append(material, bytesOf(owner));
    }
    seed_ = openssl::sha(openssl::Sha::k256, material);
  }

  if (mode_ == KeyLengthMode::kAes256) {
    computeAes256(owner, user);
  } else {
    computeRc4Revision(owner, user);
  }
  buildDictionary();
}

int StandardSecurity::revision() const {
  switch (mode_) {
    case KeyLengthMode::kRc4Bits40: return 2;
    case KeyLengthMode::kRc4Bits128: return 3;
    case KeyLengthMode::kAes128: return 4;
    case KeyLengthMode::kAes256: return 6;
  }
  return 0;
}

std::array<uint8_t, 32> StandardSecurity::padPassword(std::string_view password) {
  const std::string_view used = untilZero(password).substr(0, 32);
  std::array<uint8_t, 32> out;
  std::copy(used.begin(), used.end(), out.begin());
  std::copy_n(kPadding.begin(), 32 - used.size(), out.begin() + used.size());
  return out;
}

int32_t StandardSecurity::permissionValue(uint8_t permission, KeyLengthMode mode) {
  const bool wide = mode != KeyLengthMode::kRc4Bits40;
  // Bits 7, 8 and 13-32 must be 1, bits 1 and 2 must be 0. With 128-bit keys
  // form filling, accessibility extraction and assembly (0x100, 0x200,
  // 0x400) stay allowed and 0x800 becomes the high-quality printing bit.
  uint32_t value = 0xFFFFFFC0u;
  if (wide) value &= ~0x800u;
  if (permission & kPrint) {
    value += 4;
    if (wide && !(permission & kLowQualityPrint)) value += 0x800;
  }
  if (permission & kModify) value += 8;
  if (permission & kCopy) value += 16;
  if (permission & kAnnotate) value += 32;
  return int32_t(value);
}

std::string StandardSecurity::legacyPassword(std::string_view password) {
  std::string out;
  for (char32_t cp : passwordCharacters(untilZero(password))) out += pdfDocByte(cp);
  return out;
}

std::string StandardSecurity::aes256Password(std::string_view password) {
  std::string out;
  for (char32_t cp : passwordCharacters(untilZero(password))) appendUtf8(out, cp);
  // Readers cut the UTF-8 bytes at 127 without regard to characters; doing
  // the same keeps a long password working in them.
  if (out.size() > 127) out.resize(127);
  return out;
}

void StandardSecurity::fillRandom(std::string_view label, std::span<uint8_t> out) const {
  if (!reproducible_) {
    openssl::randomBytes(out);
    return;
  }
  size_t done = 0;
  for (uint32_t block = 0; done < out.size(); ++block) {
    std::vector<uint8_t> material = seed_;
    append(material, bytesOf(label));
    appendLe(material, block, 4);
    const std::vector<uint8_t> h = openssl::sha(openssl::Sha::k256, material);
    const size_t take = std::min(h.size(), out.size() - done);
    std::copy_n(h.begin(), take, out.begin() + ptrdiff_t(done));
    done += take;
  }
}

void StandardSecurity::computeRc4Revision(std::string_view owner, std::string_view user) {
  const bool wide = mode_ != KeyLengthMode::kRc4Bits40;
  const std::array<uint8_t, 32> padded_user = padPassword(legacyPassword(user));

  // Owner value.
  std::array<uint8_t, 32> owner_source;
  if (!owner.empty()) {
    owner_source = padPassword(legacyPassword(owner));
  } else if (!user.empty()) {
    owner_source = padded_user;
  } else {
    fillRandom("owner password", owner_source);
  }
  Md5::Digest h = Md5::digest(owner_source);
  if (wide) {
    for (int i = 0; i < 50; ++i) h = Md5::digest(h);
  }
  const std::span<const uint8_t> owner_key = std::span(h).first(key_length_);
  owner_value_.assign(padded_user.begin(), padded_user.end());
  if (wide) {
    rc4TwentyPasses(owner_key, owner_value_);
  } else {
    Rc4(owner_key).process(owner_value_);
  }

  // File key.
  Md5 md5;
  md5.update(padded_user);
  md5.update(owner_value_);
  std::vector<uint8_t> p;
  appendLe(p, uint32_t(permission_value_), 4);
  md5.update(p);
  md5.update(file_id_);
  Md5::Digest k = md5.finish();
  if (wide) {
    for (int i = 0; i < 50; ++i) k = Md5::digest(std::span(k).first(key_length_));
  }
  file_key_.assign(k.begin(), k.begin() + ptrdiff_t(key_length_));

  // User value.
  if (!wide) {
    user_value_ = rc4(file_key_, kPadding);
  } else {
    md5.update(kPadding);
    md5.update(file_id_);
    const Md5::Digest x = md5.finish();
    user_value_.assign(x.begin(), x.end());
    rc4TwentyPasses(file_key_, user_value_);
    user_value_.insert(user_value_.end(), kPadding.begin(), kPadding.begin() + 16);
  }
}

void StandardSecurity::computeAes256(std::string_view owner, std::string_view user) {
  const std::string u = aes256Password(user);
  std::string o = owner.empty() ? u : aes256Password(owner);
  if (owner.empty() && user.empty()) {
    std::array<uint8_t, 32> unknown;
    fillRandom("owner password", unknown);
    o.assign(unknown.begin(), unknown.end());
  }
  std::array<uint8_t, 16> user_salts, owner_salts;  // validation salt, then key salt
  fillRandom("user salts", user_salts);
  fillRandom("owner salts", owner_salts);
  file_key_.resize(32);
  fillRandom("file key", file_key_);
  const std::array<uint8_t, 16> zero_iv{};

  user_value_.clear();
  append(user_value_, hashR6Password(bytesOf(u), std::span(user_salts).first(8), {}));
  append(user_value_, user_salts);
  user_key_value_ = openssl::aesCbcEncrypt(hashR6Password(bytesOf(u), std::span(user_salts).last(8), {}), zero_iv,
                                           file_key_, false);

  owner_value_.clear();
  append(owner_value_, hashR6Password(bytesOf(o), std::span(owner_salts).first(8), user_value_));
  append(owner_value_, owner_salts);
  owner_key_value_ = openssl::aesCbcEncrypt(
      hashR6Password(bytesOf(o), std::span(owner_salts).last(8), user_value_), zero_iv, file_key_, false);

  // /Perms repeats P under the file key so readers can detect a tampered /P.
  std::vector<uint8_t> perms;
  appendLe(perms, uint32_t(permission_value_), 4);
  appendLe(perms, 0xFFFFFFFFu, 4);
  append(perms, bytesOf("Tadb"));  // 'T': metadata is encrypted too
  std::array<uint8_t, 4> filler;
  fillRandom("perms", filler);
  append(perms, filler);
  perms_value_ = openssl::aes256EcbBlock(file_key_, perms);
}

void StandardSecurity::buildDictionary() {
  std::string d = "/Filter/Standard\n";
  switch (mode_) {
    case KeyLengthMode::kRc4Bits40: d += "/R 2 /V 1\n"; break;
    case KeyLengthMode::kRc4Bits128: d += "/R 3 /V 2 /Length 128\n"; break;
    case KeyLengthMode::kAes128:
      d += "/R 4 /V 4 /Length 128\n/CF<</StdCF<</AuthEvent/DocOpen/CFM/AESV2/Length 16>>>>/StmF/StdCF/StrF/StdCF\n";
      break;
    case KeyLengthMode::kAes256:
      d += "/R 6 /V 5 /Length 256\n/CF<</StdCF<</AuthEvent/DocOpen/CFM/AESV3/Length 32>>>>/StmF/StdCF/StrF/StdCF\n";
      break;
  }
  d += "/O" + hexString(owner_value_) + "\n/U" + hexString(user_value_) + "\n";
  if (mode_ == KeyLengthMode::kAes256) {
    d += "/OE" + hexString(owner_key_value_) + "\n/UE" + hexString(user_key_value_) + "\n/Perms" +
         hexString(perms_value_) + "\n";
  }
  char number[16];
  const auto end = std::to_chars(number, number + sizeof number, permission_value_).ptr;
  d += "/P " + std::string(number, end);
  dictionary_ = std::move(d);
}

std::string_view StandardSecurity::headerVersion() const {
  switch (mode_) {
    case KeyLengthMode::kRc4Bits40: return "";
    case KeyLengthMode::kRc4Bits128: return "1.4";
    case KeyLengthMode::kAes128: return "1.6";
    case KeyLengthMode::kAes256: return "1.7";
  }
  return "";
}

std::string_view StandardSecurity::catalogExtensions() const {
  return mode_ == KeyLengthMode::kAes256 ? "/Extensions<</ADBE<</BaseVersion/1.7/ExtensionLevel 8>>>>" : "";
}

std::vector<uint8_t> StandardSecurity::objectKey(uint32_t object_number, uint16_t generation) const {
  if (mode_ == KeyLengthMode::kAes256) return file_key_;
  std::vector<uint8_t> material = file_key_;
  appendLe(material, object_number & 0xFFFFFFu, 3);
  appendLe(material, generation, 2);
  if (mode_ == KeyLengthMode::kAes128) append(material, bytesOf("sAlT"));
  const Md5::Digest h = Md5::digest(material);
  return std::vector<uint8_t>(h.begin(), h.begin() + ptrdiff_t(std::min<size_t>(key_length_ + 5, 16)));
}

size_t StandardSecurity::encryptedSize(size_t plain_size) const {
  return isAes(mode_) ? 16 + (plain_size / 16 + 1) * 16 : plain_size;
}

std::array<uint8_t, 16> StandardSecurity::ivFor(uint32_t object_number, uint16_t generation,
                                                std::span<const uint8_t> plain) const {
  std::array<uint8_t, 16> iv;
  if (!reproducible_) {
    openssl::randomBytes(iv);
    return iv;
  }
  // Keyed with the file key, so the IV reveals nothing about the data to
  // anyone without it; equal data in the same object gets the same IV, the
  // price of byte-identical rebuilds.
  std::vector<uint8_t> material = file_key_;
  append(material, bytesOf("iv"));
  appendLe(material, object_number, 4);
  appendLe(material, generation, 2);
  append(material, openssl::sha(openssl::Sha::k256, plain));
  const std::vector<uint8_t> h = openssl::sha(openssl::Sha::k256, material);
  std::copy_n(h.begin(), 16, iv.begin());
  return iv;
}

void StandardSecurity::encrypt(uint32_t object_number, uint16_t generation, std::vector<uint8_t>& bytes) const {
  const std::vector<uint8_t> key = objectKey(object_number, generation);
  if (!isAes(mode_)) {
    if (!bytes.empty()) Rc4(key).process(bytes);
    return;
  }
  const std::array<uint8_t, 16> iv = ivFor(object_number, generation, bytes);
  std::vector<uint8_t> out(iv.begin(), iv.end());
  append(out, openssl::aesCbcEncrypt(key, iv, bytes, true));
  bytes = std::move(out);
}

std::string StandardSecurity::encryptText(uint32_t object_number, uint16_t generation, std::string_view text) const {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  encrypt(object_number, generation, bytes);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<uint8_t> StandardSecurity::decrypt(uint32_t object_number, uint16_t generation,
                                               std::span<const uint8_t> bytes) const {
  const std::vector<uint8_t> key = objectKey(object_number, generation);
  if (!isAes(mode_)) return bytes.empty() ? std::vector<uint8_t>{} : rc4(key, bytes);
  if (bytes.size() < 32 || bytes.size() % 16 != 0) throw std::runtime_error("AES data is not IV plus whole blocks");
  return openssl::aesCbcDecrypt(key, bytes.first(16), bytes.subspan(16), true);
}

}  // namespace pyra::pdf
