#include "engine/fonts/standard_fonts.h"

namespace pyra::fonts {

std::string standardBaseFont(std::string_view compact_face, uint8_t style) {
  std::string lower(compact_face);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  const bool bold = style & 1, italic = style & 2;
  auto sansLike = [&](const char* base) {
    std::string s = base;
    if (bold && italic) s += "-BoldOblique";
    else if (bold) s += "-Bold";
    else if (italic) s += "-Oblique";
    return s;
  };
  if (lower.find("courier") != std::string::npos) return sansLike("Courier");
  if (lower.find("times") != std::string::npos) {
    if (bold && italic) return "Times-BoldItalic";
    if (bold) return "Times-Bold";
    if (italic) return "Times-Italic";
    return "Times-Roman";
  }
  if (lower == "symbol") return "Symbol";
  if (lower == "zapfdingbats" || lower == "wingdings") return "ZapfDingbats";
  return sansLike("Helvetica");
}

}  // namespace pyra::fonts
