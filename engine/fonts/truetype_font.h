#pragma once
// A TrueType font program (or the TrueType flavour of OpenType) read from
// the bytes the platform hands over, with the tables a PDF font needs
// parsed and checked once: afterwards every lookup and the subsetter stay
// inside the program whatever it claims.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/fonts/truetype_cmap.h"

namespace pyra::fonts {

struct TrueTypeTable {
  uint32_t tag = 0;
  uint32_t checksum = 0;
  uint32_t offset = 0;
  uint32_t length = 0;
};

class TrueTypeFont {
 public:
  // The whole program as read; whole-font embedding writes exactly these.
  std::span<const uint8_t> bytes() const { return data_; }
  uint32_t sfntVersion() const { return sfnt_version_; }
  const std::vector<TrueTypeTable>& tables() const { return tables_; }
  const TrueTypeTable* findTable(uint32_t tag) const;
  // The table's bytes; empty when the font has no such table.
  std::span<const uint8_t> table(uint32_t tag) const;

  uint16_t numGlyphs() const { return num_glyphs_; }
  uint16_t unitsPerEm() const { return units_per_em_; }
  int16_t xMin() const { return x_min_; }
  int16_t yMin() const { return y_min_; }
  int16_t xMax() const { return x_max_; }
  int16_t yMax() const { return y_max_; }
  bool longLoca() const { return long_loca_; }

  // Horizontal metrics in font units; glyphs past the font give 0.
  uint16_t advanceWidth(uint16_t glyph) const;
  // The advance in 1/1000 em, rounded to nearest as the widths arrays want.
  int advanceWidth1000(uint16_t glyph) const {
    return int((uint32_t(advanceWidth(glyph)) * 1000 + units_per_em_ / 2) / units_per_em_);
  }
  int16_t leftSideBearing(uint16_t glyph) const;
  int16_t ascender() const { return ascender_; }
  int16_t descender() const { return descender_; }
  int16_t lineGap() const { return line_gap_; }

  // From "post" (italic angle in degrees) and "OS/2" when present (else 0).
  double italicAngle() const { return italic_angle_; }
  bool isFixedPitch() const { return fixed_pitch_; }
  uint16_t weightClass() const { return weight_class_; }
  uint16_t fsType() const { return fs_type_; }
  int16_t capHeight() const { return cap_height_; }
  int16_t xHeight() const { return x_height_; }
  // From "name": PostScript name (id 6) and family (id 1), ASCII only; empty
  // when absent.
  const std::string& postScriptName() const { return postscript_name_; }
  const std::string& familyName() const { return family_name_; }

  const TrueTypeCmap& cmap() const { return cmap_; }
  uint16_t glyphForChar(uint32_t code) const { return cmap_.glyphForChar(code); }
  uint16_t glyphForSymbolCode(uint8_t code) const { return cmap_.glyphForSymbolCode(code); }

  // The glyph's outline bytes in "glyf"; empty for an empty glyph.
  std::span<const uint8_t> glyphData(uint16_t glyph) const;
  // The glyphs a composite glyph draws directly; empty for a simple glyph.
  std::span<const uint16_t> components(uint16_t glyph) const;

 private:
  friend std::optional<TrueTypeFont> parseTrueType(std::vector<uint8_t>&&, std::string*);
  friend class TrueTypeParser;

  std::vector<uint8_t> data_;
  uint32_t sfnt_version_ = 0;
  std::vector<TrueTypeTable> tables_;
  uint16_t num_glyphs_ = 0;
  uint16_t units_per_em_ = 2048;
  int16_t x_min_ = 0, y_min_ = 0, x_max_ = 0, y_max_ = 0;
  bool long_loca_ = false;
  int16_t ascender_ = 0, descender_ = 0, line_gap_ = 0;
  double italic_angle_ = 0;
  bool fixed_pitch_ = false;
  uint16_t weight_class_ = 0, fs_type_ = 0;
  int16_t cap_height_ = 0, x_height_ = 0;
  std::string postscript_name_, family_name_;
  std::vector<uint16_t> advances_;
  std::vector<int16_t> side_bearings_;
  uint32_t glyf_offset_ = 0;
  std::vector<uint32_t> locations_;  // numGlyphs + 1 byte offsets into "glyf"
  std::vector<std::vector<uint16_t>> components_;  // empty vectors for simple glyphs
  TrueTypeCmap cmap_;
};

// Parses and checks a program; on failure returns nothing and, when `why`
// is given, says what is wrong ("loca: glyph 17 ends before it starts").
// Refuses collections ('ttcf') and CFF-flavoured OpenType ('OTTO'), which
// cannot be embedded as a TrueType program.
std::optional<TrueTypeFont> parseTrueType(std::span<const uint8_t> bytes, std::string* why = nullptr);
std::optional<TrueTypeFont> parseTrueType(std::vector<uint8_t>&& bytes, std::string* why = nullptr);

// Composite glyphs may nest this deep; real fonts use two or three levels.
inline constexpr int kMaxComponentDepth = 16;

}  // namespace pyra::fonts
