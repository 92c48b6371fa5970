// Subset and whole TrueType programs embedded in a PDF, judged by poppler
// and qpdf: the subset must be recognised as such, render exactly as the
// whole font does, keep its text extractable and carry only the glyphs drawn.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <iostream>
#include <sstream>

#include "engine/fonts/font_subset.h"
#include "testkit/mini_pdf.h"
#include "truetype_test_fonts.h"

namespace pyra::fonts {
namespace {

using testing::TestFont;

// Ten distinct characters, one of them a composite glyph (e acute).
const std::string kText = "Fjord \xE9 42!";

std::vector<uint8_t> deflate(const std::vector<uint8_t>& in) {
  uLongf size = compressBound(uLong(in.size()));
  std::vector<uint8_t> out(size);
  EXPECT_EQ(compress2(out.data(), &size, in.data(), uLong(in.size()), 6), Z_OK);
  out.resize(size);
  return out;
}

int to1000(const TrueTypeFont& font, int v) { return int(std::lround(v * 1000.0 / font.unitsPerEm())); }

// A simple TrueType font with WinAnsiEncoding drawing kText, its program
// given as `program` and named `base_font`.
std::vector<uint8_t> makePdf(const TrueTypeFont& font, const std::vector<uint8_t>& program,
                             const std::string& base_font, bool symbolic = false) {
  testkit::MiniPdf pdf;
  const std::vector<uint8_t> packed = deflate(program);
  const int file = pdf.add("<< /Length1 " + std::to_string(program.size()) + " /Filter /FlateDecode >>", &packed);
  std::ostringstream d;
  d << "<< /Type /FontDescriptor /FontName /" << base_font << " /Flags " << (symbolic ? 4 : 32) << " /FontBBox [" << to1000(font, font.xMin())
    << ' ' << to1000(font, font.yMin()) << ' ' << to1000(font, font.xMax()) << ' ' << to1000(font, font.yMax())
    << "] /ItalicAngle 0 /Ascent " << to1000(font, font.ascender()) << " /Descent " << to1000(font, font.descender())
    << " /CapHeight " << to1000(font, font.capHeight()) << " /StemV 80 /FontFile2 " << file << " 0 R >>";
  const int descriptor = pdf.add(d.str());
  std::ostringstream f;
  f << "<< /Type /Font /Subtype /TrueType /BaseFont /" << base_font << " /FirstChar 32 /LastChar 255 /Widths [";
  for (int c = 32; c <= 255; ++c) {
    const uint16_t g = symbolic ? font.glyphForSymbolCode(uint8_t(c))
                                : font.glyphForChar(testing::winAnsiToUnicode(uint8_t(c)));
    f << to1000(font, font.advanceWidth(g)) << ' ';
  }
  // A symbolic font's codes go straight through its (3,0) map.
  f << "]" << (symbolic ? "" : " /Encoding /WinAnsiEncoding") << " /FontDescriptor " << descriptor << " 0 R >>";
  const int font_obj = pdf.add(f.str());
  pdf.addPage(300, 60, "BT /F1 36 Tf 10 16 Td (" + kText + ") Tj ET",
              "<< /Font << /F1 " + std::to_string(font_obj) + " 0 R >> >>");
  return pdf.bytes();
}

// The pdffonts row of a font: name, type, encoding, emb, sub, uni, object.
std::vector<std::string> pdffontsRow(const std::string& pdf, const std::string& name) {
  const auto result = testkit::run("pdffonts " + testkit::shellQuote(pdf));
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::vector<std::string> row;
    for (std::string w; words >> w;) row.push_back(w);
    if (!row.empty() && row[0] == name) return row;
  }
  ADD_FAILURE() << "pdffonts does not list " << name << ":\n" << result.out;
  return {};
}

int darkPixels(const testkit::Raster& r) {
  int n = 0;
  for (int y = 0; y < r.height; ++y)
    for (int x = 0; x < r.width; ++x) n += r.isDark(x, y);
  return n;
}

class TrueTypePdf : public ::testing::TestWithParam<TestFont> {};

TEST_P(TrueTypePdf, SubsetIsEmbeddedTaggedAndRendersAsTheWholeFont) {
  const TestFont& tf = GetParam();
  std::string why;
  auto font = parseTrueType(testing::loadFont(tf.path), &why);
  ASSERT_TRUE(font) << tf.label << ": " << why;
  const std::set<uint16_t> used = testing::glyphsOf(*font, kText);
  const std::vector<uint8_t> subset = subsetTrueType(*font, used, &why);
  ASSERT_FALSE(subset.empty()) << tf.label << ": " << why;

  testkit::TempDir dir;
  const std::string subset_name = fontNameForPdf(tf.base_name, true);
  EXPECT_EQ(subset_name, std::string("MOBREL+") + tf.base_name);
  const std::string subset_pdf = dir.file("subset.pdf"), whole_pdf = dir.file("whole.pdf");
  const auto subset_bytes = makePdf(*font, subset, subset_name);
  const auto whole = std::vector<uint8_t>(font->bytes().begin(), font->bytes().end());
  testkit::writeFile(subset_pdf, subset_bytes.data(), subset_bytes.size());
  const auto whole_bytes = makePdf(*font, whole, fontNameForPdf(tf.base_name, false));
  testkit::writeFile(whole_pdf, whole_bytes.data(), whole_bytes.size());

  std::string report;
  EXPECT_TRUE(testkit::qpdfCheck(subset_pdf, &report)) << tf.label << ": " << report;
  EXPECT_TRUE(testkit::qpdfCheck(whole_pdf, &report)) << tf.label << ": " << report;

  const auto row = pdffontsRow(subset_pdf, subset_name);
  ASSERT_EQ(row.size(), 8u) << tf.label;
  EXPECT_EQ(row[1], "TrueType") << tf.label;
  EXPECT_EQ(row[3], "yes") << tf.label << ": emb";
  EXPECT_EQ(row[4], "yes") << tf.label << ": sub";
  const auto whole_row = pdffontsRow(whole_pdf, tf.base_name);
  ASSERT_EQ(whole_row.size(), 8u) << tf.label;
  EXPECT_EQ(whole_row[3], "yes") << tf.label << ": emb";
  EXPECT_EQ(whole_row[4], "no") << tf.label << ": sub";

  // MuPDF as a second renderer: it loads the subset without complaint.
  const auto mu = testkit::run("mutool draw -q -o " + testkit::shellQuote(dir.file("mu.png")) + " " +
                               testkit::shellQuote(subset_pdf) + " 2>&1 | grep -v 'ICC support'");
  EXPECT_EQ(mu.out, "") << tf.label << ": mutool says " << mu.out;

  EXPECT_NE(testkit::pdfText(subset_pdf).find("Fjord \xC3\xA9 42!"), std::string::npos)
      << tf.label << ": " << testkit::pdfText(subset_pdf);

  const auto a = testkit::renderPage(subset_pdf, 1, 150), b = testkit::renderPage(whole_pdf, 1, 150);
  ASSERT_GT(a.width, 0) << tf.label;
  EXPECT_GT(darkPixels(a), 500) << tf.label << ": the subset draws the text";
  EXPECT_EQ(a.width, b.width) << tf.label;
  EXPECT_TRUE(a.rgb == b.rgb) << tf.label << ": subset and whole font render differently";

  // Only the glyphs drawn, .notdef and the pieces of composites keep outlines.
  auto parsed = parseTrueType(subset, &why);
  ASSERT_TRUE(parsed) << tf.label << ": " << why;
  std::set<uint16_t> expected = used;
  expected.insert(0);
  for (uint16_t g : used)
    for (uint16_t c : font->components(g)) expected.insert(c);
  EXPECT_FALSE(font->components(font->glyphForChar(0xE9)).empty()) << tf.label << ": e acute is a composite";
  for (uint32_t g = 0; g < font->numGlyphs(); ++g) {
    const bool kept = expected.count(uint16_t(g)) != 0;
    EXPECT_EQ(parsed->glyphData(uint16_t(g)).empty(), !kept || font->glyphData(uint16_t(g)).empty())
        << tf.label << ": glyph " << g;
  }

  const size_t whole_z = deflate(whole).size(), subset_z = deflate(subset).size();
  std::cout << "[sizes] " << tf.label << ": whole " << whole.size() << " bytes (Flate " << whole_z << "), subset of "
            << std::set<char>(kText.begin(), kText.end()).size() << " characters " << subset.size() << " bytes (Flate " << subset_z << ")\n";
  EXPECT_LT(subset_z * 8, whole_z) << tf.label << ": the subset should be far smaller";
}

// Symbol fonts map bytes through a (3,0) character map; the subset's own
// map must still lead the reader to the same glyphs.
TEST(TrueTypePdfSymbol, SymbolFontSubsetRendersAsTheWholeFont) {
  std::vector<uint8_t> bytes = testing::loadFont("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf");
  const size_t cmap = testing::tableOffset(bytes, tableTag("cmap"));
  for (size_t i = 0; i < testing::get16(bytes, cmap + 2); ++i) {
    const size_t rec = cmap + 4 + 8 * i;
    if (testing::get16(bytes, rec) == 0) testing::put16(bytes, rec, 2);
    if (testing::get16(bytes, rec) == 3) testing::put16(bytes, rec + 2, 0);
  }
  std::string why;
  auto font = parseTrueType(bytes, &why);
  ASSERT_TRUE(font) << why;
  std::set<uint16_t> used;
  for (char c : kText) used.insert(font->glyphForSymbolCode(uint8_t(c)));
  const auto subset = subsetTrueType(*font, used);
  testkit::TempDir dir;
  const std::string a = dir.file("subset.pdf"), b = dir.file("whole.pdf");
  const auto pa = makePdf(*font, subset, "MOBREL+SymbolTest", true);
  const auto pb = makePdf(*font, bytes, "SymbolTest", true);
  testkit::writeFile(a, pa.data(), pa.size());
  testkit::writeFile(b, pb.data(), pb.size());
  std::string report;
  EXPECT_TRUE(testkit::qpdfCheck(a, &report)) << report;
  const auto ra = testkit::renderPage(a, 1, 150), rb = testkit::renderPage(b, 1, 150);
  ASSERT_GT(ra.width, 0);
  EXPECT_GT(darkPixels(ra), 500);
  EXPECT_TRUE(ra.rgb == rb.rgb) << "symbol subset renders differently";
}

INSTANTIATE_TEST_SUITE_P(Fonts, TrueTypePdf, ::testing::ValuesIn(testing::testFonts()),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace pyra::fonts
