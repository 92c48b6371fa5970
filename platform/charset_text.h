#pragma once
// 8-bit metafile text (META_TEXTOUT, EMR_EXTTEXTOUTA, WMF face names) to
// UTF-16 through the code page of a font's character set. Keeps one iconv
// descriptor per code page for the life of the decoder; not shared between
// threads.
#include <cstdint>
#include <array>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace pyra::gdi {

// Windows code page of a font character set (ANSI_CHARSET -> 1252, ...);
// 0 for the symbol character set, whose bytes map to U+F000 + byte.
uint32_t codePageOfCharset(uint8_t charset);

class CharsetDecoder {
 public:
  CharsetDecoder() = default;
  ~CharsetDecoder();
  CharsetDecoder(const CharsetDecoder&) = delete;
  CharsetDecoder& operator=(const CharsetDecoder&) = delete;

  // Decodes text; bytes_per_unit (when not null) receives, for each UTF-16
  // unit produced, how many source bytes it came from (0 for the second
  // unit of a pair), so advances given per byte can be summed per
  // character. Undecodable bytes become U+FFFD.
  std::u16string decode(std::span<const uint8_t> text, uint8_t charset,
                        std::vector<uint8_t>* bytes_per_unit = nullptr);
  // The other way, for WMF text records; a unit the code page cannot hold
  // becomes '?'. bytes_per_unit as above (0 for a unit merged into the
  // previous one, the low half of a surrogate pair).
  std::string encode(std::u16string_view text, uint8_t charset, std::vector<uint8_t>* bytes_per_unit = nullptr);

 private:
  void* descriptor(uint32_t code_page, bool to_bytes);
  std::map<uint32_t, void*> open_;
  std::map<uint32_t, void*> open_encode_;
  // Single-byte code pages decode through a table built once.
  const std::array<char16_t, 256>* singleByteTable(uint32_t code_page);
  std::map<uint32_t, std::array<char16_t, 256>> tables_;
};

}  // namespace pyra::gdi
