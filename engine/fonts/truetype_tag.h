#pragma once
// Four-character table tags of sfnt font files, as the 32-bit big-endian
// values the table directory stores.
#include <cstdint>
#include <string>

namespace pyra::fonts {

constexpr uint32_t tableTag(const char (&text)[5]) {
  return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 |
         uint32_t(uint8_t(text[2])) << 8 | uint32_t(uint8_t(text[3]));
}

// Printable form for messages; bytes outside ASCII print as '?'.
inline std::string tagText(uint32_t tag) {
  std::string s(4, ' ');
  for (int i = 0; i < 4; ++i) {
    const char c = char((tag >> (24 - 8 * i)) & 0xFF);
    s[size_t(i)] = (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return s;
}

}  // namespace pyra::fonts
