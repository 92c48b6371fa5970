// Font resources in real documents, judged by poppler and qpdf: which fonts
// a document gets, whether its text extracts, and whether readers place
// glyphs where our widths say.
#include <gtest/gtest.h>
#include <pyra/gdi.h>

#include <regex>
#include <sstream>

#include "font_resource_pdf_doc.h"

using namespace pyra;
using namespace pyra::fonts;
using pyra::fonts::testing::PdfFontDoc;
using pyra::testkit::run;
using pyra::testkit::shellQuote;

namespace {

struct TextRun {
  const char* face;
  int charset;
  uint8_t style;
  const char16_t* text;
};

// Faces in several styles and character sets, including one requested
// twice: one resource per distinct face, style and charset.
const TextRun kRuns[] = {
    {"Arial", 0, 0, u"Caf\u00e9 \u20acuro na\u00efve"},
    {"Arial", 0, 1, u"Bold Arial"},
    {"Arial", 204, 2, u"\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451"},
    {"Times New Roman", 238, 0, u"P\u0159\u00edli\u0161 \u017elu\u0165ou\u010dk\u00fd k\u016f\u0148"},
    {"Times New Roman", 161, 3, u"\u039a\u03b1\u03bb\u03b7\u03bc\u03ad\u03c1\u03b1 \u03ba\u03cc\u03c3\u03bc\u03b5"},
    {"Courier New", 162, 0, u"G\u00fcnayd\u0131n \u015f\u011f\u0130 d\u00fcnya"},
    {"Courier New", 0, 2, u"Courier italic"},
    {"Arial", 0, 1, u"Arial bold again"},
    {"MS Mincho", 128, 0, u"\u3053\u3093\u306b\u3061\u306f\u4e16\u754c"},
    {"SimSun", 134, 0, u"\u4f60\u597d\u4e16\u754c"},
    {"Arial", 177, 0, u"\u05e9\u05dc\u05d5\u05dd"},
};

struct FontRow {
  std::string name, type, encoding, emb;
};

// pdffonts rows by name.
std::map<std::string, FontRow> pdfFonts(const std::string& pdf) {
  std::map<std::string, FontRow> rows;
  std::istringstream in(run("pdffonts " + shellQuote(pdf) + " 2>/dev/null").out);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) {
    if (++n <= 2 || line.size() < 80) continue;
    auto field = [&](size_t from, size_t len) {
      std::string s = line.substr(from, len);
      while (!s.empty() && s.back() == ' ') s.pop_back();
      return s;
    };
    FontRow r{field(0, 36), field(37, 17), field(55, 16), field(72, 3)};
    rows[r.name] = r;
  }
  return rows;
}

std::string utf8(std::u16string_view s) {
  std::string out;
  for (char16_t u : s) {
    if (u < 0x80) out += char(u);
    else if (u < 0x800) { out += char(0xC0 | (u >> 6)); out += char(0x80 | (u & 0x3F)); }
    else { out += char(0xE0 | (u >> 12)); out += char(0x80 | ((u >> 6) & 0x3F)); out += char(0x80 | (u & 0x3F)); }
  }
  return out;
}

std::string makeDocument(PdfFontDoc& doc) {
  double y = 760;
  for (const TextRun& r : kRuns) {
    doc.text(r.face, r.charset, r.style, 12, 72, y, r.text);
    y -= 24;
  }
  return doc.finish();
}

}  // namespace

TEST(FontResourcePdf, OneResourcePerFaceStyleAndCharset) {
  struct Expect { const char* name; const char* type; const char* encoding; };
  struct Mode { uint8_t mode; const char* emb; std::vector<Expect> fonts; } modes[] = {
      {0, "no", {{"Arial", "TrueType", "Custom"}, {"Arial,Bold", "TrueType", "Custom"},
                 {"Arial,Italic", "TrueType", "Custom"}, {"TimesNewRoman", "TrueType", "Custom"},
                 {"TimesNewRoman,BoldItalic", "TrueType", "Custom"}, {"CourierNew", "TrueType", "Custom"},
                 {"CourierNew,Italic", "TrueType", "Custom"}, {"HeiseiMin-W3", "CID TrueType", "90msp-RKSJ-H"},
                 {"AdobeSongStd-Light-Acro", "CID TrueType", "GBK-EUC-H"}}},
      {1, "yes", {{"Arial", "TrueType", "Custom"}, {"CourierNew,Italic", "TrueType", "Custom"}}},
      {3, "no", {{"Helvetica", "Type 1", "WinAnsi"}, {"Helvetica-Bold", "Type 1", "WinAnsi"},
                 {"Helvetica-Oblique", "Type 1", "WinAnsi"}, {"Times-Roman", "Type 1", "WinAnsi"},
                 {"Times-BoldItalic", "Type 1", "WinAnsi"}, {"Courier", "Type 1", "WinAnsi"},
                 {"Courier-Oblique", "Type 1", "WinAnsi"}}},
  };
  for (const auto& m : modes) {
    PdfFontDoc doc(m.mode);
    const std::string pdf = makeDocument(doc);
    std::string report;
    EXPECT_TRUE(testkit::qpdfCheck(pdf, &report)) << "mode " << int(m.mode) << "\n" << report;
    // Eleven runs, one of them a repeat: ten resources (Hebrew Arial is a
    // charset of its own); standard fonts fold charsets and CJK faces into
    // fewer names but keep a resource each.
    EXPECT_EQ(doc.fonts().fonts().size(), 10u) << "mode " << int(m.mode);
    const auto rows = pdfFonts(pdf);
    for (const Expect& e : m.fonts) {
      auto it = rows.find(e.name);
      ASSERT_NE(it, rows.end()) << "mode " << int(m.mode) << ": no font " << e.name;
      EXPECT_EQ(it->second.type, e.type) << "mode " << int(m.mode) << " " << e.name;
      EXPECT_EQ(it->second.encoding, e.encoding) << "mode " << int(m.mode) << " " << e.name;
      const bool cjk = std::string(e.type).rfind("CID", 0) == 0;
      EXPECT_EQ(it->second.emb, cjk ? "no" : m.emb) << "mode " << int(m.mode) << " " << e.name;
    }
    EXPECT_EQ(doc.errors, "") << "mode " << int(m.mode);
    if (m.mode == 0) {
      // Degrees, as readers expect: the faces lean 12 degrees (Arial) or
      // thereabouts, never -120.
      const std::string file = testkit::readText(pdf);
      std::smatch a;
      ASSERT_TRUE(std::regex_search(file, a, std::regex("/FontName/Arial,Italic\n[^>]*/ItalicAngle (-?\\d+)")));
      EXPECT_EQ(a[1], "-12");
      ASSERT_TRUE(std::regex_search(file, a, std::regex("/FontName/Arial\n[^>]*/ItalicAngle (-?\\d+)")));
      EXPECT_EQ(a[1], "0");
    }
  }
}

TEST(FontResourcePdf, TextExtractsInEveryCodePage) {
  for (uint8_t mode : {0, 5}) {
    PdfFontDoc doc(mode);
    const std::string pdf = makeDocument(doc);
    const std::string text = testkit::pdfText(pdf);
    for (const TextRun& r : kRuns) {
      // Hebrew drawn left to right reads back in visual order, which the
      // layout mode gives as the reversed characters.
      std::u16string want = r.text;
      if (r.charset == 177) want.assign(want.rbegin(), want.rend());
      EXPECT_NE(text.find(utf8(want)), std::string::npos)
          << "mode " << int(mode) << ", " << r.face << " charset " << r.charset << ":\n" << text;
    }
  }
}

TEST(FontResourcePdf, WidthsAreThePlatformWidthsOfTheCodePage) {
  struct Case { const char* face; int charset; unsigned code_page; } cases[] = {
      {"Arial", 0, 1252}, {"Arial", 204, 1251}, {"Times New Roman", 238, 1250},
      {"Times New Roman", 161, 1253}, {"Courier New", 162, 1254},
  };
  PdfFontDoc doc(0);
  for (const auto& c : cases) {
    doc.fonts().findOrCreateFont(c.face, c.charset, 0);
    const TPxPDFFont& f = *doc.fonts().currentFont();
    HFONT font = CreateFontA(-1000, 0, 0, 0, 400, 0, 0, 0, c.charset, OUT_TT_PRECIS, 0, PROOF_QUALITY, 0, c.face);
    HDC dc = GetDC(0);
    HGDIOBJ old = SelectObject(dc, font);
    int checked = 0;
    for (int code = std::max(f.firstChar(), 32); code <= f.lastChar(); ++code) {
      const char byte = char(code);
      WCHAR unit = 0;
      if (MultiByteToWideChar(c.code_page, 0, &byte, 1, &unit, 1) != 1 || unit == 0xFFFD) continue;
      INT w = -1;
      ASSERT_TRUE(GetCharWidthW(dc, unit, unit, &w));
      EXPECT_EQ(f.width(code), w) << c.face << " charset " << c.charset << " code " << code;
      ++checked;
    }
    EXPECT_GT(checked, 180) << c.face;
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(0, dc);
  }
  // The array written is the one measured.
  const int32_t a_width = doc.fonts().findOrCreateFont("Arial", 0, 0) ? doc.fonts().currentFont()->width('A') : 0;
  const int32_t first = doc.fonts().currentFont()->firstChar();
  const std::string pdf = testkit::readText(doc.finish());
  std::smatch m;
  ASSERT_TRUE(std::regex_search(pdf, m, std::regex("/BaseFont/Arial\n[^>]*/Widths (\\d+) 0 R")));
  std::smatch arr;
  ASSERT_TRUE(std::regex_search(pdf, arr, std::regex("\n" + m[1].str() + " 0 obj\r\n\\[ ([0-9 \n]+)\\]")));
  std::istringstream widths(arr[1].str());
  std::vector<int> values{std::istream_iterator<int>(widths), std::istream_iterator<int>()};
  ASSERT_GT(values.size(), size_t('A' - first));
  EXPECT_EQ(values[size_t('A' - first)], a_width);
}

// The advance of a run as the platform measures it, in 1/1000 em,
// independent of the widths the resources wrote.
double platformWidth(const char* face, uint8_t style, std::u16string_view text) {
  HFONT font = CreateFontA(-1000, 0, 0, 0, (style & 1) ? 700 : 400, (style & 2) ? 1 : 0, 0, 0, DEFAULT_CHARSET,
                           OUT_TT_PRECIS, 0, PROOF_QUALITY, 0, face);
  HDC dc = GetDC(0);
  HGDIOBJ old = SelectObject(dc, font);
  double sum = 0;
  for (char16_t u : text) {
    INT w = 0;
    GetCharWidthW(dc, u, u, &w);
    sum += w;
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(0, dc);
  return sum;
}

TEST(FontResourcePdf, RenderedRunsAreAsWideAsTheirWidths) {
  // A long run between two vertical strokes: the ink runs from the first
  // stroke to the last, so its extent is the run's advance minus the
  // strokes' outer side bearings (a few pixels). A width array of the wrong
  // code page or scale is off by far more.
  struct Case { const char* face; int charset; uint8_t style; const char16_t* text; } cases[] = {
      {"Arial", 0, 0, u"IThe quick brown fox jumps over the lazy dog 0123456789I"},
      {"Times New Roman", 0, 1, u"IThe quick brown fox jumps over the lazy dog 0123456789I"},
      {"Courier New", 0, 0, u"IThe quick brown fox jumps over the lazyI"},
      {"Arial", 204, 0, u"I\u0428\u0428\u0428\u0416\u0416\u0416\u0429\u0429\u0429\u042e\u042e\u042e\u0434\u0434I"},
      {"Times New Roman", 238, 2, u"I\u0158\u0158\u0158\u0160\u0160\u0160\u017d\u017d\u017d\u0148\u0148\u0148I"},
      {"Symbol", 2, 0, u"|abgdpqwertyuiop|"},
  };
  constexpr int kDpi = 144;
  constexpr double kSize = 14;
  for (uint8_t mode : {0, 1}) {
    PdfFontDoc doc(mode);
    std::vector<double> expected;
    double y = 740;
    for (const auto& c : cases) {
      doc.text(c.face, c.charset, c.style, kSize, 40, y, c.text);
      expected.push_back(platformWidth(c.face, c.style, c.text) * kSize / 1000 * kDpi / 72);
      y -= 40;
    }
    const auto raster = testkit::renderPage(doc.finish(), 1, kDpi);
    ASSERT_GT(raster.width, 0);
    for (size_t i = 0; i < std::size(cases); ++i) {
      const int base = int((792 - (740 - 40.0 * double(i))) * kDpi / 72);
      int left = raster.width, right = -1;
      for (int yy = base - int(kSize * 1.6); yy <= base; ++yy)
        for (int x = 0; x < raster.width; ++x)
          if (raster.isDark(x, yy)) {
            left = std::min(left, x);
            right = std::max(right, x);
          }
      ASSERT_GE(right, 0) << "mode " << int(mode) << " " << cases[i].face << ": nothing drawn";
      const double ink = right - left + 1;
      EXPECT_NEAR(ink, expected[i], 0.5 * kSize * kDpi / 72 * 0.5)
          << "mode " << int(mode) << " " << cases[i].face << " charset " << cases[i].charset;
    }
  }
}

TEST(FontResourcePdf, UnknownFacesAndUnmappedCharsetsStillGiveUsableFonts) {
  PdfFontDoc doc(1);
  // An unknown face is measured in the face the platform puts in its place
  // and named as asked; readers substitute it the same way.
  doc.text("No Such Face 1234", 0, 0, 12, 72, 700, u"unknown face");
  // Thai has no table of its own: its code page is 1252 and characters
  // outside it become blanks, never garbage bytes.
  const std::string thai = doc.text("Tahoma", 222, 0, 12, 72, 670, u"ok \u0e01\u0e02 ok");
  EXPECT_EQ(thai, "ok    ok");
  const std::string pdf = doc.finish();
  std::string report;
  EXPECT_TRUE(testkit::qpdfCheck(pdf, &report)) << report;
  const auto rows = pdfFonts(pdf);
  ASSERT_TRUE(rows.count("NoSuchFace1234"));
  EXPECT_EQ(rows.at("NoSuchFace1234").type, "TrueType");
  const std::string text = testkit::pdfText(pdf);
  EXPECT_NE(text.find("unknown face"), std::string::npos) << text;
  EXPECT_NE(text.find("ok"), std::string::npos) << text;
  const std::string file = testkit::readText(pdf);
  EXPECT_NE(file.find("/BaseFont/NoSuchFace1234\n"), std::string::npos);
  EXPECT_EQ(doc.fonts().fonts()[0]->widths().size(), size_t(doc.fonts().fonts()[0]->lastChar() -
                                                             doc.fonts().fonts()[0]->firstChar() + 1));
}

TEST(FontResourcePdf, EncryptedDocumentsKeepFontsReadable) {
  for (uint8_t key_mode : {0, 1, 2}) {
    PdfFontDoc doc(5, [&](pdf::TPxPDFDevice& d) {
      d.setPermission(1 | 2);
      d.setKeyLengthMode(key_mode);
      d.setPasswords("owner", "user");
      d.setCompression(1);
    });
    const std::string pdf = makeDocument(doc);
    std::string report;
    EXPECT_TRUE(testkit::qpdfCheck(pdf, &report, "--password=user")) << "key mode " << int(key_mode) << report;
    const std::string text = testkit::pdfText(pdf, "-upw user");
    for (const TextRun& r : kRuns) {
      if (r.charset == 177) continue;
      EXPECT_NE(text.find(utf8(r.text)), std::string::npos)
          << "key mode " << int(key_mode) << ", " << r.face << " charset " << r.charset << ":\n" << text;
    }
    // The CIDSystemInfo strings decrypt to what readers look up.
    const std::string plain = pdf + ".plain.pdf";
    testkit::run("qpdf --password=user --decrypt --qdf " + shellQuote(pdf) + " " + shellQuote(plain));
    const std::string decrypted = testkit::readText(plain);
    EXPECT_TRUE(decrypted.find("/Ordering (Japan1)") != std::string::npos ||
                decrypted.find("/Ordering <4a6170616e31>") != std::string::npos)
        << "key mode " << int(key_mode);
  }
}
