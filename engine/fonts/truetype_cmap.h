#pragma once
// The character map of a TrueType program: which glyph draws a character.
// Built from the subtables a PDF font needs (formats 0, 4, 6 and 12, Unicode
// and the (3,0) symbol encoding), validated once so lookups never leave the
// table.
#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace pyra::fonts {

class TrueTypeCmap {
 public:
  // One run of consecutive codes. Without `glyphs`: glyph = code + delta,
  // taken modulo 65536 when `wrap` (format 4) and refused outside the font
  // otherwise (format 12). With `glyphs`: glyphs[code - first], already
  // final (format 4 range offsets, formats 0 and 6).
  struct Range {
    uint32_t first = 0, last = 0;
    int64_t delta = 0;
    bool wrap = false;
    std::vector<uint16_t> glyphs;
  };
  // Codes mapped through one subtable, sorted by `first`, not overlapping.
  using Map = std::vector<Range>;

  // Parses the "cmap" table; throws std::runtime_error with a reason when
  // no usable subtable is present or one of them is damaged.
  static TrueTypeCmap parse(std::span<const uint8_t> table, uint16_t num_glyphs);

  // Glyph for a Unicode code point; 0 when the font has none. For a font with
  // only a symbol map, codes 0x20-0xFF also find their 0xF0xx entries.
  uint16_t glyphForChar(uint32_t code) const;
  // Glyph for a byte drawn with a symbol font: the format 0 map when the
  // font has one, else the (3,0) map at the code or at 0xF000 + code.
  uint16_t glyphForSymbolCode(uint8_t code) const;

  bool hasUnicodeMap() const { return !unicode_.empty(); }
  bool hasSymbolMap() const { return !symbol_.empty(); }
  bool hasFormat0Map() const { return has_format0_; }

  // Every (code, glyph) pair of the Unicode or symbol map whose glyph
  // `keep` accepts; used to write a subset's character map.
  std::vector<std::pair<uint32_t, uint16_t>> unicodePairs(const std::vector<bool>& keep) const;
  std::vector<std::pair<uint32_t, uint16_t>> symbolPairs(const std::vector<bool>& keep) const;
  std::vector<std::pair<uint32_t, uint16_t>> bytePairs(const std::vector<bool>& keep) const;
  bool hasByteMap() const { return !byte_map_.empty(); }

 private:
  static uint16_t lookup(const Map& map, uint32_t code);
  static std::vector<std::pair<uint32_t, uint16_t>> pairs(const Map& map, const std::vector<bool>& keep);

  Map unicode_;       // (3,10), (3,1), (0,*): the best one present
  Map symbol_;        // (3,0)
  Map byte_map_;      // a format 0 or 6 map of another encoding: codes 0-255 only
  bool has_format0_ = false;
  uint16_t num_glyphs_ = 0;
};

}  // namespace pyra::fonts
