#pragma once
// Subsets of TrueType programs for embedding: the glyphs a document drew
// keep their outlines, every other glyph is emptied. Glyph ids do not
// change, so the font's widths and the PDF's encoding stay valid as they are.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fonts/truetype_font.h"

namespace pyra::fonts {

// Marks a subset font's name. It is the same six letters for every subset,
// which readers accept as the "AAAAAA+" pattern.
inline constexpr std::string_view kSubsetTag = "MOBREL+";

// The name after "/BaseFont/" and "/FontName/": tagged when the program is
// embedded as a subset.
std::string fontNameForPdf(std::string_view font_name, bool embedded_subset);

// The glyphs a subset keeps: those drawn, glyph 0 (.notdef, which readers
// draw for anything missing) and every component of a kept composite, at
// any depth. Ids at or past numGlyphs are ignored.
std::vector<bool> subsetGlyphs(const TrueTypeFont& font, const std::set<uint16_t>& used);

// The subset program. Keeps the tables a PDF reader uses (glyf, loca, head,
// hhea, hmtx, maxp, cmap, cvt, fpgm, prep, gasp, OS/2, name, post); the
// character map only maps to kept glyphs, "post" loses its glyph names
// (format 3), layout and signature tables are dropped. Never fails for a
// font parseTrueType accepted; an empty result with `why` set otherwise.
std::vector<uint8_t> subsetTrueType(const TrueTypeFont& font, const std::set<uint16_t>& used,
                                    std::string* why = nullptr);

}  // namespace pyra::fonts
