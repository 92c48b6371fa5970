#pragma once
// The glyphs a document draws with one embedded program, collected while
// pages are drawn and handed to subsetTrueType when the document ends.
#include <cstdint>
#include <set>

#include "engine/fonts/truetype_font.h"

namespace pyra::fonts {

class SubsetGlyphs {
 public:
  // Borrows the font; it must outlive this object.
  explicit SubsetGlyphs(const TrueTypeFont& font) : font_(font) {}

  // A character drawn, as a UTF-16 unit or code point. Ohm (U+2126) and
  // increment (U+2206) are drawn by some fonts' Omega and Delta and by
  // others as glyphs of their own, so those pairs are marked together.
  void markChar(uint32_t code);
  // A byte drawn with a symbol font: through its byte map when it has one,
  // else its (3,0) map at 0xF000 + code or at the code.
  void markSymbolCode(uint8_t code);
  void markGlyph(uint16_t glyph, uint32_t code);

  // A real glyph was drawn for a code above the space: without one, a font
  // subset of the characters drawn is left out altogether.
  bool visibleGlyph() const { return visible_; }
  const std::set<uint16_t>& glyphs() const { return glyphs_; }

 private:
  const TrueTypeFont& font_;
  std::set<uint16_t> glyphs_;
  bool visible_ = false;
};

}  // namespace pyra::fonts
