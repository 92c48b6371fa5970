#include "engine/fonts/font_subset_glyphs.h"

namespace pyra::fonts {

void SubsetGlyphs::markGlyph(uint16_t glyph, uint32_t code) {
  if (code == 0 || glyph >= font_.numGlyphs()) return;
  glyphs_.insert(glyph);
  if (glyph >= 1 && code >= 33) visible_ = true;
}

void SubsetGlyphs::markChar(uint32_t code) {
  if (code == 0) return;
  markGlyph(font_.glyphForChar(code), code);
  if (code == 0x03A9) markGlyph(font_.glyphForChar(0x2126), 0x2126);
  if (code == 0x0394) markGlyph(font_.glyphForChar(0x2206), 0x2206);
}

void SubsetGlyphs::markSymbolCode(uint8_t code) {
  markGlyph(font_.glyphForSymbolCode(code), code);
}

}  // namespace pyra::fonts
