// FreeType as the independent reader of what we parse and write: our
// character map and metrics must agree with it on the source fonts, and
// every subset must load with the kept glyphs' outlines unchanged point for
// point.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gtest/gtest.h>

#include "engine/fonts/font_subset.h"
#include "truetype_test_fonts.h"

namespace pyra::fonts {
namespace {

using testing::TestFont;

class Face {
 public:
  Face(FT_Library lib, const std::vector<uint8_t>& bytes) : bytes_(bytes) {
    error_ = FT_New_Memory_Face(lib, bytes_.data(), FT_Long(bytes_.size()), 0, &face_);
  }
  ~Face() {
    if (face_) FT_Done_Face(face_);
  }
  FT_Face get() const { return face_; }
  FT_Error error() const { return error_; }

 private:
  std::vector<uint8_t> bytes_;  // FreeType reads from here as long as the face lives
  FT_Face face_ = nullptr;
  FT_Error error_ = 0;
};

struct Outline {
  FT_Error error = 0;
  long advance = 0;
  std::vector<FT_Vector> points;
  std::vector<char> tags;
  std::vector<short> contours;
};

Outline outlineOf(FT_Face face, unsigned glyph) {
  Outline o;
  o.error = FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING);
  if (o.error) return o;
  const FT_Outline& ol = face->glyph->outline;
  o.advance = face->glyph->metrics.horiAdvance;
  o.points.assign(ol.points, ol.points + ol.n_points);
  o.tags.assign(ol.tags, ol.tags + ol.n_points);
  o.contours.assign(ol.contours, ol.contours + ol.n_contours);
  return o;
}

// Composite closure as FreeType sees it, independent of our parser.
void addWithComponents(FT_Face face, unsigned glyph, std::set<uint16_t>& out) {
  if (!out.insert(uint16_t(glyph)).second) return;
  if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_RECURSE)) return;
  if (face->glyph->format != FT_GLYPH_FORMAT_COMPOSITE) return;
  std::vector<unsigned> parts;
  for (FT_UInt i = 0; i < face->glyph->num_subglyphs; ++i) {
    FT_Int index;
    FT_UInt flags;
    FT_Int a1, a2;
    FT_Matrix m;
    if (FT_Get_SubGlyph_Info(face->glyph, i, &index, &flags, &a1, &a2, &m) == 0) parts.push_back(unsigned(index));
  }
  for (unsigned p : parts) addWithComponents(face, p, out);
}

bool sameOutline(const Outline& a, const Outline& b) {
  if (a.points.size() != b.points.size() || a.tags != b.tags || a.contours != b.contours || a.advance != b.advance)
    return false;
  for (size_t i = 0; i < a.points.size(); ++i)
    if (a.points[i].x != b.points[i].x || a.points[i].y != b.points[i].y) return false;
  return true;
}

class TrueTypeFreeType : public ::testing::TestWithParam<TestFont> {
 protected:
  void SetUp() override { ASSERT_EQ(FT_Init_FreeType(&lib_), 0); }
  void TearDown() override { FT_Done_FreeType(lib_); }

  // Subsets `source` to the glyphs of `used` and checks the result against
  // FreeType's reading of the source.
  void checkSubset(const std::string& label, const std::vector<uint8_t>& source, const std::set<uint16_t>& used) {
    std::string why;
    auto font = parseTrueType(source, &why);
    ASSERT_TRUE(font) << label << ": " << why;
    const auto subset = subsetTrueType(*font, used, &why);
    ASSERT_FALSE(subset.empty()) << label << ": " << why;
    Face src(lib_, source), sub(lib_, subset);
    ASSERT_EQ(src.error(), 0) << label;
    ASSERT_EQ(sub.error(), 0) << label << ": FreeType refuses the subset";
    ASSERT_EQ(sub.get()->num_glyphs, src.get()->num_glyphs) << label << ": glyph ids must not move";

    std::set<uint16_t> expected;
    addWithComponents(src.get(), 0, expected);
    for (uint16_t g : used) addWithComponents(src.get(), g, expected);
    for (FT_Long g = 0; g < src.get()->num_glyphs; ++g) {
      const Outline want = outlineOf(src.get(), unsigned(g));
      const Outline got = outlineOf(sub.get(), unsigned(g));
      ASSERT_EQ(got.error, 0) << label << ": glyph " << g << " does not load from the subset";
      if (expected.count(uint16_t(g))) {
        EXPECT_TRUE(sameOutline(want, got)) << label << ": glyph " << g << " changed";
      } else {
        EXPECT_TRUE(got.points.empty() && got.contours.empty()) << label << ": glyph " << g << " kept its outline";
        EXPECT_EQ(got.advance, want.advance) << label << ": glyph " << g << " width";
      }
    }
    // Every character of the source that reaches a kept glyph reaches it in
    // the subset too; nothing else maps anywhere but glyph 0.
    if (FT_Select_Charmap(src.get(), FT_ENCODING_UNICODE) != 0) return;
    ASSERT_EQ(FT_Select_Charmap(sub.get(), FT_ENCODING_UNICODE), 0) << label;
    FT_UInt gi;
    for (FT_ULong c = FT_Get_First_Char(src.get(), &gi); gi != 0; c = FT_Get_Next_Char(src.get(), c, &gi)) {
      const FT_UInt want = expected.count(uint16_t(gi)) ? gi : 0;
      const FT_UInt got = FT_Get_Char_Index(sub.get(), c);
      EXPECT_TRUE(got == want || (want == 0 && expected.count(uint16_t(got)) == 0))
          << label << ": U+" << std::hex << c << " maps to " << std::dec << got << ", want " << want;
    }
  }

  FT_Library lib_ = nullptr;
};

TEST_P(TrueTypeFreeType, CharacterMapAndMetricsAgreeWithFreeType) {
  const TestFont& tf = GetParam();
  const auto bytes = testing::loadFont(tf.path);
  std::string why;
  auto font = parseTrueType(bytes, &why);
  ASSERT_TRUE(font) << tf.label << ": " << why;
  Face face(lib_, bytes);
  ASSERT_EQ(face.error(), 0);
  ASSERT_EQ(FT_Select_Charmap(face.get(), FT_ENCODING_UNICODE), 0);
  EXPECT_EQ(font->numGlyphs(), face.get()->num_glyphs) << tf.label;
  EXPECT_EQ(font->unitsPerEm(), face.get()->units_per_EM) << tf.label;
  int mapped = 0;
  FT_UInt gi;
  for (FT_ULong c = FT_Get_First_Char(face.get(), &gi); gi != 0; c = FT_Get_Next_Char(face.get(), c, &gi)) {
    ASSERT_EQ(font->glyphForChar(uint32_t(c)), gi) << tf.label << ": U+" << std::hex << c;
    ++mapped;
  }
  EXPECT_GT(mapped, 200) << tf.label;
  // Codes the Unicode map lacks, including Latin-1 ones the Macintosh byte
  // map would answer with a different character's glyph.
  for (uint32_t c = 0; c < 0x300; ++c)
    ASSERT_EQ(font->glyphForChar(c), FT_Get_Char_Index(face.get(), c)) << tf.label << ": code " << c;
  for (uint32_t c : {0xFFFFu, 0x10FFFFu, 0x110000u, 0xFFFFFFFFu})
    EXPECT_EQ(font->glyphForChar(c), FT_Get_Char_Index(face.get(), c)) << tf.label << ": code " << c;
  for (FT_Long g = 0; g < face.get()->num_glyphs; g += 7) {
    ASSERT_EQ(FT_Load_Glyph(face.get(), FT_UInt(g), FT_LOAD_NO_SCALE), 0);
    ASSERT_EQ(font->advanceWidth(uint16_t(g)), face.get()->glyph->metrics.horiAdvance) << tf.label << ": glyph " << g;
  }
}

TEST_P(TrueTypeFreeType, SubsetKeepsUsedOutlinesExactly) {
  const TestFont& tf = GetParam();
  const auto bytes = testing::loadFont(tf.path);
  auto font = parseTrueType(bytes);
  ASSERT_TRUE(font);
  // Letters, digits, accented (composite) letters and a few symbols.
  std::set<uint16_t> used = testing::glyphsOf(*font, "Hamburgefonstiv 0123456789 \xE9\xE8\xC5\xF1\xFC\x80\x99");
  for (uint32_t c : {0x03A9u, 0x2126u, 0x1EA0u, 0x01FAu}) used.insert(font->glyphForChar(c));
  checkSubset(tf.label, bytes, used);
}

TEST_P(TrueTypeFreeType, EmptyAndFullSubsetsLoad) {
  const TestFont& tf = GetParam();
  const auto bytes = testing::loadFont(tf.path);
  auto font = parseTrueType(bytes);
  ASSERT_TRUE(font);
  checkSubset(std::string(tf.label) + " (nothing drawn)", bytes, {});
  std::set<uint16_t> all;
  for (uint32_t g = 0; g < font->numGlyphs(); ++g) all.insert(uint16_t(g));
  checkSubset(std::string(tf.label) + " (every glyph)", bytes, all);
}

// A subset of a subset starts from a short-format location table and
// 'true'-versioned program, both seen in real fonts.
TEST_P(TrueTypeFreeType, ShortLocationsAndAppleVersionSubsetToo) {
  const TestFont& tf = GetParam();
  auto font = parseTrueType(testing::loadFont(tf.path));
  ASSERT_TRUE(font);
  auto first = subsetTrueType(*font, testing::glyphsOf(*font, "abcdefgh\xE9\xE0"));
  auto reparsed = parseTrueType(first);
  ASSERT_TRUE(reparsed);
  EXPECT_FALSE(reparsed->longLoca()) << tf.label << ": a small subset uses short locations";
  testing::put32(first, 0, pyra::fonts::tableTag("true"));
  checkSubset(std::string(tf.label) + " (short loca, 'true')", first, testing::glyphsOf(*font, "ace\xE9"));
}

INSTANTIATE_TEST_SUITE_P(Fonts, TrueTypeFreeType, ::testing::ValuesIn(testing::testFonts()),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace pyra::fonts
