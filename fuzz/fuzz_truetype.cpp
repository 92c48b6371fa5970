// Parse then subset whatever bytes arrive: the parser must refuse or accept
// without reading outside the input, and a program it accepts must subset
// into one it accepts again.
//
// Seeds: small real programs work best, for instance subsets this module
// wrote of the Liberation and DejaVu fonts, and those fonts cut to their
// first few dozen glyphs; run with -max_len=16384 or less.
#include <cstdint>
#include <cstdlib>
#include <set>

#include "engine/fonts/font_subset.h"
#include "engine/fonts/truetype_font.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pyra::fonts;
  auto font = parseTrueType(std::span<const uint8_t>(data, size));
  if (!font) return 0;
  std::set<uint16_t> used;
  for (uint32_t code : {0x20u, 0x41u, 0x61u, 0xE9u, 0x20ACu, 0xF041u, 0x1F600u}) used.insert(font->glyphForChar(code));
  for (int c = 0; c < 256; c += 37) used.insert(font->glyphForSymbolCode(uint8_t(c)));
  // Lookups past the font must answer 0, not read.
  (void)font->advanceWidth(0xFFFF);
  (void)font->glyphData(0xFFFF);
  used.insert(uint16_t(font->numGlyphs() - 1));
  const auto subset = subsetTrueType(*font, used);
  if (subset.empty() || !parseTrueType(subset)) std::abort();
  return 0;
}
