#pragma once
// Fonts and small helpers shared by the TrueType tests.
#include <cstdint>
#include <cstring>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/fonts/truetype_font.h"
#include "engine/fonts/truetype_tag.h"
#include "testkit/testkit.h"

namespace pyra::fonts::testing {

struct TestFont {
  const char* label;
  const char* path;
  const char* base_name;  // the name the PDF uses
};

inline void PrintTo(const TestFont& f, std::ostream* os) { *os << f.label; }

inline const std::vector<TestFont>& testFonts() {
  static const std::vector<TestFont> fonts = {
      {"LiberationSans", "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", "LiberationSans"},
      {"LiberationSerif", "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf", "LiberationSerif"},
      {"LiberationMono", "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf", "LiberationMono"},
      {"DejaVuSans", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "DejaVuSans"},
  };
  return fonts;
}

inline std::vector<uint8_t> loadFont(const std::string& path) { return testkit::readFile(path); }

// Windows-1252 byte to Unicode: the WinAnsiEncoding the test PDFs use.
inline uint32_t winAnsiToUnicode(uint8_t c) {
  static const uint16_t k80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                   0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  return (c >= 0x80 && c < 0xA0) ? k80[c - 0x80] : c;
}

// The glyphs that draw a WinAnsi string.
inline std::set<uint16_t> glyphsOf(const TrueTypeFont& font, const std::string& text) {
  std::set<uint16_t> used;
  for (char c : text) used.insert(font.glyphForChar(winAnsiToUnicode(uint8_t(c))));
  return used;
}

// Big-endian access to a font file being mutated.
inline uint32_t get32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b.at(at)) << 24 | uint32_t(b.at(at + 1)) << 16 | uint32_t(b.at(at + 2)) << 8 | b.at(at + 3);
}
inline uint16_t get16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b.at(at) << 8 | b.at(at + 1)); }
inline void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.at(at + size_t(i)) = uint8_t(v >> (24 - 8 * i));
}
inline void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b.at(at) = uint8_t(v >> 8);
  b.at(at + 1) = uint8_t(v);
}

// Position of a table's directory entry in the file; 0 when absent.
inline size_t directoryEntry(const std::vector<uint8_t>& b, uint32_t tag) {
  const uint16_t n = get16(b, 4);
  for (size_t i = 0; i < n; ++i)
    if (get32(b, 12 + 16 * i) == tag) return 12 + 16 * i;
  return 0;
}
inline size_t tableOffset(const std::vector<uint8_t>& b, uint32_t tag) { return get32(b, directoryEntry(b, tag) + 8); }

// The font the mutation tests start from.
inline constexpr const char* kSans = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

inline bool longLoca(const std::vector<uint8_t>& b) { return get16(b, tableOffset(b, tableTag("head")) + 50) == 1; }

inline uint32_t locaEntry(const std::vector<uint8_t>& b, size_t i) {
  const size_t loca = tableOffset(b, tableTag("loca"));
  return longLoca(b) ? get32(b, loca + 4 * i) : uint32_t(get16(b, loca + 2 * i)) * 2;
}

// File offset of a glyph's outline and the glyph id of a character.
inline size_t glyphAt(const std::vector<uint8_t>& b, uint16_t glyph) {
  return tableOffset(b, tableTag("glyf")) + locaEntry(b, glyph);
}
inline uint16_t glyphOf(const std::vector<uint8_t>& b, uint32_t code) {
  auto font = parseTrueType(b);
  return font ? font->glyphForChar(code) : 0;
}

// The first component record of a composite glyph starts at byte 10.
inline void setFirstComponent(std::vector<uint8_t>& b, uint16_t composite, uint16_t component) {
  const size_t at = glyphAt(b, composite);
  ASSERT_LT(int16_t(get16(b, at)), 0) << "glyph " << composite << " is not a composite";
  put16(b, at + 12, component);
}

}  // namespace pyra::fonts::testing
