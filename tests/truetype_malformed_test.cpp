// Damaged TrueType programs, made by mutating a real font in code: every
// one is refused with a reason (and the font falls back to a reference), or
// parsed and subset into a program that parses again. Never a crash.
#include <gtest/gtest.h>

#include <functional>

#include "engine/fonts/font_subset.h"
#include "engine/fonts/truetype_embedding.h"
#include "truetype_test_fonts.h"

namespace pyra::fonts {
namespace {

using namespace pyra::fonts::testing;
using Bytes = std::vector<uint8_t>;

void setLocaEntry(Bytes& b, size_t i, uint32_t at) {
  const size_t loca = tableOffset(b, tableTag("loca"));
  if (longLoca(b)) put32(b, loca + 4 * i, at);
  else put16(b, loca + 2 * i, uint16_t(at / 2));
}

// The first n composite glyphs, by id.
std::vector<uint16_t> composites(const Bytes& b, size_t n) {
  auto font = parseTrueType(b);
  std::vector<uint16_t> out;
  for (uint32_t g = 0; font && g < font->numGlyphs() && out.size() < n; ++g)
    if (!font->components(uint16_t(g)).empty()) out.push_back(uint16_t(g));
  EXPECT_EQ(out.size(), n);
  return out;
}

struct Case {
  const char* name;
  std::function<void(Bytes&)> mutate;
  const char* reason;  // nullptr: the font must parse and subset
};

const std::vector<Case>& cases() {
  static const std::vector<Case> rows = {
      {"empty file", [](Bytes& b) { b.clear(); }, "too short"},
      {"header only", [](Bytes& b) { b.resize(12); }, "do not fit"},
      {"truncated directory", [](Bytes& b) { b.resize(40); }, "do not fit"},
      {"truncated in the middle", [](Bytes& b) { b.resize(b.size() / 2); }, "runs past the end"},
      {"last byte missing", [](Bytes& b) { b.pop_back(); }, "runs past the end"},
      {"CFF OpenType", [](Bytes& b) { put32(b, 0, tableTag("OTTO")); }, "CFF"},
      {"font collection", [](Bytes& b) { put32(b, 0, tableTag("ttcf")); }, "collection"},
      {"unknown version", [](Bytes& b) { put32(b, 0, 0x00020000); }, "not a TrueType font"},
      {"Apple 'true' version", [](Bytes& b) { put32(b, 0, tableTag("true")); }, nullptr},
      {"65535 tables", [](Bytes& b) { put16(b, 4, 0xFFFF); }, "do not fit"},
      {"table length past the end",
       [](Bytes& b) { put32(b, directoryEntry(b, tableTag("name")) + 12, 0x7FFFFFF0); }, "runs past the end"},
      {"table offset wraps 32 bits",
       [](Bytes& b) {
         put32(b, directoryEntry(b, tableTag("name")) + 8, 0xFFFFFFF0);
         put32(b, directoryEntry(b, tableTag("name")) + 12, 0x20);
       },
       "runs past the end"},
      {"overlapping tables",
       [](Bytes& b) { put32(b, directoryEntry(b, tableTag("loca")) + 8, tableOffset(b, tableTag("glyf")) + 64); },
       "overlap"},
      {"table over the directory", [](Bytes& b) { put32(b, directoryEntry(b, tableTag("cmap")) + 8, 4); },
       "overlaps the table directory"},
      {"table listed twice", [](Bytes& b) { put32(b, directoryEntry(b, tableTag("FFTM")), tableTag("GDEF")); },
       "listed twice"},
      {"no head", [](Bytes& b) { put32(b, directoryEntry(b, tableTag("head")), tableTag("heaX")); }, "no 'head'"},
      {"no glyf", [](Bytes& b) { put32(b, directoryEntry(b, tableTag("glyf")), tableTag("CFF ")); },
       "no TrueType outlines"},
      {"no cmap", [](Bytes& b) { put32(b, directoryEntry(b, tableTag("cmap")), tableTag("cmaX")); }, "no 'cmap'"},
      {"short head", [](Bytes& b) { put32(b, directoryEntry(b, tableTag("head")) + 12, 20); }, "head"},
      {"units per em 0", [](Bytes& b) { put16(b, tableOffset(b, tableTag("head")) + 18, 0); }, "units per em"},
      {"location format 7", [](Bytes& b) { put16(b, tableOffset(b, tableTag("head")) + 50, 7); },
       "index-to-location"},
      {"no glyphs", [](Bytes& b) { put16(b, tableOffset(b, tableTag("maxp")) + 4, 0); }, "no glyphs"},
      {"65535 glyphs", [](Bytes& b) { put16(b, tableOffset(b, tableTag("maxp")) + 4, 0xFFFF); }, "loca: 65535 glyphs"},
      {"no horizontal metrics", [](Bytes& b) { put16(b, tableOffset(b, tableTag("hhea")) + 34, 0); },
       "no horizontal metrics"},
      {"hmtx shorter than its long metrics",
       [](Bytes& b) { put32(b, directoryEntry(b, tableTag("hmtx")) + 12, 400); }, "hmtx"},
      {"more long metrics than glyphs", [](Bytes& b) { put16(b, tableOffset(b, tableTag("hhea")) + 34, 0xFFFF); },
       nullptr},
      {"side bearings left out",
       [](Bytes& b) {
         const uint16_t glyphs = get16(b, tableOffset(b, tableTag("maxp")) + 4);
         put16(b, tableOffset(b, tableTag("hhea")) + 34, uint16_t(glyphs / 2));
         put32(b, directoryEntry(b, tableTag("hmtx")) + 12, uint32_t(glyphs / 2) * 4);
       },
       nullptr},
      {"location past glyf", [](Bytes& b) { setLocaEntry(b, 40, 0x1FFFE); put32(b, directoryEntry(b, tableTag("glyf")) + 12, 0x1000); },
       "past the"},
      {"last location past glyf",
       [](Bytes& b) {
         const uint16_t glyphs = get16(b, tableOffset(b, tableTag("maxp")) + 4);
         put32(b, directoryEntry(b, tableTag("glyf")) + 12, locaEntry(b, glyphs) - 4);
       },
       "past the"},
      {"decreasing locations", [](Bytes& b) { setLocaEntry(b, 50, locaEntry(b, 49) - 2); }, "ends before it starts"},
      {"glyph shorter than its header",
       [](Bytes& b) {
         const uint16_t g = glyphOf(b, 'A');
         setLocaEntry(b, g + 1u, locaEntry(b, g) + 4);
       },
       "less than its header"},
      {"composite contains itself",
       [](Bytes& b) {
         const uint16_t g = glyphOf(b, 0xE9);
         setFirstComponent(b, g, g);
       },
       "contains itself"},
      {"composite cycle",
       [](Bytes& b) {
         const uint16_t a = glyphOf(b, 0xE9), c = glyphOf(b, 0xE8);
         setFirstComponent(b, a, c);
         setFirstComponent(b, c, a);
       },
       "contains itself"},
      {"composites nested 20 deep, outermost first",
       [](Bytes& b) {
         const auto chain = composites(b, 21);
         for (size_t i = 0; i + 1 < chain.size(); ++i) setFirstComponent(b, chain[i], chain[i + 1]);
       },
       "nests deeper"},
      {"composites nested 20 deep, innermost first",
       [](Bytes& b) {
         const auto chain = composites(b, 21);
         for (size_t i = 0; i + 1 < chain.size(); ++i) setFirstComponent(b, chain[i + 1], chain[i]);
       },
       "nests deeper"},
      {"composites nested 16 deep",
       [](Bytes& b) {
         const auto chain = composites(b, 16);
         for (size_t i = 0; i + 1 < chain.size(); ++i) setFirstComponent(b, chain[i + 1], chain[i]);
       },
       nullptr},
      {"component past the glyphs", [](Bytes& b) { setFirstComponent(b, glyphOf(b, 0xE9), 0xFFF0); }, "uses glyph"},
      {"components run past the glyph",
       [](Bytes& b) {
         // Every component claims another follows.
         const uint16_t g = glyphOf(b, 0xE9);
         const size_t at = glyphAt(b, g), end = glyphAt(b, uint16_t(g + 1));
         for (size_t p = at + 10; p + 6 <= end; p += 6) put16(b, p, 0x0020), put16(b, p + 2, 3);
       },
       "runs past"},
      {"cmap record outside the table",
       [](Bytes& b) { put32(b, tableOffset(b, tableTag("cmap")) + 8, 0x00FFFFFF); }, "outside the table"},
      {"cmap with 65535 records", [](Bytes& b) { put16(b, tableOffset(b, tableTag("cmap")) + 2, 0xFFFF); },
       "encoding records"},
      {"format 4 with huge segment count",
       [](Bytes& b) {
         const size_t cmap = tableOffset(b, tableTag("cmap"));
         const uint16_t n = get16(b, cmap + 2);
         for (size_t i = 0; i < n; ++i) {
           const size_t sub = cmap + get32(b, cmap + 4 + 8 * i + 4);
           if (get16(b, sub) == 4) put16(b, sub + 6, 0xFFFE);
         }
       },
       "run past the table"},
      {"format 4 with overlapping segments",
       [](Bytes& b) {
         const size_t cmap = tableOffset(b, tableTag("cmap"));
         const uint16_t n = get16(b, cmap + 2);
         for (size_t i = 0; i < n; ++i) {
           const size_t sub = cmap + get32(b, cmap + 4 + 8 * i + 4);
           if (get16(b, sub) != 4) continue;
           const uint16_t segs = get16(b, sub + 6) / 2;
           // Every segment starts at 0 and points its range offset far away.
           for (size_t s = 0; s + 1 < segs; ++s) {
             put16(b, sub + 16 + 2 * segs + 2 * s, 0);
             put16(b, sub + 16 + 6 * segs + 2 * s, 0xFFF0);
           }
         }
       },
       nullptr},
      {"format 4 relabelled format 12",
       [](Bytes& b) {
         const size_t cmap = tableOffset(b, tableTag("cmap"));
         put16(b, cmap + get32(b, cmap + 4 + 4), 12);
       },
       "groups"},
      {"cmap with only an unknown encoding",
       [](Bytes& b) {
         const size_t cmap = tableOffset(b, tableTag("cmap"));
         for (size_t i = 0; i < get16(b, cmap + 2); ++i) put16(b, cmap + 4 + 8 * i, 7);
       },
       "no Unicode, symbol or byte character map"},
      {"garbage name table",
       [](Bytes& b) {
         const size_t name = tableOffset(b, tableTag("name"));
         put16(b, name + 2, 0xFFFF);
         put16(b, name + 4, 0xFFFF);
       },
       nullptr},
  };
  return rows;
}

TEST(TrueTypeMalformed, RefusedWithReasonOrParsedAndSubset) {
  const Bytes original = loadFont(kSans);
  ASSERT_FALSE(original.empty());
  for (const Case& c : cases()) {
    Bytes b = original;
    c.mutate(b);
    std::string why;
    auto font = parseTrueType(b, &why);
    if (c.reason) {
      EXPECT_FALSE(font) << c.name << ": accepted";
      EXPECT_NE(why.find(c.reason), std::string::npos) << c.name << ": reason was \"" << why << "\"";
      continue;
    }
    ASSERT_TRUE(font) << c.name << ": " << why;
    std::set<uint16_t> used;
    for (uint32_t code : {0x41u, 0xE9u, 0x20ACu}) used.insert(font->glyphForChar(code));
    const Bytes subset = subsetTrueType(*font, used, &why);
    ASSERT_FALSE(subset.empty()) << c.name << ": " << why;
    EXPECT_TRUE(parseTrueType(subset, &why)) << c.name << ": subset does not parse again: " << why;
  }
}

// Truncation at every table boundary and inside every table.
TEST(TrueTypeMalformed, TruncatedAnywhereIsRefused) {
  const Bytes original = loadFont(kSans);
  auto font = parseTrueType(original);
  ASSERT_TRUE(font);
  std::vector<size_t> cuts = {0, 1, 4, 11, 12, 13, 28};
  for (const auto& t : font->tables()) {
    cuts.push_back(t.offset);
    cuts.push_back(t.offset + t.length / 2);
    cuts.push_back(t.offset + t.length - 1);
  }
  for (size_t cut : cuts) {
    Bytes b(original.begin(), original.begin() + std::ptrdiff_t(std::min(cut, original.size() - 1)));
    std::string why;
    EXPECT_FALSE(parseTrueType(b, &why)) << "cut at " << cut;
    EXPECT_FALSE(why.empty()) << "cut at " << cut;
  }
}

// A refused program is written by reference with the engine's error text.
TEST(TrueTypeMalformed, RefusedProgramFallsBackToReference) {
  Bytes b = loadFont(kSans);
  put32(b, 0, tableTag("OTTO"));
  const bool parsed = parseTrueType(b).has_value();
  ProgramState state;
  state.descriptor_embed = state.stream_embed = true;
  state.program_read = parsed;
  state.full_font = false;
  state.visible_glyph = true;
  state.font_mode = kFontModeSubsetUsed;
  EXPECT_EQ(decideProgramForm(state), ProgramForm::Reference);
  EXPECT_EQ(fontProgramErrorText("LiberationSans"), "internal error LiberationSans");
}

}  // namespace
}  // namespace pyra::fonts
