// Fonts: logical fonts resolve to the metric-compatible faces, metrics come
// from the face's own tables in 1/1000 em at em height 1000, font files
// (and faces lifted out of collections) come back whole.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "pyra/gdi.h"
#include "testkit/testkit.h"

namespace {

using pyra::testkit::readFile;

// Big-endian reads over a font file, written here independently of the
// library so the test does not check the code with itself.
struct Be {
  const std::vector<uint8_t>& d;
  uint32_t u16(size_t at) const { return uint32_t(d.at(at)) << 8 | d.at(at + 1); }
  int32_t s16(size_t at) const { return int16_t(u16(at)); }
  uint32_t u32(size_t at) const { return u16(at) << 16 | u16(at + 2); }
  // Offset of a table in the face whose directory starts at `dir`.
  size_t table(size_t dir, const char* tag, size_t* length = nullptr) const {
    uint32_t n = u16(dir + 4);
    for (uint32_t i = 0; i < n; ++i) {
      size_t rec = dir + 12 + 16 * i;
      if (std::memcmp(&d.at(rec), tag, 4) == 0) {
        if (length) *length = u32(rec + 12);
        return u32(rec + 8);
      }
    }
    return 0;
  }
};

constexpr DWORD tagOf(const char (&t)[5]) {
  return DWORD(uint8_t(t[0])) | DWORD(uint8_t(t[1])) << 8 | DWORD(uint8_t(t[2])) << 16 | DWORD(uint8_t(t[3])) << 24;
}

class FontDc {
 public:
  FontDc(const char* face, int weight = 400, bool italic = false, int charset = DEFAULT_CHARSET,
         int height = -1000, int pitch_family = 0) {
    dc_ = GetDC(0);
    font_ = CreateFontA(height, 0, 0, 0, weight, italic, 0, 0, DWORD(charset), OUT_TT_PRECIS, 0, PROOF_QUALITY,
                        DWORD(pitch_family), face);
    old_ = SelectObject(dc_, font_);
  }
  explicit FontDc(HFONT font) : font_(font) {
    dc_ = GetDC(0);
    old_ = SelectObject(dc_, font_);
  }
  ~FontDc() {
    SelectObject(dc_, old_);
    DeleteObject(font_);
    ReleaseDC(0, dc_);
  }
  HDC dc() const { return dc_; }
  HFONT font() const { return font_; }
  std::string family() const {
    char b[128] = {};
    pyraGetFontFamilyA(font_, b, sizeof b);
    return b;
  }
  std::string file(int* index = nullptr) const {
    char b[512] = {};
    int i = 0;
    pyraGetFontFileA(font_, b, sizeof b, &i);
    if (index) *index = i;
    return b;
  }
  int width(unsigned code) const {
    INT w = -1;
    EXPECT_TRUE(GetCharWidthA(dc_, code, code, &w));
    return w;
  }

 private:
  HDC dc_ = 0;
  HFONT font_ = 0;
  HGDIOBJ old_ = 0;
};

struct FaceCase {
  const char* face;
  int weight;
  bool italic;
  const char* family;       // the Liberation face that stands in
  const char* file_suffix;  // the style file fontconfig must pick
  int w_A, w_W, w_i, w_m;   // advance widths of the Windows face, 1/1000 em
};

// Widths of Arial, Times New Roman and Courier New as published for those
// faces (the Liberation faces are drawn to the same advances).
const FaceCase kFaces[] = {
    {"Arial", 400, false, "Liberation Sans", "Sans-Regular.ttf", 667, 944, 222, 833},
    {"Arial", 700, false, "Liberation Sans", "Sans-Bold.ttf", 722, 944, 278, 889},
    {"Arial", 400, true, "Liberation Sans", "Sans-Italic.ttf", 667, 944, 222, 833},
    {"Arial", 700, true, "Liberation Sans", "Sans-BoldItalic.ttf", 722, 944, 278, 889},
    {"Times New Roman", 400, false, "Liberation Serif", "Serif-Regular.ttf", 722, 944, 278, 778},
    {"Times New Roman", 700, false, "Liberation Serif", "Serif-Bold.ttf", 722, 1000, 278, 833},
    {"Times New Roman", 400, true, "Liberation Serif", "Serif-Italic.ttf", 611, 833, 278, 722},
    {"Courier New", 400, false, "Liberation Mono", "Mono-Regular.ttf", 600, 600, 600, 600},
    {"Courier New", 700, true, "Liberation Mono", "Mono-BoldItalic.ttf", 600, 600, 600, 600},
};

TEST(PlatformFonts, WindowsFacesResolveToMetricTwinsWithTrueWidths) {
  for (const auto& c : kFaces) {
    std::string name = std::string(c.face) + (c.weight >= 700 ? " bold" : "") + (c.italic ? " italic" : "");
    FontDc f(c.face, c.weight, c.italic);
    EXPECT_EQ(f.family(), c.family) << name;
    std::string file = f.file();
    EXPECT_TRUE(file.size() > strlen(c.file_suffix) &&
                file.compare(file.size() - strlen(c.file_suffix), std::string::npos, c.file_suffix) == 0)
        << name << ": " << file;
    EXPECT_EQ(pyraFontIsSubstitute(f.font()), 0) << name;
    EXPECT_EQ(f.width('A'), c.w_A) << name;
    EXPECT_EQ(f.width('W'), c.w_W) << name;
    EXPECT_EQ(f.width('i'), c.w_i) << name;
    EXPECT_EQ(f.width('m'), c.w_m) << name;
    SIZE s{};
    EXPECT_TRUE(GetTextExtentPoint32A(f.dc(), "Wim", 3, &s)) << name;
    EXPECT_EQ(s.cx, c.w_W + c.w_i + c.w_m) << name;
    TEXTMETRICA tm{};
    EXPECT_TRUE(GetTextMetricsA(f.dc(), &tm)) << name;
    EXPECT_EQ(s.cy, tm.tmHeight) << name;
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 1000) << name << ": character height is the em";
    EXPECT_EQ(tm.tmFirstChar, 32) << name;
    EXPECT_EQ(tm.tmLastChar, 255) << name;
    EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET) << name;
    EXPECT_TRUE(tm.tmPitchAndFamily & TMPF_TRUETYPE) << name;
    EXPECT_EQ(tm.tmItalic != 0, c.italic) << name;
  }
}

TEST(PlatformFonts, OutlineMetricsComeFromTheFontTables) {
  for (const auto& c : kFaces) {
    std::string name = std::string(c.face) + "/" + c.file_suffix;
    FontDc f(c.face, c.weight, c.italic);
    UINT need = GetOutlineTextMetricsA(f.dc(), 0, nullptr);
    ASSERT_GT(need, sizeof(OUTLINETEXTMETRICA)) << name;
    std::vector<char> buf(need);
    auto* otm = reinterpret_cast<OUTLINETEXTMETRICA*>(buf.data());
    ASSERT_EQ(GetOutlineTextMetricsA(f.dc(), need, otm), need) << name;
    // The record alone (what a caller with a bare record asks for) also works.
    OUTLINETEXTMETRICA bare{};
    EXPECT_EQ(GetOutlineTextMetricsA(f.dc(), sizeof bare, &bare), sizeof bare) << name;
    EXPECT_EQ(bare.otmAscent, otm->otmAscent) << name;

    auto bytes = readFile(f.file());
    ASSERT_FALSE(bytes.empty()) << name;
    Be be{bytes};
    size_t head = be.table(0, "head"), os2 = be.table(0, "OS/2"), post = be.table(0, "post");
    ASSERT_TRUE(head && os2 && post) << name;
    const double upem = be.u16(head + 18);
    auto em = [&](int v) { return int(std::lround(v * 1000.0 / upem)); };
    EXPECT_EQ(otm->otmEMSquare, UINT(upem)) << name;
    EXPECT_EQ(otm->otmAscent, em(be.s16(os2 + 68))) << name << " typo ascender";
    EXPECT_EQ(otm->otmDescent, em(be.s16(os2 + 70))) << name << " typo descender";
    EXPECT_LT(otm->otmDescent, 0) << name;
    EXPECT_EQ(otm->otmsXHeight, UINT(em(be.s16(os2 + 86)))) << name << " x-height";
    EXPECT_EQ(otm->otmsCapEmHeight, UINT(em(be.s16(os2 + 88)))) << name << " cap height";
    EXPECT_EQ(otm->otmrcFontBox.left, em(be.s16(head + 36))) << name;
    EXPECT_EQ(otm->otmrcFontBox.bottom, em(be.s16(head + 38))) << name;
    EXPECT_EQ(otm->otmrcFontBox.right, em(be.s16(head + 40))) << name;
    EXPECT_EQ(otm->otmrcFontBox.top, em(be.s16(head + 42))) << name;
    const double angle = int32_t(be.u32(post + 4)) / 65536.0;
    EXPECT_EQ(otm->otmItalicAngle, int(std::lround(angle * 10))) << name << " tenths of a degree, from post";
    if (c.italic) {
      EXPECT_LT(otm->otmItalicAngle, 0) << name;
    }
    EXPECT_EQ(otm->otmTextMetrics.tmAscent, em(be.u16(os2 + 74))) << name << " win ascent";
    EXPECT_EQ(otm->otmTextMetrics.tmAveCharWidth, em(be.s16(os2 + 2))) << name;
    // Names follow the record; the fields hold their offsets.
    std::string family = buf.data() + reinterpret_cast<uintptr_t>(otm->otmpFamilyName);
    EXPECT_EQ(family, c.family) << name;
  }
}

TEST(PlatformFonts, HeightsOtherThanTheEm) {
  FontDc em("Arial", 400, false, DEFAULT_CHARSET, -2000);
  EXPECT_EQ(em.width('W'), 1888) << "twice the em, twice the widths";
  // A positive height is the cell height (ascent + descent), as in Windows.
  TEXTMETRICA tm{};
  FontDc cell("Arial", 400, false, DEFAULT_CHARSET, 1117);
  ASSERT_TRUE(GetTextMetricsA(cell.dc(), &tm));
  EXPECT_NEAR(tm.tmHeight, 1117, 1);
  EXPECT_NEAR(tm.tmHeight - tm.tmInternalLeading, 1000, 2);
  // Absurd heights neither crash nor overflow.
  FontDc huge("Arial", 400, false, DEFAULT_CHARSET, INT32_MIN);
  EXPECT_TRUE(GetTextMetricsA(huge.dc(), &tm));
  EXPECT_GT(tm.tmHeight, 0);
}

TEST(PlatformFonts, UnknownFacesFallBackAndSaySo) {
  struct Case {
    const char* face;
    int pitch_family;
    const char* family;
  } cases[] = {
      {"No Such Face 123", FF_DONTCARE, "Liberation Sans"},
      {"No Such Face 123", FF_SWISS, "Liberation Sans"},
      {"No Such Face 123", FF_ROMAN, "Liberation Serif"},
      {"No Such Face 123", FIXED_PITCH | FF_MODERN, "Liberation Mono"},
      {"", FF_DONTCARE, "Liberation Sans"},
  };
  for (const auto& c : cases) {
    std::string name = std::string("'") + c.face + "' family bits " + std::to_string(c.pitch_family);
    FontDc f(c.face, 400, false, DEFAULT_CHARSET, -1000, c.pitch_family);
    EXPECT_EQ(f.family(), c.family) << name;
    EXPECT_EQ(pyraFontIsSubstitute(f.font()), 1) << name;
    EXPECT_GT(GetOutlineTextMetricsA(f.dc(), 0, nullptr), 0u) << name << ": the stand-in is an outline font";
  }
  // A Japanese request for an unknown face lands on a face that covers Japanese.
  FontDc jp("MS Mincho", 400, false, SHIFTJIS_CHARSET);
  EXPECT_NE(jp.family().find("CJK"), std::string::npos) << jp.family();
  INT w = 0;
  EXPECT_TRUE(GetCharWidthW(jp.dc(), 0x3042, 0x3042, &w));
  EXPECT_EQ(w, 1000) << "hiragana is full width";
}

TEST(PlatformFonts, CharsetChoosesTheCodePageOfTheWidths) {
  FontDc ru("Arial", 400, false, RUSSIAN_CHARSET);
  INT a = 0, w = 0;
  ASSERT_TRUE(GetCharWidthA(ru.dc(), 0xC6, 0xC6, &a));  // U+0416 in code page 1251
  ASSERT_TRUE(GetCharWidthW(ru.dc(), 0x0416, 0x0416, &w));
  EXPECT_EQ(a, w);
  EXPECT_EQ(GetTextCharset(ru.dc()), UINT(RUSSIAN_CHARSET));
  FontDc latin("Arial");
  ASSERT_TRUE(GetCharWidthA(latin.dc(), 0xC6, 0xC6, &a));  // U+00C6 in 1252
  ASSERT_TRUE(GetCharWidthW(latin.dc(), 0xC6, 0xC6, &w));
  EXPECT_EQ(a, w);
  EXPECT_EQ(a, 1000) << "AE ligature in Arial";
  INT range[3];
  EXPECT_FALSE(GetCharWidthA(latin.dc(), 'c', 'a', range)) << "reversed range";
  EXPECT_FALSE(GetCharWidthA(latin.dc(), 'a', 'c', nullptr));
}

TEST(PlatformFonts, FontDataGivesTheFileAndItsTables) {
  FontDc f("Arial");
  auto file = readFile(f.file());
  DWORD size = GetFontData(f.dc(), 0, 0, nullptr, 0);
  ASSERT_EQ(size, file.size());
  std::vector<uint8_t> got(size);
  ASSERT_EQ(GetFontData(f.dc(), 0, 0, got.data(), size), size);
  EXPECT_EQ(got, file);

  EXPECT_EQ(GetFontData(f.dc(), tagOf("head"), 0, nullptr, 0), 54u);
  uint8_t magic[8] = {};
  EXPECT_EQ(GetFontData(f.dc(), tagOf("head"), 12, magic, 4), 4u);
  EXPECT_EQ(magic[0] << 24 | magic[1] << 16 | magic[2] << 8 | magic[3], 0x5F0F3CF5);
  EXPECT_EQ(GetFontData(f.dc(), tagOf("head"), 50, magic, 8), 4u) << "clipped at the table's end";
  EXPECT_EQ(GetFontData(f.dc(), tagOf("head"), 55, magic, 1), GDI_ERROR);
  EXPECT_EQ(GetFontData(f.dc(), tagOf("zzzz"), 0, nullptr, 0), GDI_ERROR);
  EXPECT_EQ(GetFontData(f.dc(), PYRA_TTCF_TAG, 0, nullptr, 0), GDI_ERROR) << "not a collection";
}

// Checks a stand-alone sfnt the way a strict reader would.
void expectValidSfnt(const std::vector<uint8_t>& font, const std::string& name) {
  Be be{font};
  const uint32_t n = be.u16(4);
  ASSERT_GT(n, 0u) << name;
  uint32_t entry_selector = be.u16(8), search_range = be.u16(6);
  EXPECT_EQ(search_range, (1u << entry_selector) * 16) << name;
  EXPECT_LE((1u << entry_selector), n) << name;
  EXPECT_GT((2u << entry_selector), n) << name;
  EXPECT_EQ(be.u16(10), n * 16 - search_range) << name;
  uint32_t previous = 0;
  for (uint32_t i = 0; i < n; ++i) {
    size_t rec = 12 + 16 * i;
    uint32_t tag = be.u32(rec), sum = be.u32(rec + 4), off = be.u32(rec + 8), len = be.u32(rec + 12);
    EXPECT_GT(tag, previous) << name << ": directory sorted by tag";
    previous = tag;
    EXPECT_EQ(off % 4, 0u) << name;
    ASSERT_LE(uint64_t(off) + len, font.size()) << name;
    uint32_t s = 0;
    for (uint32_t k = 0; k < (len + 3) / 4; ++k) {
      uint32_t word = 0;
      for (int b = 0; b < 4; ++b) word = word << 8 | (4 * k + b < len ? font[off + 4 * k + b] : 0);
      s += word;
    }
    if (std::memcmp(&font[rec], "head", 4) == 0) {
      s -= be.u32(off + 8);  // the adjustment is excluded from head's own sum
    }
    EXPECT_EQ(s, sum) << name << " table " << i;
  }
  uint32_t whole = 0;
  for (size_t k = 0; k < font.size(); k += 4) whole += be.u32(k);
  EXPECT_EQ(whole, 0xB1B0AFBAu) << name << ": head.checkSumAdjustment";
}

TEST(PlatformFonts, FaceOfACollectionComesOutStandAlone) {
  FontDc f("Noto Sans CJK JP", 400, false, SHIFTJIS_CHARSET);
  int index = -1;
  std::string path = f.file(&index);
  if (path.size() < 4 || path.substr(path.size() - 4) != ".ttc") GTEST_SKIP() << "no CJK collection: " << path;
  auto ttc = readFile(path);
  Be tc{ttc};
  ASSERT_EQ(std::memcmp(ttc.data(), "ttcf", 4), 0);
  ASSERT_LT(uint32_t(index), tc.u32(8));
  const size_t dir = tc.u32(12 + 4 * size_t(index));

  DWORD size = GetFontData(f.dc(), 0, 0, nullptr, 0);
  ASSERT_NE(size, GDI_ERROR);
  ASSERT_LT(size, ttc.size());
  std::vector<uint8_t> font(size);
  ASSERT_EQ(GetFontData(f.dc(), 0, 0, font.data(), size), size);
  EXPECT_EQ(std::memcmp(font.data(), "OTTO", 4), 0) << "a CFF face keeps its sfnt version";
  expectValidSfnt(font, path);

  // Every table of the face, byte for byte (head apart from its adjustment).
  Be out{font};
  ASSERT_EQ(out.u16(4), tc.u16(dir + 4));
  for (uint32_t i = 0; i < tc.u16(dir + 4); ++i) {
    size_t rec = dir + 12 + 16 * i;
    char tag[5] = {};
    std::memcpy(tag, &ttc[rec], 4);
    size_t len_out = 0;
    size_t at = out.table(0, tag, &len_out);
    ASSERT_NE(at, 0u) << tag;
    ASSERT_EQ(len_out, tc.u32(rec + 12)) << tag;
    size_t from = tc.u32(rec + 8);
    for (size_t k = 0; k < len_out; ++k) {
      if (std::string(tag) == "head" && k >= 8 && k < 12) continue;
      if (font[at + k] != ttc[from + k]) {
        ADD_FAILURE() << "table " << tag << " differs at " << k;
        break;
      }
    }
  }
  // An independent reader takes it as the face it came from.
  pyra::testkit::TempDir tmp;
  pyra::testkit::writeFile(tmp.file("face.otf"), font.data(), font.size());
  auto scan = pyra::testkit::run("fc-scan --format '%{family[0]}' " + pyra::testkit::shellQuote(tmp.file("face.otf")));
  EXPECT_EQ(scan.status, 0);
  EXPECT_EQ(scan.out, f.family());
  // The whole collection is there too, under its own tag.
  EXPECT_EQ(GetFontData(f.dc(), PYRA_TTCF_TAG, 0, nullptr, 0), ttc.size());
}

TEST(PlatformFonts, NonOutlineFontReportsNoOutlineMetrics) {
  // A tiny BDF bitmap font: FreeType opens it, but it has no outlines.
  const char* bdf =
      "STARTFONT 2.1\nFONT -pyra-test-medium-r-normal--8-80-75-75-c-80-iso10646-1\nSIZE 8 75 75\n"
      "FONTBOUNDINGBOX 8 8 0 -1\nSTARTPROPERTIES 2\nFONT_ASCENT 7\nFONT_DESCENT 1\nENDPROPERTIES\nCHARS 1\n"
      "STARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 8 0 -1\nBITMAP\n18\n24\n42\n42\n7E\n42\n42\n00\n"
      "ENDCHAR\nENDFONT\n";
  pyra::testkit::TempDir tmp;
  pyra::testkit::writeFile(tmp.file("t.bdf"), bdf);
  LOGFONTA lf{};
  lf.lfHeight = -1000;
  std::strcpy(lf.lfFaceName, "Pyra Test");
  FontDc f(pyraCreateFontFromFileA(tmp.file("t.bdf").c_str(), 0, &lf));
  ASSERT_NE(f.font(), 0u);
  EXPECT_EQ(GetOutlineTextMetricsA(f.dc(), 0, nullptr), 0u);
  OUTLINETEXTMETRICA otm{};
  EXPECT_EQ(GetOutlineTextMetricsA(f.dc(), sizeof otm, &otm), 0u);
  TEXTMETRICA tm{};
  EXPECT_TRUE(GetTextMetricsA(f.dc(), &tm));
  EXPECT_EQ(tm.tmHeight, 8);
  EXPECT_FALSE(tm.tmPitchAndFamily & TMPF_TRUETYPE);
  EXPECT_EQ(GetFontData(f.dc(), 0, 0, nullptr, 0), GDI_ERROR) << "no sfnt to hand out";

  // A file that is no font at all: every metrics call fails, nothing crashes.
  pyra::testkit::writeFile(tmp.file("junk.ttf"), "this is not a font");
  FontDc junk(pyraCreateFontFromFileA(tmp.file("junk.ttf").c_str(), 0, &lf));
  EXPECT_EQ(GetOutlineTextMetricsA(junk.dc(), 0, nullptr), 0u);
  EXPECT_FALSE(GetTextMetricsA(junk.dc(), &tm));
  INT w;
  EXPECT_FALSE(GetCharWidthA(junk.dc(), 'a', 'a', &w));
  EXPECT_EQ(pyraCreateFontFromFileA(nullptr, 0, &lf), 0u);
  EXPECT_EQ(pyraCreateFontFromFileA(tmp.file("junk.ttf").c_str(), -1, &lf), 0u);
}

TEST(PlatformFonts, OneFontQueriedFromManyThreads) {
  FontDc f("Times New Roman");
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      HDC dc = GetDC(0);
      SelectObject(dc, f.font());
      for (int i = 0; i < 200; ++i) {
        INT w[256];
        if (!GetCharWidthA(dc, 0, 255, w) || w['W'] != 944) ++wrong[t];
      }
      SelectObject(dc, GetStockObject(SYSTEM_FONT));
      ReleaseDC(0, dc);
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

}  // namespace
