// Font resources against a fake platform: lookup and naming of fonts,
// standard fonts, encodings, CJK fonts, measurement and failures.
#include <gtest/gtest.h>

#include <regex>

#include "engine/fonts/encoding_vector.h"
#include "engine/fonts/face_names.h"
#include "engine/fonts/font_resources.h"
#include "engine/fonts/standard_fonts.h"
#include "engine/pdf/byte_sink.h"
#include "engine/pdf/error.h"
#include "engine/pdf/pdf_device.h"
#include "font_resource_fake_platform.h"

using namespace pyra;
using namespace pyra::fonts;
using pyra::fonts::testing::FakeFontSource;
using pyra::fonts::testing::fakeWidth;

namespace {

struct Doc {
  pdf::MemorySink sink;
  pdf::TPxPDFDevice device;
  FakeFontSource platform;
  std::unique_ptr<FontResources> fonts;
  std::vector<std::pair<int, std::string>> errors;
  explicit Doc(uint8_t font_mode = 0) {
    device.setExternalOutput(&sink);
    device.info().DontSaveInfo = true;
    device.setFontMode(font_mode);
    device.setCallbacks([this](int32_t code, const std::string& t) { errors.emplace_back(code, t); }, nullptr);
    EXPECT_TRUE(device.beginDocument(612, 792, 72, 0));
    fonts = std::make_unique<FontResources>(device, platform);
  }
  // Ends the document and gives the whole file.
  std::string finish() {
    device.endDocument();
    return std::string(sink.data().begin(), sink.data().end());
  }
};

int countNames(const std::string& text) { return int(std::count(text.begin(), text.end(), '/')); }

}  // namespace

TEST(FontFaceNames, NormaliseAndCompact) {
  struct Case { const char* face; const char* normal; const char* compact; } cases[] = {
      {"Arial CE", "Arial", "Arial"},
      {"Times New Roman CE", "Times New Roman", "TimesNewRoman"},
      {"MS Sans Serif", "Arial", "Arial"},
      {"times", "Times New Roman", "TimesNewRoman"},
      {"Courier", "Courier New", "CourierNew"},
      {"System", "Courier New", "CourierNew"},
      {"timesnewroman", "TimesNewRoman", "TimesNewRoman"},
      {"couriernew", "CourierNew", "CourierNew"},
      {"Arial ce", "Arial", "Arial"},
      {"Tahoma ce", "Tahoma ce", "TahomaCe"},
      {"CE", "CE", "CE"},
      {"Arial (W1) narrow", "Arial (W1) narrow", "ArialW1Narrow"},
      {"a (b)", "a (b)", "aB"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(normaliseFaceName(c.face), c.normal) << c.face;
    EXPECT_EQ(compactFaceName(normaliseFaceName(c.face)), c.compact) << c.face;
  }
}

TEST(StandardFonts, BaseFontPerFaceAndStyle) {
  struct Case { const char* compact; uint8_t style; const char* base; } cases[] = {
      {"CourierNew", 3, "Courier-BoldOblique"}, {"CourierNew", 1, "Courier-Bold"},
      {"CourierNew", 2, "Courier-Oblique"},     {"TimesNewRoman", 2, "Times-Italic"},
      {"TimesNewRoman", 0, "Times-Roman"},      {"TimesNewRoman", 3, "Times-BoldItalic"},
      {"Symbol", 1, "Symbol"},                  {"Wingdings", 0, "ZapfDingbats"},
      {"ZapfDingbats", 0, "ZapfDingbats"},      {"Tahoma", 1, "Helvetica-Bold"},
      {"Arial", 0, "Helvetica"},                {"Arial", 3, "Helvetica-BoldOblique"},
  };
  for (const auto& c : cases) EXPECT_EQ(standardBaseFont(c.compact, c.style), c.base) << c.compact << " " << int(c.style);
}

TEST(EncodingVectors, DifferencesCoverTheirCodeRanges) {
  struct Case { int charset; const char* start; int names; } cases[] = {
      {204, "/Type/Encoding/Differences\n[128 /afii10051/afii10052/quotesinglbase", 128},
      {186, "/Type/Encoding/BaseEncoding/WinAnsiEncoding/Differences\n[160 /space/space/cent", 96},
      {161, "/Type/Encoding/Differences\n[160 /space/tonos/Alphatonos", 96},
      {162, "/Type/Encoding/Differences\n[160 /space/exclamdown/cent", 96},
      {238, "/Type/Encoding/Differences\n[128 /Euro/space/quotesinglbase", 128},
  };
  for (const auto& c : cases) {
    const std::string t = encodingDictionaryText(c.charset);
    EXPECT_EQ(t.rfind(c.start, 0), 0u) << c.charset << ": " << t.substr(0, 80);
    // Every name plus the key names of the dictionary itself.
    const int keys = c.charset == 186 ? 5 : 5;
    EXPECT_EQ(countNames(t) - keys, c.names) << c.charset;
  }
  EXPECT_NE(encodingDictionaryText(204).find("/afii10104\n192 /afii10017"), std::string::npos);
  EXPECT_EQ(encodingDictionaryText(0), "/Type/Encoding/Differences\n[128 /Euro]/BaseEncoding/WinAnsiEncoding");
  EXPECT_EQ(encodingDictionaryText(77), encodingDictionaryText(0));
}

TEST(FontResources, SameRequestFindsTheSameFont) {
  Doc doc;
  const int a = doc.fonts->findOrCreateFont("Arial", 0, 1);
  const int b = doc.fonts->findOrCreateFont("arial", 0, 1);
  const int c = doc.fonts->findOrCreateFont("Arial CE", 0, 1);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(doc.fonts->findOrCreateFont("Arial", 0, 0), 2);
  EXPECT_EQ(doc.fonts->findOrCreateFont("Arial", 204, 0), 3);
  EXPECT_EQ(doc.fonts->currentFontName(), "/F3");
  EXPECT_EQ(doc.device.resources().fonts().size(), 3u);
  // One platform font per created resource, each released again.
  EXPECT_EQ(doc.platform.opened.size(), 3u);
  EXPECT_EQ(doc.platform.open_fonts, 0);
}

TEST(FontResources, EncodingObjectsAreSharedPerCharset) {
  Doc doc;
  doc.fonts->findOrCreateFont("Arial", 204, 0);
  doc.fonts->findOrCreateFont("Times New Roman", 204, 2);
  doc.fonts->findOrCreateFont("Arial", 0, 0);
  doc.fonts->findOrCreateFont("Symbol", 2, 0);
  // Cyrillic and ANSI; the symbol font shows symbol codes, with no encoding.
  EXPECT_EQ(doc.fonts->encodingObjects().size(), 2u);
  const std::string pdf = doc.finish();
  std::smatch m;
  ASSERT_TRUE(std::regex_search(pdf, m, std::regex("/BaseFont/Arial\n/Encoding (\\d+) 0 R")));
  const std::string cyr = m[1];
  EXPECT_NE(pdf.find("/BaseFont/TimesNewRoman,Italic\n/Encoding " + cyr + " 0 R"), std::string::npos);
  EXPECT_NE(pdf.find(cyr + " 0 obj \r<<\r\n/Type/Encoding/Differences\n[128 /afii10051"), std::string::npos);
  EXPECT_NE(pdf.find("[128 /Euro]/BaseEncoding/WinAnsiEncoding"), std::string::npos);
  EXPECT_NE(pdf.find("/BaseFont/Symbol\n/FirstChar"), std::string::npos);
  // The resources name each font by its own key.
  EXPECT_NE(pdf.find("/Font << /F1 "), std::string::npos);
  EXPECT_NE(pdf.find("/F4 "), std::string::npos);
}

TEST(FontResources, SymbolFaceWithDefaultCharsetIsFoundAgain) {
  Doc doc;
  const int n = doc.fonts->findOrCreateFont("Wingdings", 1, 0);
  TPxPDFFont* f = doc.fonts->currentFont();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->charset(), 2);
  EXPECT_TRUE(f->charsetSubstituted());
  EXPECT_EQ(f->descriptor()->Flags, 6);
  EXPECT_EQ(doc.fonts->findOrCreateFont("Wingdings", 1, 0), n);
  EXPECT_EQ(doc.fonts->findOrCreateFont("Wingdings", 2, 0), n);
  // Asked for with the ANSI charset: one more font, found again after that.
  const int ansi = doc.fonts->findOrCreateFont("Symbol", 0, 0);
  EXPECT_EQ(doc.fonts->currentFont()->charset(), 2);
  EXPECT_EQ(doc.fonts->findOrCreateFont("Symbol", 0, 0), ansi);
  EXPECT_EQ(doc.fonts->fonts().size(), 2u);
  // Symbol text is shown byte for byte.
  EXPECT_EQ(doc.fonts->wideToAnsi(u"\xF041\x0042"), "AB");
  const std::string pdf = doc.finish();
  EXPECT_NE(pdf.find("/Flags 6"), std::string::npos);
  // Symbol codes go straight to the font's symbol map: no encoding, which
  // readers would apply as Latin glyph names.
  EXPECT_NE(pdf.find("/BaseFont/Wingdings\n/FirstChar 32"), std::string::npos);
  EXPECT_TRUE(doc.fonts->encodingObjects().empty());
}

TEST(FontResources, StandardFontModeWritesType1WithoutWidths) {
  Doc doc(3);
  EXPECT_EQ(doc.fonts->findOrCreateFont("Courier New", 0, 3), 1);
  EXPECT_EQ(doc.fonts->findOrCreateFont("Times New Roman", 0, 2), 2);
  EXPECT_EQ(doc.fonts->findOrCreateFont("Wingdings", 2, 0), 3);
  EXPECT_EQ(doc.fonts->findOrCreateFont("Tahoma", 0, 1), 4);
  EXPECT_TRUE(doc.fonts->fontIsStandard());
  EXPECT_EQ(doc.fonts->fontAvgWidth(), 0);
  int32_t ascent = 0, height = 0;
  doc.fonts->fontExtents(10, ascent, height);
  EXPECT_EQ(height, 10);
  EXPECT_EQ(ascent, 8);
  EXPECT_TRUE(doc.platform.opened.empty());
  const std::string pdf = doc.finish();
  EXPECT_NE(pdf.find("/Type/Font/Subtype/Type1/Name/F1/BaseFont/Courier-BoldOblique\n/Encoding/WinAnsiEncoding"),
            std::string::npos);
  EXPECT_NE(pdf.find("/Name/F2/BaseFont/Times-Italic"), std::string::npos);
  EXPECT_NE(pdf.find("/Name/F3/BaseFont/ZapfDingbats"), std::string::npos);
  EXPECT_NE(pdf.find("/Name/F4/BaseFont/Helvetica-Bold"), std::string::npos);
  EXPECT_EQ(pdf.find("/Widths"), std::string::npos);
  EXPECT_EQ(pdf.find("/FontDescriptor"), std::string::npos);
}

TEST(FontResources, JapaneseRequestGivesType0Font) {
  Doc doc(1);
  doc.fonts->findOrCreateFont("MS Mincho", 128, 1);
  doc.fonts->markUsedW(u"\x3042" u"A");
  const std::string pdf = doc.finish();
  EXPECT_NE(pdf.find("/Type/Font\n/Subtype/Type0\n/BaseFont/HeiseiMin-W3,Bold\n/Encoding /90msp-RKSJ-H\n"
                     "/DescendantFonts["),
            std::string::npos);
  EXPECT_NE(pdf.find("/Subtype/CIDFontType2\n/BaseFont/HeiseiMin-W3,Bold\n/WinCharSet 128\n/CIDSystemInfo "),
            std::string::npos);
  // "Adobe", "Japan1" as hexadecimal strings.
  EXPECT_NE(pdf.find("/Registry <41646f6265> /Ordering <4a6170616e31> /Supplement 2"), std::string::npos);
  EXPECT_EQ(pdf.find("/FontFile2"), std::string::npos);
  EXPECT_EQ(pdf.find("/Widths"), std::string::npos);
  // Readers extract through the collection's own maps.
  EXPECT_EQ(pdf.find("/ToUnicode"), std::string::npos);
}

TEST(FontResources, WidthsAreThoseOfTheRequestedCodePage) {
  Doc doc;
  doc.fonts->findOrCreateFont("Arial", 204, 0);
  TPxPDFFont* f = doc.fonts->currentFont();
  EXPECT_EQ(f->firstChar(), 30);
  EXPECT_EQ(f->lastChar(), 255);
  ASSERT_EQ(f->widths().size(), 226u);
  EXPECT_EQ(f->width('A'), fakeWidth(u'A'));
  // 0xC0 is CYRILLIC CAPITAL A in 1251, not A WITH GRAVE.
  EXPECT_EQ(f->width(0xC0), fakeWidth(u'\x0410'));
  EXPECT_EQ(f->width(29), 0);
  EXPECT_DOUBLE_EQ(doc.fonts->textWidthA("AA", 10), 2 * fakeWidth(u'A') / 100.0);
  EXPECT_DOUBLE_EQ(doc.fonts->textWidthW(u"\x0410", 1000), fakeWidth(u'\x0410'));
  std::vector<int32_t> adv(3, -1);
  ASSERT_TRUE(doc.fonts->glyphAdvancesA(std::string("A\xC0\x01", 3), 1000, adv, 2));
  EXPECT_EQ(adv[0], 2 * fakeWidth(u'A'));
  EXPECT_EQ(adv[1], 2 * fakeWidth(u'\x0410'));
  EXPECT_EQ(adv[2], -1);  // below FirstChar: left as it was
  int32_t ascent = 0, height = 0;
  doc.fonts->fontExtents(20, ascent, height);
  EXPECT_EQ(height, 23);
  EXPECT_EQ(ascent, 18);
}

TEST(FontResources, WideToAnsiSubstitutionRules) {
  Doc doc;
  doc.fonts->findOrCreateFont("Arial", 204, 0);
  EXPECT_EQ(doc.fonts->wideToAnsi(u"A\x0411"), "A\xC1");
  // Latin-1 text in a Cyrillic font: the bytes themselves rather than blanks.
  EXPECT_EQ(doc.fonts->wideToAnsi(u"\x00E9t\x00E9"), "\xE9t\xE9");
  // Characters the code page lacks become spaces.
  EXPECT_EQ(doc.fonts->wideToAnsi(u"A\x4E00"), "A ");
}

TEST(FontResources, PlatformFailuresRaiseAndRegisterNothing) {
  struct Case { const char* face; const char* message; } cases[] = {
      {"Bitmap Only", "Cannot load font data!"},
      {"No Widths", "Cannot load font widths!"},
  };
  for (const auto& c : cases) {
    Doc doc;
    doc.fonts->findOrCreateFont("Arial", 0, 0);
    try {
      doc.fonts->findOrCreateFont(c.face, 0, 0);
      ADD_FAILURE() << c.face << ": no exception";
    } catch (const pyra::Error& e) {
      EXPECT_STREQ(e.what(), c.message) << c.face;
    }
    EXPECT_EQ(doc.fonts->currentFont(), nullptr) << c.face;
    EXPECT_EQ(doc.fonts->fonts().size(), 1u) << c.face;
    EXPECT_EQ(doc.device.resources().fonts().size(), 1u) << c.face;
    EXPECT_EQ(doc.platform.open_fonts, 0) << c.face;
    // Questions without a current font get the neutral answers.
    EXPECT_EQ(doc.fonts->textWidthA("abc", 12), 0) << c.face;
    std::vector<int32_t> adv(1);
    EXPECT_FALSE(doc.fonts->glyphAdvancesA("a", 1000, adv, 12)) << c.face;
    doc.fonts->markUsedA("abc");
    // The document still ends as a valid file with the fonts that loaded.
    const std::string pdf = doc.finish();
    EXPECT_NE(pdf.find("/Font << /F1 "), std::string::npos) << c.face;
  }
}

TEST(FontResources, EmbeddingWithoutAProgramReportsAndWritesByReference) {
  Doc doc(1);
  doc.fonts->findOrCreateFont("Arial", 0, 0);
  ASSERT_EQ(doc.errors.size(), 1u);
  EXPECT_EQ(doc.errors[0].first, 5);
  EXPECT_EQ(doc.errors[0].second, "internal error Arial");
  // A second charset of the same face: its own attempt, reported once more,
  // since a stream without a program is never shared.
  doc.fonts->findOrCreateFont("Arial", 204, 0);
  EXPECT_EQ(doc.errors.size(), 2u);
  const std::string pdf = doc.finish();
  EXPECT_EQ(pdf.find("/FontFile2"), std::string::npos);
}

TEST(FontResources, HostileFaceNamesAreEscapedInNames) {
  Doc doc;
  doc.fonts->findOrCreateFont("Odd/Face#<x>", 0, 0);
  const std::string pdf = doc.finish();
  EXPECT_NE(pdf.find("/BaseFont/Odd#2FFace#23#3Cx#3E\n"), std::string::npos);
  EXPECT_NE(pdf.find("/FontName/Odd#2FFace#23#3Cx#3E\n"), std::string::npos);
}

TEST(FontResources, BelongToOneDocument) {
  Doc doc;
  doc.fonts->findOrCreateFont("Arial", 0, 0);
  doc.finish();
  // The document is over: its fonts are written and the resources gone.
  EXPECT_THROW(doc.fonts->findOrCreateFont("Arial", 0, 0), pyra::Error);
  EXPECT_EQ(doc.fonts->currentFont(), nullptr);
  ASSERT_TRUE(doc.device.beginDocument(612, 792, 72, 0));
  EXPECT_THROW(doc.fonts->findOrCreateFont("Arial", 0, 0), pyra::Error);
  EXPECT_TRUE(doc.device.resources().fonts().empty());
  // Fonts made for a document and dropped before it ends are still written
  // with it.
  {
    FontResources early(doc.device, doc.platform);
    early.findOrCreateFont("Arial", 204, 0);
  }
  EXPECT_EQ(doc.device.resources().fonts().size(), 1u);
  const size_t before = doc.sink.data().size();
  doc.device.endDocument();
  const std::string second(doc.sink.data().begin() + long(before), doc.sink.data().end());
  EXPECT_NE(second.find("/BaseFont/Arial\n/Encoding "), std::string::npos);
  EXPECT_NE(second.find("[128 /afii10051"), std::string::npos);
}
