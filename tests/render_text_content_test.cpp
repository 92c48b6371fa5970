// What text runs write: text a reader extracts in order, underline and
// strike-out, background and clip boxes, per-character placement, and runs
// a damaged or hostile metafile may carry.
#include <cmath>

#include "render_text_support.h"

using namespace pyra::testkit;
using namespace pyra::testkit::text;

namespace {

// pdftotext lays text out with spaces for the gaps: one space per gap.
std::string squeezed(const std::string& s) {
  std::string out;
  for (char c : s)
    if (!(c == ' ' && !out.empty() && out.back() == ' ')) out += c;
  return out;
}

// "word" laid out glyph by glyph on a fixed pitch, as report generators do.
std::vector<int32_t> pitch(size_t n, int32_t step) { return std::vector<int32_t>(n, step); }

TEST(TextExtraction, RunsPerWordAndPerGlyphReadInOrder) {
  EmfBuilder b = pageMetafile();
  FontSpec mono;
  mono.height = -30;
  mono.face = u"Courier New";
  selectFont(b, mono);
  b.record(kSetTextAlign, {kTaBaseline});
  // One record per word, each with its advances (18 px: the face's own pitch).
  int32_t x = 40;
  for (std::u16string w : {u"The", u"quick", u"brown", u"fox"}) {
    textOut(b, {x, 80, w, pitch(w.size(), 18)});
    x += int32_t(w.size() + 1) * 18;
  }
  // One record per glyph.
  x = 40;
  for (char16_t c : std::u16string(u"jumps over it")) {
    if (c != u' ') textOut(b, {x, 160, std::u16string(1, c), {18}});
    x += 18;
  }
  // A whole line in one record with advances wider than the glyphs.
  textOut(b, {40, 240, u"lazy dogs sleep", pitch(15, 22)});
  Doc doc;
  doc.play(b.bytes());
  doc.end();
  const std::string text = squeezed(pdfText(doc.file));
  EXPECT_NE(text.find("The quick brown fox"), std::string::npos) << text;
  EXPECT_NE(text.find("jumps over it"), std::string::npos) << text;
  EXPECT_NE(text.find("lazy dogs sleep"), std::string::npos) << text;
  EXPECT_LT(text.find("fox"), text.find("jumps"));
  EXPECT_LT(text.find("jumps"), text.find("lazy"));
}

TEST(TextExtraction, AlignedRunsUnderTwipsStayOneLine) {
  EmfBuilder b = pageMetafile();
  b.record(kSetMapMode, {6});
  FontSpec f;
  f.height = -300;
  selectFont(b, f);
  b.record(kSetTextAlign, {kTaRight | kTaBaseline});
  textOut(b, {3000, -1500, u"Total:"});
  b.record(kSetTextAlign, {kTaBaseline});
  textOut(b, {3150, -1500, u"1,234.50"});
  Doc doc;
  doc.play(b.bytes());
  doc.end();
  const std::string text = pdfText(doc.file);
  EXPECT_NE(text.find("Total: 1,234.50"), std::string::npos) << text;
}

// Underline and strike-out: bars across the gap between two letters, at the
// font's underline and strike-out positions, and nothing between them.
TEST(TextDecoration, UnderlineAndStrikeOutFollowTheFont) {
  struct Row { const char* name; bool underline, strike_out; };
  for (const Row& row : {Row{"underline", true, false}, Row{"strike_out", false, true}, Row{"both", true, true}}) {
    EmfBuilder b = pageMetafile();
    FontSpec f;
    f.underline = row.underline;
    f.strike_out = row.strike_out;
    selectFont(b, f);
    b.record(kSetTextAlign, {kTaBaseline});
    textOut(b, {100, 200, u"HH"});
    Doc doc;
    doc.play(b.bytes());
    doc.end();
    const Raster r = renderPage(doc.file, 1, 96);
    // Between the two H's (ink ends at 125.7, starts again at 132).
    const Box under = darkBox(r, 128, 201, 130, 212);
    const Box strike = darkBox(r, 128, 180, 130, 199);
    EXPECT_EQ(!under.empty(), row.underline) << row.name;
    EXPECT_EQ(!strike.empty(), row.strike_out) << row.name;
    if (row.underline && !under.empty()) {
      // Half the 8.5 px descent below the baseline, about 3 px thick.
      EXPECT_NEAR((under.top + under.bottom) / 2.0, 204, 2) << row.name;
      EXPECT_LE(under.bottom - under.top, 4) << row.name;
    }
    if (row.strike_out && !strike.empty()) {
      EXPECT_NEAR((strike.top + strike.bottom) / 2.0, 189.5, 2) << row.name;
    }
    // The bars span the run and no more.
    const Box all = darkBox(r);
    EXPECT_NEAR(all.left, 100, 2) << row.name;
    EXPECT_NEAR(all.right, 100 + 2 * 0.7222 * 40, 2) << row.name;
  }
}

TEST(TextBoxes, OpaqueFillsBehindAndClippedClips) {
  EmfBuilder b = pageMetafile();
  selectFont(b, FontSpec{});
  b.record(kSetBkColor, {0x0000FF});  // red
  b.record(kSetTextAlign, {kTaBaseline});
  TextSpec opaque{100, 100, u"HHHH"};
  opaque.options = 0x0002;
  opaque.rect = {90, 50, 300, 120};
  textOut(b, opaque);
  TextSpec clipped{100, 250, u"HHHH"};
  clipped.options = 0x0004;
  clipped.rect = {90, 200, 150, 300};
  textOut(b, clipped);
  // Drawn after the clipped run: the clip ended with it.
  textOut(b, {400, 250, u"H"});
  // No characters: the background box alone.
  TextSpec empty{0, 0, u""};
  empty.options = 0x0002;
  empty.rect = {600, 50, 700, 100};
  textOut(b, empty);
  Doc doc;
  doc.play(b.bytes());
  doc.end();
  const Raster r = renderPage(doc.file, 1, 96);
  auto red = [&](int x, int y) {
    const auto p = r.at(x, y);
    return p.r > 200 && p.g < 60 && p.b < 60;
  };
  EXPECT_TRUE(red(295, 115));
  EXPECT_TRUE(red(95, 55));
  EXPECT_TRUE(r.isDark(105, 90)) << "text drawn over the box";
  EXPECT_TRUE(r.isWhite(305, 115));
  EXPECT_TRUE(red(650, 75));
  const Box inside = darkBox(r, 0, 200, 768, 300);
  EXPECT_NEAR(inside.left, 103, 2);
  EXPECT_LE(inside.right, 430);
  EXPECT_TRUE(darkBox(r, 151, 200, 390, 300).empty()) << "ink outside the clip box";
  EXPECT_FALSE(darkBox(r, 395, 200, 430, 300).empty()) << "the run after the clip";
}

TEST(TextContent, PerCharacterCommentWritesAdvancesAndRunsShareOneTextObject) {
  EmfBuilder b = pageMetafile();
  selectFont(b, FontSpec{});
  b.record(kGdiComment, EmfBuilder::comment(604, {0, 0, 0, 0}, ""));
  textOut(b, {40, 80, u"Wide", {40, 40, 40, 40}});
  textOut(b, {240, 80, u"Next"});
  b.record(kGdiComment, EmfBuilder::comment(605, {0, 0, 0, 0}, ""));
  textOut(b, {40, 160, u"Wide", {40, 40, 40, 40}});
  Doc doc;
  doc.play(b.bytes());
  doc.end();
  const std::string c = doc.content();
  EXPECT_NE(c.find("]TJ"), std::string::npos) << c;
  EXPECT_NE(c.find("Tc"), std::string::npos) << "spread with spacing once 605 ends it\n" << c;
  // One BT for three runs of one font and matrix; moves are relative.
  size_t bts = 0;
  for (size_t p = c.find("BT /F"); p != std::string::npos; p = c.find("BT /F", p + 2)) ++bts;
  EXPECT_EQ(bts, 1u) << c;
  EXPECT_NE(c.find("Td"), std::string::npos) << c;
  const std::string text = squeezed(pdfText(doc.file));
  EXPECT_NE(text.find("W i d e"), std::string::npos) << text;
}

// Records a damaged or hostile file may carry: sane output, no failure.
TEST(TextBadInput, OddRunsWriteACleanDocument) {
  struct Row { const char* name; TextSpec spec; const char* expect; };
  std::u16string long_run(100000, u'A');
  const Row rows[] = {
      {"empty", {10, 10, u""}, nullptr},
      {"control_characters", {10, 40, std::u16string(u"a\x01\t\r\n(\\)b")}, "a"},
      {"lone_surrogates", {10, 80, std::u16string({0xD800, u'x', 0xDC00, 0xDFFF, u'y', 0xD83D})}, "x"},
      {"surrogate_pair", {10, 120, std::u16string({u'k', 0xD83D, 0xDE00, u'm'})}, "k"},
      {"huge_advances", {10, 160, u"big", {2000000000, -2000000000, 2000000000}}, nullptr},
      {"long_run", {10, 200, long_run}, "AAAAAAAAAAAAAAAAAAAA"},
      {"far_away", {INT32_MIN, INT32_MAX, u"far"}, nullptr},
  };
  for (const Row& row : rows) {
    EmfBuilder b = pageMetafile();
    selectFont(b, FontSpec{});
    textOut(b, row.spec);
    Doc doc;
    doc.play(b.bytes());
    doc.end();
    if (row.expect) {
      const std::string text = pdfText(doc.file);
      EXPECT_NE(text.find(row.expect), std::string::npos) << row.name << ": " << text.substr(0, 200);
    }
  }
}

TEST(TextBadInput, UnknownFaceFallsBackAndExtremeFontsDrawNothingOdd) {
  struct Row { const char* name; FontSpec font; };
  FontSpec unknown;
  unknown.face = u"No Such Face 12345";
  FontSpec zero;
  zero.height = 0;
  FontSpec huge;
  huge.height = INT32_MIN;
  huge.width = INT32_MAX;
  huge.escapement = INT32_MIN;
  for (const Row& row : {Row{"unknown_face", unknown}, Row{"zero_height", zero}, Row{"huge", huge}}) {
    EmfBuilder b = pageMetafile();
    selectFont(b, row.font);
    textOut(b, {100, 100, u"Fallback text", pitch(13, 12)});
    Doc doc;
    doc.play(b.bytes());
    doc.end();
    if (std::string(row.name) != "huge") {
      const std::string text = pdfText(doc.file);
      EXPECT_NE(text.find("Fallback"), std::string::npos) << row.name << ": " << text;
    }
  }
}

}  // namespace
