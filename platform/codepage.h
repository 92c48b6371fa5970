#pragma once
// Conversion between the Windows 8-bit code pages and UTF-16 through glibc's
// iconv. A descriptor is opened per conversion (CodePageConverter); callers
// that convert many short strings keep one converter alive.
#include <iconv.h>

#include <cstdint>
#include <span>
#include <string>

#include "platform/charset_code_page.h"

namespace pyra::gdi {

// The iconv name of a Windows code page, or nullptr for one we do not
// convert. CP_ACP (0) and CP_OEMCP (1) are treated as 1252.
const char* iconvNameForCodePage(unsigned code_page);
unsigned normalizedCodePage(unsigned code_page);
// Whether every byte below 0x80 means the same ASCII character.
bool isAsciiCompatible(unsigned code_page);

std::string utf8FromUtf16(std::u16string_view text);
std::u16string utf16FromUtf8(std::string_view text);

class CodePageConverter {
 public:
  // Throws std::invalid_argument for a code page we do not convert.
  explicit CodePageConverter(unsigned code_page);
  ~CodePageConverter();
  CodePageConverter(const CodePageConverter&) = delete;
  CodePageConverter& operator=(const CodePageConverter&) = delete;

  unsigned codePage() const { return code_page_; }

  // Bytes to UTF-16. A byte sequence with no meaning becomes U+FFFD and sets
  // *invalid.
  std::u16string decode(std::span<const uint8_t> bytes, bool* invalid);
  // One byte alone to its character; 0 when the byte is not a character on
  // its own (a lead byte, an unassigned code).
  char16_t decodeByte(uint8_t byte);
  // UTF-16 to bytes. A character without a mapping (or a lone surrogate)
  // becomes `replacement` and sets *used_default.
  std::string encode(std::u16string_view text, char replacement, bool* used_default);

 private:
  unsigned code_page_;
  iconv_t to_utf16_ = iconv_t(-1);
  iconv_t from_utf16_ = iconv_t(-1);
  const char* name_;
};

}  // namespace pyra::gdi
