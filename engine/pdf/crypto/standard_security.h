#pragma once
// The PDF standard security handler: turns passwords and a permission byte
// into the /Encrypt dictionary and encrypts every string and stream of the
// document with the key of the object that holds it.
//
//   mode       /R /V  cipher    key    header  reader needs
//   kRc4Bits40  2  1  RC4       40 bit   -     PDF 1.1
//   kRc4Bits128 3  2  RC4      128 bit  1.4    PDF 1.4
//   kAes128     4  4  AES-CBC  128 bit  1.6    PDF 1.6
//   kAes256     6  5  AES-CBC  256 bit  1.7 + /Extensions (ADBE level 8)
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pyra::pdf {

enum class KeyLengthMode : uint8_t { kRc4Bits40 = 0, kRc4Bits128 = 1, kAes128 = 2, kAes256 = 3 };

// The key length mode byte as hosts set it. Values above 3 were never given a
// meaning; they select 128-bit RC4, matching the header rule that any
// non-zero mode asks for 128-bit keys.
KeyLengthMode keyLengthModeFromByte(uint8_t value);

// True when SOURCE_DATE_EPOCH is set: random material (the owner value of a
// document without passwords, AES salts, file keys and IVs) is then derived
// from the file identifier and the passwords so two runs give the same bytes.
bool reproducibleOutputRequested();

class StandardSecurity {
 public:
  using FileId = std::array<uint8_t, 16>;

  // Bits of the permission byte.
  static constexpr uint8_t kEncrypt = 0x01;
  static constexpr uint8_t kPrint = 0x02;
  static constexpr uint8_t kModify = 0x04;
  static constexpr uint8_t kCopy = 0x08;
  static constexpr uint8_t kAnnotate = 0x10;
  static constexpr uint8_t kLowQualityPrint = 0x20;  // 128-bit and AES modes only

  // Passwords are UTF-8 or, when their bytes are not well-formed UTF-8, the
  // host's 8-bit Windows-1252 text; a zero byte ends them. RC4 and AES-128
  // use the first 32 bytes of the password in PDFDocEncoding (what readers
  // turn a typed password into), AES-256 the first 127 bytes of its UTF-8.
  // An empty owner password means the user password; both empty give a
  // random owner password nobody knows, so the permissions hold for
  // everyone. `file_id` is the first element of the trailer's /ID.
  // `reproducible` derives every random byte from the file identifier and
  // the passwords instead of the system generator.
  StandardSecurity(std::string_view owner_password, std::string_view user_password, uint8_t permission,
                   KeyLengthMode mode, const FileId& file_id, bool reproducible);
  StandardSecurity(std::string_view owner_password, std::string_view user_password, uint8_t permission,
                   KeyLengthMode mode, const FileId& file_id)
      : StandardSecurity(owner_password, user_password, permission, mode, file_id, reproducibleOutputRequested()) {}

  KeyLengthMode mode() const { return mode_; }
  int revision() const;

  // The body of the encryption dictionary, without "<<" and ">>", lines
  // separated by LF. Its object must be written unencrypted.
  const std::string& dictionaryText() const { return dictionary_; }

  // The lowest header version readers need: "" (40-bit RC4: whatever the
  // document needs), "1.4", "1.6" or "1.7".
  std::string_view headerVersion() const;
  // Catalog entries the mode needs ("" or the /Extensions entry of AES-256).
  std::string_view catalogExtensions() const;

  int32_t permissionValue() const { return permission_value_; }
  static int32_t permissionValue(uint8_t permission, KeyLengthMode mode);
  static std::array<uint8_t, 32> padPassword(std::string_view password);
  // The password bytes revisions 2-4 hash (PDFDocEncoding, characters it
  // lacks become '?'; not yet cut to 32) and those of revision 6 (UTF-8, cut
  // to 127 bytes).
  static std::string legacyPassword(std::string_view password);
  static std::string aes256Password(std::string_view password);

  // Size of `plain_size` bytes once encrypted: the same for RC4; for AES a
  // 16-byte IV plus the data padded to the next whole block.
  size_t encryptedSize(size_t plain_size) const;
  // Encrypts a string's or stream's bytes for the object that holds them.
  // RC4 works in place and leaves empty data empty; AES replaces the buffer
  // by IV + ciphertext (empty data becomes 32 bytes).
  void encrypt(uint32_t object_number, uint16_t generation, std::vector<uint8_t>& bytes) const;
  std::string encryptText(uint32_t object_number, uint16_t generation, std::string_view text) const;
  // Reverses encrypt(); for tests and tools. Throws std::runtime_error on
  // data that cannot be AES output.
  std::vector<uint8_t> decrypt(uint32_t object_number, uint16_t generation, std::span<const uint8_t> bytes) const;

  // The per-object key: RC4 or AES-128 key derived from the file key, object
  // number and generation; the file key itself for AES-256. Lets a streaming
  // writer run its own Rc4 over a stream.
  std::vector<uint8_t> objectKey(uint32_t object_number, uint16_t generation) const;

  std::span<const uint8_t> fileKey() const { return file_key_; }
  std::span<const uint8_t> ownerValue() const { return owner_value_; }
  std::span<const uint8_t> userValue() const { return user_value_; }

 private:
  void computeRc4Revision(std::string_view owner, std::string_view user);
  void computeAes256(std::string_view owner, std::string_view user);
  void fillRandom(std::string_view label, std::span<uint8_t> out) const;
  std::array<uint8_t, 16> ivFor(uint32_t object_number, uint16_t generation, std::span<const uint8_t> plain) const;
  void buildDictionary();

  KeyLengthMode mode_;
  FileId file_id_;
  bool reproducible_;
  int32_t permission_value_;
  size_t key_length_;  // bytes: 5, 16 or 32
  std::vector<uint8_t> seed_;  // secret input of derived "random" bytes (reproducible mode)
  std::vector<uint8_t> file_key_;
  std::vector<uint8_t> owner_value_;
  std::vector<uint8_t> user_value_;
  std::vector<uint8_t> owner_key_value_;  // /OE
  std::vector<uint8_t> user_key_value_;   // /UE
  std::vector<uint8_t> perms_value_;      // /Perms
  std::string dictionary_;
};

}  // namespace pyra::pdf
