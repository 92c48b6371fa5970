#pragma once
// One font file face opened with FreeType, and the design-unit facts the
// metrics calls are computed from. Not thread-safe: FontObject serialises
// access to it.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pyra::gdi {

class CodePageConverter;

// Everything in font design units unless said otherwise, read from the
// font's own tables (head, hhea, OS/2, post).
struct FaceDesign {
  int units_per_em = 1000;
  bool outline = true;   // scalable sfnt outlines (TrueType or CFF)
  bool symbol = false;   // has a Microsoft symbol character map
  bool fixed_pitch = false;
  bool collection = false;  // the file is a TrueType collection
  int x_min = 0, y_min = 0, x_max = 0, y_max = 0;  // head font box
  int hhea_ascender = 0, hhea_descender = 0, hhea_line_gap = 0;
  int max_advance = 0, caret_rise = 1, caret_run = 0;
  bool has_os2 = false;
  int avg_width = 0, weight_class = 400;
  unsigned fs_type = 0, fs_selection = 0;
  int typo_ascender = 0, typo_descender = 0, typo_line_gap = 0;
  int win_ascent = 0, win_descent = 0;
  int cap_height = 0, x_height = 0;
  int subscript_x = 0, subscript_y = 0, subscript_x_offset = 0, subscript_y_offset = 0;
  int superscript_x = 0, superscript_y = 0, superscript_x_offset = 0, superscript_y_offset = 0;
  int strikeout_size = 0, strikeout_position = 0;
  int underline_position = 0, underline_thickness = 0;
  uint32_t code_page_range1 = 0;
  std::array<uint8_t, 10> panose{};
  double italic_angle = 0;  // degrees, negative leaning right
  std::string family, style, full_name;
  // Non-outline faces: the pixel metrics of the first strike.
  int bitmap_height = 0, bitmap_ascent = 0;
};

class FontFace {
 public:
  // Throws std::runtime_error when FreeType cannot open the face.
  static std::unique_ptr<FontFace> open(const std::string& path, int face_index);
  ~FontFace();
  FontFace(const FontFace&) = delete;
  FontFace& operator=(const FontFace&) = delete;

  const FaceDesign& design() const { return design_; }

  // Glyph of a Unicode character (0 when the font has none).
  unsigned glyphForChar(uint32_t code_point);
  // Glyph of a symbol-font code (0xF000 + code, then the code itself).
  unsigned glyphForSymbolCode(uint32_t code);
  // Advance in design units (pixels for a non-outline face).
  int advance(unsigned glyph);

  // A table of the face, whole, or nullopt when it has none. tag 0 is the
  // whole file.
  std::optional<std::vector<uint8_t>> table(uint32_t tag);
  // The face as a stand-alone font file: the file itself, or for a face of a
  // collection a file rebuilt from the face's tables.
  std::vector<uint8_t> standaloneFile();

 private:
  FontFace() = default;
  struct Impl;
  std::unique_ptr<Impl> impl_;
  FaceDesign design_;
};

}  // namespace pyra::gdi
