// Structure of the subsets we write, beyond what FreeType and poppler
// check: directory and checksums, composite closure, the characters that
// mark glyphs, and symbol-encoded fonts.
#include <gtest/gtest.h>

#include "engine/fonts/font_subset.h"
#include "engine/fonts/font_subset_glyphs.h"
#include "engine/fonts/truetype_sfnt_writer.h"
#include "truetype_test_fonts.h"

namespace pyra::fonts {
namespace {

using namespace pyra::fonts::testing;
using Bytes = std::vector<uint8_t>;

// The subset's directory, checksums and head adjustment are what strict
// readers verify.
TEST(TrueTypeSubset, ChecksumsDirectoryAndAlignmentAreValid) {
  for (const auto& tf : testFonts()) {
    auto font = parseTrueType(loadFont(tf.path));
    ASSERT_TRUE(font) << tf.label;
    const Bytes s = subsetTrueType(*font, glyphsOf(*font, "Checksum \xE9"));
    const uint16_t n = get16(s, 4);
    uint16_t power = 1, log2 = 0;
    while (power * 2 <= n) power *= 2, ++log2;
    EXPECT_EQ(get16(s, 6), power * 16) << tf.label;
    EXPECT_EQ(get16(s, 8), log2) << tf.label;
    EXPECT_EQ(get16(s, 10), n * 16 - power * 16) << tf.label;
    std::set<uint32_t> tags;
    uint32_t prev = 0;
    for (size_t i = 0; i < n; ++i) {
      const size_t d = 12 + 16 * i;
      const uint32_t tag = get32(s, d), sum = get32(s, d + 4), off = get32(s, d + 8), len = get32(s, d + 12);
      EXPECT_GT(tag, prev) << tf.label << ": directory sorted";
      prev = tag;
      tags.insert(tag);
      EXPECT_EQ(off % 4, 0u) << tf.label << ": " << tagText(tag);
      ASSERT_LE(size_t(off) + len, s.size()) << tf.label;
      Bytes table(s.begin() + off, s.begin() + off + len);
      if (tag == tableTag("head")) put32(table, 8, 0);
      EXPECT_EQ(sfntChecksum(table), sum) << tf.label << ": " << tagText(tag);
    }
    EXPECT_EQ(s.size() % 4, 0u) << tf.label;
    EXPECT_EQ(sfntChecksum(s), 0xB1B0AFBAu) << tf.label << ": head checksum adjustment";
    for (const char* dropped : {"GPOS", "GSUB", "kern", "GDEF"})
      EXPECT_EQ(tags.count(tableTag(*reinterpret_cast<const char(*)[5]>(dropped))), 0u) << tf.label << ": " << dropped;
    for (const char* kept : {"cmap", "glyf", "head", "hhea", "hmtx", "loca", "maxp", "post", "cvt ", "fpgm", "prep"})
      EXPECT_EQ(tags.count(tableTag(*reinterpret_cast<const char(*)[5]>(kept))), 1u) << tf.label << ": " << kept;
  }
}

// Composites whose components are composites with lower ids: a single pass
// in id order would lose the inner pieces.
TEST(TrueTypeSubset, NestedCompositesKeepEveryLevel) {
  Bytes b = loadFont(kSans);
  const uint16_t outer = glyphOf(b, 0xE9), inner = glyphOf(b, 0xE8);
  auto before = parseTrueType(b);
  ASSERT_TRUE(before);
  const auto inner_parts = before->components(inner);
  ASSERT_FALSE(inner_parts.empty());
  // Make e-acute draw e-grave as its first piece, and give the inner glyph
  // the higher id by picking the pair that way round when needed.
  const uint16_t hi = std::max(outer, inner), lo = std::min(outer, inner);
  setFirstComponent(b, hi, lo);
  std::string why;
  auto font = parseTrueType(b, &why);
  ASSERT_TRUE(font) << why;
  const auto keep = subsetGlyphs(*font, {hi});
  EXPECT_TRUE(keep[hi] && keep[lo]);
  for (uint16_t c : font->components(lo)) EXPECT_TRUE(keep[c]) << "component " << c << " of glyph " << lo;
}

// Liberation Sans with its Unicode maps relabelled as a (3,0) symbol map,
// the way symbol fonts map their bytes.
Bytes symbolFont() {
  Bytes b = loadFont(kSans);
  const size_t cmap = tableOffset(b, tableTag("cmap"));
  const uint16_t n = get16(b, cmap + 2);
  for (size_t i = 0; i < n; ++i) {
    const size_t rec = cmap + 4 + 8 * i;
    if (get16(b, rec) == 0) put16(b, rec, 2);  // ISO platform: ignored
    if (get16(b, rec) == 3) put16(b, rec + 2, 0);
  }
  return b;
}

TEST(TrueTypeSubset, SymbolMapsAreKeptForSymbolFonts) {
  std::string why;
  auto font = parseTrueType(symbolFont(), &why);
  ASSERT_TRUE(font) << why;
  auto plain = parseTrueType(loadFont(kSans));
  EXPECT_FALSE(font->cmap().hasUnicodeMap());
  EXPECT_TRUE(font->cmap().hasSymbolMap());
  const uint16_t a = plain->glyphForChar('A');
  EXPECT_EQ(font->glyphForSymbolCode('A'), a);
  EXPECT_EQ(font->glyphForChar('A'), a);
  const Bytes subset = subsetTrueType(*font, {a});
  auto parsed = parseTrueType(subset, &why);
  ASSERT_TRUE(parsed) << why;
  EXPECT_TRUE(parsed->cmap().hasSymbolMap());
  EXPECT_FALSE(parsed->cmap().hasUnicodeMap());
  EXPECT_EQ(parsed->glyphForSymbolCode('A'), a);
  EXPECT_EQ(parsed->glyphForSymbolCode('B'), 0) << "only kept glyphs are mapped";
}

TEST(TrueTypeSubset, MarkingCharactersFollowsTheDrawingRules) {
  auto font = parseTrueType(loadFont(kSans));
  ASSERT_TRUE(font);
  SubsetGlyphs spaces(*font);
  spaces.markChar(' ');
  spaces.markChar('\t');
  spaces.markChar(0);
  EXPECT_FALSE(spaces.visibleGlyph()) << "spaces and controls draw nothing visible";
  spaces.markChar(0x10FFFF);
  EXPECT_FALSE(spaces.visibleGlyph()) << "a character without a glyph draws .notdef only";

  SubsetGlyphs omega(*font);
  omega.markChar(0x03A9);
  omega.markChar(0x0394);
  EXPECT_TRUE(omega.visibleGlyph());
  for (uint32_t c : {0x03A9u, 0x2126u, 0x0394u, 0x2206u})
    EXPECT_TRUE(omega.glyphs().count(font->glyphForChar(c))) << "U+" << std::hex << c;

  SubsetGlyphs bytes(*font);
  bytes.markSymbolCode('x');
  EXPECT_TRUE(bytes.glyphs().count(font->glyphForChar('x')));
  EXPECT_TRUE(bytes.visibleGlyph());
}

}  // namespace
}  // namespace pyra::fonts
