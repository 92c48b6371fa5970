#include "demo/reports/utf16.h"

#include <cstdint>

namespace pyra::reports {

std::u16string utf16FromUtf8(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const uint8_t b = uint8_t(text[i]);
    uint32_t cp = 0xFFFD;
    size_t need = 0;
    if (b < 0x80) cp = b;
    else if ((b & 0xE0) == 0xC0) need = 1, cp = b & 0x1F;
    else if ((b & 0xF0) == 0xE0) need = 2, cp = b & 0x0F;
    else if ((b & 0xF8) == 0xF0) need = 3, cp = b & 0x07;
    size_t used = 1;
    if (need > 0) {
      bool ok = need < text.size() - i;  // the continuation bytes are present
      for (size_t k = 1; ok && k <= need; ++k) ok = (uint8_t(text[i + k]) & 0xC0) == 0x80;
      if (ok) {
        for (size_t k = 1; k <= need; ++k) cp = (cp << 6) | (uint8_t(text[i + k]) & 0x3F);
        used = need + 1;
        static constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kLeast[need] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
      } else {
        cp = 0xFFFD;
      }
    }
    i += used;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += char16_t(0xD800 + (cp >> 10));
      out += char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      out += char16_t(cp);
    }
  }
  return out;
}

}  // namespace pyra::reports
