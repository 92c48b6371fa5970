// The rich-text object: RTF becomes the right text and formats, paragraphs
// wrap inside the format rectangle, pages break where the rectangle ends or
// a page break says, alignment places lines, hostile RTF is read safely, and
// the window-handle calls answer as documented.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/richedit_gdi.h"
#include "platform/richedit_layout.h"
#include "platform/richedit_object.h"
#include "platform/richedit_rtf_reader.h"
#include "pyra/gdi.h"
#include "pyra/gdi_richedit.h"

namespace {

using namespace pyra::gdi;

RichDocument parse(const std::string& rtf) {
  RichDocument doc;
  readRtf({reinterpret_cast<const uint8_t*>(rtf.data()), rtf.size()}, doc);
  return doc;
}

std::string show(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) {
    if (c >= 0x20 && c < 0x7F) out += char(c);
    else out += "<" + std::to_string(int(c)) + ">";
  }
  return out;
}

// ---- RTF reading ---------------------------------------------------------

// -1 (or an empty face) in a check means "not checked".
struct FormatCheck {
  size_t at;
  const char16_t* face;
  int half_points;
  int bold, italic, underline;
  int64_t color;
};

struct RtfCase {
  const char* name;
  std::string rtf;
  std::u16string text;
  std::vector<FormatCheck> formats;
  std::vector<std::pair<size_t, Alignment>> alignments;
};

constexpr int64_t kAny = -1;

std::vector<RtfCase> rtfCases() {
  return {
      {"plain", R"({\rtf1 Hello})", u"Hello", {{0, u"", 24, 0, 0, 0, 0}}, {}},
      {"paragraphs", R"({\rtf1 a\par b\par})", u"a\rb\r", {}, {}},
      {"styles",
       R"({\rtf1 \b B\b0 \i I\i0 \ul U\ulnone \uldb D\ul0 N})",
       u"BIUDN",
       {{0, u"", kAny, 1, 0, 0, kAny},
        {1, u"", kAny, 0, 1, 0, kAny},
        {2, u"", kAny, 0, 0, 1, kAny},
        {3, u"", kAny, 0, 0, 1, kAny},
        {4, u"", kAny, 0, 0, 0, kAny}},
       {}},
      {"plain resets", R"({\rtf1\b\i\ul\fs40\cf1 x\plain y})", u"xy",
       {{0, u"", 40, 1, 1, 1, kAny}, {1, u"", 24, 0, 0, 0, 0}}, {}},
      {"sizes", R"({\rtf1\fs40 B\fs0 D\fs-8 N\fs17 O})", u"BDNO",
       {{0, u"", 40, kAny, kAny, kAny, kAny},
        {1, u"", 24, kAny, kAny, kAny, kAny},
        {2, u"", 24, kAny, kAny, kAny, kAny},
        {3, u"", 17, kAny, kAny, kAny, kAny}},
       {}},
      {"font table",
       R"({\rtf1\deff1{\fonttbl{\f0\froman Times New Roman;}{\f1\fswiss\fcharset0 Arial;}\f2\fmodern Courier New;}a\f0 b\f2 c\f7 d})",
       u"abcd",
       {{0, u"Arial", kAny, kAny, kAny, kAny, kAny},
        {1, u"Times New Roman", kAny, kAny, kAny, kAny, kAny},
        {2, u"Courier New", kAny, kAny, kAny, kAny, kAny},
        {3, u"", kAny, kAny, kAny, kAny, kAny}},
       {}},
      {"font names skip their alternatives",
       R"({\rtf1{\fonttbl{\f0\fnil{\*\panose 020b0604020202020204}Arial{\*\falt Helvetica};}}\f0 x})", u"x",
       {{0, u"Arial", kAny, kAny, kAny, kAny, kAny}}, {}},
      {"colour table",
       R"({\rtf1{\colortbl;\red255\green0\blue0;\red0\green0\blue255;}\cf1 r\cf2 b\cf0 a\cf9 z})", u"rbaz",
       {{0, u"", kAny, kAny, kAny, kAny, 0x0000FF},
        {1, u"", kAny, kAny, kAny, kAny, 0xFF0000},
        {2, u"", kAny, kAny, kAny, kAny, 0},
        {3, u"", kAny, kAny, kAny, kAny, 0}},
       {}},
      {"ANSI code page escape", R"({\rtf1\ansi\ansicpg1252 caf\'e9 \'80})", u"caf\u00e9 \u20ac", {}, {}},
      {"font charset picks the code page", R"({\rtf1{\fonttbl{\f0\fcharset204 Arial;}}\f0 \'cf\'f0})",
       u"\u041f\u0440", {}, {}},
      {"double-byte escapes", R"({\rtf1{\fonttbl{\f0\fcharset128 MS Gothic;}}\f0 \'82\'a0x})", u"\u3042x", {}, {}},
      {"ansicpg applies to default-charset fonts",
       R"({\rtf1\ansi\ansicpg1251{\fonttbl{\f0\fcharset1 Arial;}}\f0 \'cf})", u"\u041f", {}, {}},
      {"unicode with one fallback", R"({\rtf1\uc1\u8364?x})", u"\u20acx", {}, {}},
      {"unicode skips escaped fallbacks", R"({\rtf1\uc2\u8364\'80\'80y})", u"\u20acy", {}, {}},
      {"unicode without fallback", R"({\rtf1\uc0\u8364 z})", u"\u20acz", {}, {}},
      {"negative unicode", R"({\rtf1\u-3913?})", u"\uf0b7", {}, {}},
      {"uc is scoped to its group", R"({\rtf1{\uc0 \u65 }\u66 ?})", u"AB", {}, {}},
      {"skip ends at the group", R"({\rtf1{\uc3\u65 a}b})", u"Ab", {}, {}},
      {"groups restore state", R"({\rtf1 a{\b\fs40 b}c})", u"abc",
       {{0, u"", 24, 0, kAny, kAny, kAny}, {1, u"", 40, 1, kAny, kAny, kAny}, {2, u"", 24, 0, kAny, kAny, kAny}}, {}},
      {"ignorable destination", R"({\rtf1 a{\*\unknowndest secret {nested} text}b})", u"ab", {}, {}},
      {"skipped destinations", R"({\rtf1{\info{\title T}{\author A}}{\stylesheet{\s0 Normal;}}{\pict\wmetafile8 0102}x})",
       u"x", {}, {}},
      {"field shows its result", R"({\rtf1{\field{\*\fldinst HYPERLINK "x"}{\fldrslt shown}}})", u"shown", {}, {}},
      {"binary data is not parsed", "{\\rtf1 a{\\pict\\bin3 }{}}b}", u"ab", {}, {}},
      {"escaped specials", R"({\rtf1 \\\{\}})", u"\\{}", {}, {}},
      {"special characters", R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote\~})",
       u"\u2014\u2013\u2022\u2018\u2019\u201c\u201d\u00a0", {}, {}},
      {"tab line page", R"({\rtf1 a\tab b\line c\page d})", u"a\tb\x0b" u"c\x0c" u"d", {}, {}},
      {"unknown control words", R"({\rtf1 \foo12 a\bar b\qqq-5 c})", u"abc", {}, {}},
      {"source line ends are not text", "{\\rtf1 a\r\nb\n}", u"ab", {}, {}},
      {"backslash newline is a paragraph", "{\\rtf1 a\\\nb}", u"a\rb", {}, {}},
      {"alignment per paragraph", R"({\rtf1\qc c\par\pard r\qr\par\qj j})", u"c\rr\rj", {},
       {{0, Alignment::Center}, {2, Alignment::Right}, {4, Alignment::Justify}}},
      {"alignment restored with the group", R"({\rtf1{\qc c}\par x})", u"c\rx", {}, {{0, Alignment::Left}}},
      {"text after the document is ignored", R"({\rtf1 a}b)", u"a", {}, {}},
  };
}

TEST(RichEditRtf, ReadsTextFormatsAndAlignment) {
  for (const RtfCase& c : rtfCases()) {
    SCOPED_TRACE(c.name);
    RichDocument doc = parse(c.rtf);
    EXPECT_EQ(show(doc.text()), show(c.text));
    for (const FormatCheck& f : c.formats) {
      ASSERT_LT(f.at, doc.size());
      const CharFormat& got = doc.format(doc.formatAt(f.at));
      SCOPED_TRACE("position " + std::to_string(f.at));
      if (*f.face || f.half_points != kAny) {
        EXPECT_EQ(show(got.face), show(f.face));
      }
      if (f.half_points != kAny) {
        EXPECT_EQ(got.half_points, f.half_points);
      }
      if (f.bold != kAny) {
        EXPECT_EQ(got.bold, f.bold != 0);
      }
      if (f.italic != kAny) {
        EXPECT_EQ(got.italic, f.italic != 0);
      }
      if (f.underline != kAny) {
        EXPECT_EQ(got.underline, f.underline != 0);
      }
      if (f.color != kAny) {
        EXPECT_EQ(int64_t(got.color), f.color);
      }
    }
    for (auto [at, alignment] : c.alignments) EXPECT_EQ(int(doc.alignmentAt(at)), int(alignment)) << "at " << at;
  }
}

// ---- hostile RTF ------------------------------------------------------------

struct HostileCase {
  const char* name;
  std::string rtf;
  std::u16string text;  // expected text, or "*" for "anything, bounded"
};

std::vector<HostileCase> hostileCases() {
  std::string deep = "{\\rtf1 " + std::string(100000, '{') + "x" + std::string(100000, '}') + "y}";
  std::string deep_state = "{\\rtf1 " + std::string(1000, '{') + "\\b x" + std::string(1000, '}') + "y}";
  std::string long_word = "{\\rtf1 \\" + std::string(100000, 'a') + " z}";
  std::string many_fonts = "{\\rtf1{\\fonttbl";
  for (int i = 0; i < 10000; ++i) many_fonts += "{\\f" + std::to_string(i) + " F" + std::to_string(i) + ";}";
  many_fonts += "}\\f9999 q}";
  std::string many_formats = "{\\rtf1 ";
  for (int i = 0; i < 70000; ++i) many_formats += "\\fs" + std::to_string(i % 3000 + 1) + "\\cf" + std::to_string(i) + " x";
  many_formats += "}";
  return {
      {"unbalanced open braces", "{\\rtf1 {{{{ a", u" a"},
      {"unbalanced close braces", "{\\rtf1 a}}}} b", u"a"},
      {"100k nesting", deep, u"xy"},
      {"state beyond the depth cap is dropped with its groups", deep_state, u"xy"},
      {"huge font size", "{\\rtf1\\fs99999999999999999999 x}", u"x"},
      {"truncated hex escape", "{\\rtf1 a\\'4", u"a"},
      {"hex escape at the end", "{\\rtf1 a\\'", u"a"},
      {"hex escape without digits", "{\\rtf1 a\\'zz}", u"azz"},
      {"unicode below -32768", "{\\rtf1\\u-99999999?}", u"\ufffd"},
      {"unicode above 65535", "{\\rtf1\\u99999 x}", u"\ufffd"},
      {"unicode -1", "{\\rtf1\\u-1?}", u"\uffff"},
      {"huge unicode skip count", "{\\rtf1 {\\uc999999999 \\u65 abc}d}", u"Ad"},
      {"huge binary length", "{\\rtf1 a\\bin999999999999 bcd}", u"a"},
      {"negative binary length", "{\\rtf1 a\\bin-5 b}", u"ab"},
      {"100k-letter control word", long_word, u"z"},
      {"control word at the end", "{\\rtf1 a\\", u"a"},
      {"minus without digits", "{\\rtf1\\fs- x}", u"- x"},
      {"10000 fonts", many_fonts, u"q"},
      {"70000 formats", many_formats, u"*"},
      {"only the header", "{\\rtf", u""},
      {"NUL bytes", std::string("{\\rtf1 a\0b}", 11), u"ab"},
      {"colour table overflow", "{\\rtf1{\\colortbl" + std::string(20000, ';') + "}\\cf19999 x}", u"x"},
  };
}

// Widths from the format alone, so that hostile documents are paginated
// quickly and the same way every time.
class FixedMeasurer : public RichMeasurer {
 public:
  explicit FixedMeasurer(const RichDocument& doc) : doc_(doc) {}
  LineMetrics metrics(uint32_t format) override { return {doc_.format(format).half_points, 4}; }
  int advance(uint32_t format, char16_t) override { return doc_.format(format).half_points / 2; }

 private:
  const RichDocument& doc_;
};

TEST(RichEditRtf, HostileInputIsReadSafely) {
  for (const HostileCase& c : hostileCases()) {
    SCOPED_TRACE(c.name);
    RichDocument doc = parse(c.rtf);
    // Every page takes something, and the pages end at the end.
    FixedMeasurer measurer(doc);
    int64_t position = 0;
    while (position < int64_t(doc.size())) {
      LayoutResult r = layoutRange(doc, position, -1, LayoutBox{0, 0, 300, 200}, 48, measurer, nullptr);
      ASSERT_GT(r.next, position);
      position = r.next;
    }
    EXPECT_EQ(position, int64_t(doc.size()));
    if (c.text != u"*") {
      EXPECT_EQ(show(doc.text()), show(c.text));
    }
    EXPECT_LE(doc.size(), c.rtf.size());
    EXPECT_LE(doc.formatCount(), RichDocument::kMaxFormats);
    for (size_t i = 0; i < doc.size(); ++i) EXPECT_LE(doc.format(doc.formatAt(i)).half_points, 3276);
  }
}

TEST(RichEditRtf, FontSizeIsClampedToTheLargestUsable) {
  RichDocument doc = parse("{\\rtf1\\fs99999999999999999999 x}");
  ASSERT_EQ(doc.size(), 1u);
  EXPECT_EQ(doc.format(doc.formatAt(0)).half_points, 3276);
}

// ---- layout --------------------------------------------------------------

struct RecordingSink : RunSink {
  std::vector<PlacedRun> runs;
  void run(const PlacedRun& r) override { runs.push_back(r); }
};

// Measures with the fonts of a screen-compatible memory context (96 pixels
// per inch) and keeps what the layout drew.
class LayoutFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    dc_ = CreateCompatibleDC(0);
    ASSERT_NE(dc_, 0u);
    edit_ = std::make_shared<RichEditObject>();
  }
  void TearDown() override { DeleteDC(dc_); }

  void load(const std::string& rtf) {
    ASSERT_TRUE(edit_->setRtfOrText({reinterpret_cast<const uint8_t*>(rtf.data()), rtf.size()}));
  }

  // Lays out from `first` into a box given in twips; returns the result of
  // the format-range message and keeps the runs.
  LRESULT format(LONG first, RECT twips, bool render = true, LONG last = -1) {
    FORMATRANGE fr{};
    fr.hdc = fr.hdcTarget = dc_;
    fr.rc = fr.rcPage = twips;
    fr.chrg = {first, last};
    sink_runs_.clear();
    return edit_->formatRange(render, &fr, [this](HDC, const RichDocument&, int, int) {
      auto sink = std::make_unique<Forwarding>();
      sink->target = &sink_runs_;
      return sink;
    });
  }

  // Ascent + descent of `face` at `points`, from the platform directly.
  LineMetrics fontMetrics(int points, const char* face = "Arial", bool bold = false) {
    HFONT f = CreateFontA(-MulDiv(points, 96, 72), 0, 0, 0, bold ? 700 : 400, 0, 0, 0, DEFAULT_CHARSET,
                          OUT_TT_PRECIS, 0, PROOF_QUALITY, 0, face);
    HGDIOBJ old = SelectObject(dc_, f);
    TEXTMETRICA tm{};
    EXPECT_TRUE(GetTextMetricsA(dc_, &tm));
    SelectObject(dc_, old);
    DeleteObject(f);
    return {tm.tmAscent, tm.tmDescent};
  }
  int textWidth(const std::u16string& text, int points, const char* face = "Arial") {
    HFONT f = CreateFontA(-MulDiv(points, 96, 72), 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, OUT_TT_PRECIS, 0,
                          PROOF_QUALITY, 0, face);
    HGDIOBJ old = SelectObject(dc_, f);
    SIZE size{};
    EXPECT_TRUE(GetTextExtentPoint32W(dc_, reinterpret_cast<const WCHAR*>(text.data()), int(text.size()), &size));
    SelectObject(dc_, old);
    DeleteObject(f);
    return size.cx;
  }

  // The runs grouped into lines by baseline, in order.
  std::vector<std::pair<int, std::u16string>> lines() const {
    std::vector<std::pair<int, std::u16string>> out;
    for (const PlacedRun& r : sink_runs_) {
      if (out.empty() || out.back().first != r.baseline) out.push_back({r.baseline, u""});
      out.back().second += r.text;
    }
    return out;
  }

  struct Forwarding : RunSink {
    std::vector<PlacedRun>* target = nullptr;
    void run(const PlacedRun& r) override { target->push_back(r); }
  };

  HDC dc_ = 0;
  std::shared_ptr<RichEditObject> edit_;
  std::vector<PlacedRun> sink_runs_;
};

std::string words(int count) {
  static const char* kWords[] = {"alpha", "beta", "gamma", "delta", "epsilon", "zeta", "eta", "theta", "iota"};
  std::string out;
  for (int i = 0; i < count; ++i) out += std::string(i ? " " : "") + kWords[i % 9];
  return out;
}

TEST_F(LayoutFixture, LongParagraphWrapsInsideTheRectangle) {
  const std::string text = words(80);
  load("{\\rtf1\\fs24 " + text + "}");
  // 1 inch margin, 2.5 inches wide = 96 .. 336 pixels.
  const RECT box{1440, 1440, 1440 + 3600, 1440 * 10};
  const LRESULT next = format(0, box);
  EXPECT_EQ(next, LRESULT(text.size()));

  const LineMetrics m = fontMetrics(12);
  auto got = lines();
  ASSERT_GT(got.size(), 3u);
  EXPECT_EQ(got.front().first, 96 + m.ascent);
  for (size_t i = 1; i < got.size(); ++i) EXPECT_EQ(got[i].first - got[i - 1].first, m.ascent + m.descent);
  for (const PlacedRun& r : sink_runs_) {
    EXPECT_GE(r.x, 96);
    EXPECT_LE(r.x + r.width, 336) << show(r.text);
    EXPECT_EQ(r.top, r.baseline - m.ascent);
    EXPECT_EQ(r.width, textWidth(r.text, 12)) << show(r.text);
  }
  // The lines hold the words in order, and each line is full: its next
  // word would not have fitted.
  std::u16string joined;
  for (size_t i = 0; i < got.size(); ++i) {
    joined += got[i].second + (i + 1 < got.size() ? u" " : u"");
    if (i + 1 < got.size()) {
      std::u16string next_word = got[i + 1].second.substr(0, got[i + 1].second.find(u' '));
      EXPECT_GT(textWidth(got[i].second + u" " + next_word, 12), 240) << "line " << i;
    }
  }
  EXPECT_EQ(show(joined), text);
}

TEST_F(LayoutFixture, PagesContinueWhereThePreviousEnded) {
  std::string rtf = "{\\rtf1\\fs24 ";
  std::u16string expected_text;
  for (int i = 1; i <= 40; ++i) rtf += "Line " + std::to_string(i) + "\\par ";
  rtf += "}";
  load(rtf);
  const LineMetrics m = fontMetrics(12);
  const int height = m.ascent + m.descent;
  const int lines_per_page = 7;
  // A box exactly 7.5 lines tall (in pixels at 96 per inch, as twips).
  const RECT box{0, 0, 1440 * 4, (lines_per_page * height + height / 2) * 15};
  const RichDocument doc = edit_->document();
  LONG position = 0;
  std::vector<std::u16string> seen;
  int pages = 0;
  while (position < LONG(doc.size())) {
    SCOPED_TRACE("page " + std::to_string(pages + 1));
    const LRESULT measured = format(position, box, false);
    const LRESULT next = format(position, box, true);
    EXPECT_EQ(measured, next) << "measuring and drawing disagree";
    ASSERT_GT(next, position);
    ASSERT_EQ(doc.text()[size_t(next) - 1], u'\r') << "a page ends at a paragraph end";
    auto got = lines();
    EXPECT_EQ(got.size(), size_t(std::min(lines_per_page, 40 - int(seen.size()))));
    for (auto& line : got) seen.push_back(line.second);
    position = LONG(next);
    ++pages;
    ASSERT_LT(pages, 20);
  }
  EXPECT_EQ(pages, 6);
  ASSERT_EQ(seen.size(), 40u);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(show(seen[i]), "Line " + std::to_string(i + 1));
  EXPECT_EQ(format(position, box), LRESULT(doc.size())) << "nothing left: the end again";
  // A range ending early stops there.
  EXPECT_EQ(format(0, box, false, 3), 3);
}

TEST_F(LayoutFixture, PageBreaksEndPages) {
  load("{\\rtf1 a\\par b\\page c\\par\\page\\page d}");
  const RECT box{0, 0, 1440 * 4, 1440 * 4};
  std::vector<std::pair<LRESULT, std::string>> pages;
  LONG position = 0;
  const LONG size = LONG(edit_->document().size());
  while (position < size && pages.size() < 10) {
    LRESULT next = format(position, box);
    std::string text;
    for (auto& line : lines()) text += show(line.second) + "|";
    pages.push_back({next, text});
    position = LONG(next);
  }
  // Text: a CR b FF c CR FF FF d; the second of two breaks makes a blank page.
  std::vector<std::pair<LRESULT, std::string>> expected{{4, "a|b|"}, {7, "c|"}, {8, ""}, {9, "d|"}};
  EXPECT_EQ(pages, expected);
}

TEST_F(LayoutFixture, AlignmentPlacesLines) {
  // 3 inches = 288 pixels from x = 48.
  const RECT box{720, 0, 720 + 4320, 1440 * 8};
  const int left = 48, right = 48 + 288;
  for (const char* align : {"\\ql", "\\qc", "\\qr"}) {
    SCOPED_TRACE(align);
    load(std::string("{\\rtf1\\fs24") + align + " short line\\par}");
    format(0, box);
    ASSERT_EQ(sink_runs_.size(), 1u);
    const PlacedRun& r = sink_runs_[0];
    const int width = textWidth(u"short line", 12);
    EXPECT_EQ(r.width, width);
    const int expected_x = std::string(align) == "\\ql"   ? left
                           : std::string(align) == "\\qc" ? left + (288 - width) / 2
                                                            : right - width;
    EXPECT_EQ(r.x, expected_x);
  }
  {
    SCOPED_TRACE("justified");
    load("{\\rtf1\\fs24\\qj " + words(40) + "\\par}");
    format(0, box);
    auto got = lines();
    ASSERT_GT(got.size(), 2u);
    for (size_t i = 0; i < got.size(); ++i) {
      int first_x = INT32_MAX, end_x = 0;
      for (const PlacedRun& r : sink_runs_) {
        if (r.baseline != got[i].first) continue;
        first_x = std::min(first_x, r.x);
        std::u16string visible = r.text.substr(0, r.text.find_last_not_of(u' ') + 1);
        end_x = std::max(end_x, r.x + textWidth(visible, 12));
      }
      EXPECT_EQ(first_x, left) << "line " << i;
      if (i + 1 < got.size()) {
        EXPECT_EQ(end_x, right) << "line " << i << " reaches the right edge";
      } else {
        EXPECT_LT(end_x, right) << "the last line stays ragged";
      }
    }
  }
}

TEST_F(LayoutFixture, MixedSizesShareABaseline) {
  load("{\\rtf1\\fs20 small \\fs48 BIG\\fs20  small}");
  format(0, RECT{0, 0, 1440 * 6, 1440 * 6});
  ASSERT_EQ(sink_runs_.size(), 3u);
  const LineMetrics big = fontMetrics(24), small = fontMetrics(10);
  for (const PlacedRun& r : sink_runs_) EXPECT_EQ(r.baseline, big.ascent);
  EXPECT_EQ(sink_runs_[0].top, big.ascent - small.ascent);
  EXPECT_EQ(sink_runs_[1].top, 0);
  EXPECT_EQ(sink_runs_[1].x, sink_runs_[0].x + sink_runs_[0].width);
}

TEST_F(LayoutFixture, TabsAdvanceToHalfInchStops) {
  load("{\\rtf1 a\\tab b\\tab\\tab c}");
  format(0, RECT{0, 0, 1440 * 6, 1440 * 6});
  ASSERT_EQ(sink_runs_.size(), 3u);
  EXPECT_EQ(sink_runs_[0].x, 0);
  EXPECT_EQ(sink_runs_[1].x, 48);
  EXPECT_EQ(sink_runs_[2].x, 144);
}

TEST_F(LayoutFixture, ProgressIsMadeWhenNothingFits) {
  // A 100-point line in a box a tenth of an inch tall, and a word wider
  // than the box: each call still takes a line.
  load("{\\rtf1\\fs200 Wide\\par x\\par}");
  const RECT box{0, 0, 288, 144};
  LONG position = 0;
  int calls = 0;
  while (position < 7 && calls < 20) {
    LRESULT next = format(position, box);
    ASSERT_GT(next, position);
    position = LONG(next);
    ++calls;
  }
  EXPECT_EQ(position, 7);
}

TEST_F(LayoutFixture, NewTextDropsWhatWasMeasuredForTheOld) {
  // Format 1 is 12 points in the first document and 24 in the second: a
  // measurement kept across the load would give the second the wrong height.
  const RECT box{0, 0, 1440 * 6, 1440 * 6};
  load("{\\rtf1\\fs24 small}");
  format(0, box);
  ASSERT_EQ(sink_runs_.size(), 1u);
  EXPECT_EQ(sink_runs_[0].baseline, fontMetrics(12).ascent);
  load("{\\rtf1\\fs48 large}");
  format(0, box);
  ASSERT_EQ(sink_runs_.size(), 1u);
  EXPECT_EQ(sink_runs_[0].baseline, fontMetrics(24).ascent);
  EXPECT_EQ(sink_runs_[0].width, textWidth(u"large", 24));
  // Dropping the cache changes nothing in the result.
  EXPECT_EQ(edit_->formatRange(false, nullptr), 0);
  format(0, box);
  ASSERT_EQ(sink_runs_.size(), 1u);
  EXPECT_EQ(sink_runs_[0].width, textWidth(u"large", 24));
}

TEST_F(LayoutFixture, BadRecordsFail) {
  load("{\\rtf1 text}");
  EXPECT_EQ(format(0, RECT{100, 0, 100, 1440}), -1) << "empty width";
  EXPECT_EQ(format(0, RECT{0, 500, 1440, 400}), -1) << "inverted height";
  EXPECT_EQ(format(3, RECT{0, 0, 1440, 1440}, true, 2), -1) << "start after end";
  FORMATRANGE fr{};
  fr.rc = RECT{0, 0, 1440, 1440};
  fr.chrg = {0, -1};
  EXPECT_EQ(edit_->formatRange(false, &fr), -1) << "no device context";
  fr.hdc = 0xFFFFFF0u;
  EXPECT_EQ(edit_->formatRange(false, &fr), -1) << "not a device context";
}

// ---- the window-handle calls --------------------------------------------

TEST(RichEditApi, HandleLifecycleAndTextLength) {
  HWND edit = pyraCreateRichEdit();
  ASSERT_NE(edit, 0u);
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_TRUE(SetWindowTextA(edit, "{\\rtf1 ab\\par cd}"));
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), 5) << "RTF through SetWindowTextA";
  EXPECT_TRUE(SetWindowTextA(edit, "one\r\ntwo\nthree"));
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), 13) << "plain text, one position per line end";
  GETTEXTLENGTHEX crlf{GTL_USECRLF | GTL_NUMCHARS, 1200};
  EXPECT_EQ(SendMessageA(edit, EM_GETTEXTLENGTHEX, WPARAM(&crlf), 0), 15);
  GETTEXTLENGTHEX bytes{GTL_NUMBYTES, 1200};
  EXPECT_EQ(SendMessageA(edit, EM_GETTEXTLENGTHEX, WPARAM(&bytes), 0), 26);
  GETTEXTLENGTHEX both{GTL_NUMBYTES | GTL_NUMCHARS, 1252};
  EXPECT_EQ(SendMessageA(edit, EM_GETTEXTLENGTHEX, WPARAM(&both), 0), PYRA_E_INVALIDARG);
  const WCHAR wide[] = {0x20AC, 'x', 0};
  EXPECT_TRUE(SetWindowTextW(edit, wide));
  EXPECT_EQ(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0), 2);
  GETTEXTLENGTHEX ansi{GTL_NUMBYTES, 1252};
  EXPECT_EQ(SendMessageA(edit, EM_GETTEXTLENGTHEX, WPARAM(&ansi), 0), 2);
  EXPECT_TRUE(pyraRichEditSetRtf(edit, "plain \xe9", 7));
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), 7) << "bytes that are not RTF are text";
  EXPECT_FALSE(pyraRichEditSetRtf(edit, nullptr, 3));
  EXPECT_TRUE(SetWindowTextA(edit, nullptr));
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_EQ(SendMessageA(edit, EM_FORMATRANGE, 0, 0), 0) << "clearing the cache";

  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 32767);
  SendMessageA(edit, EM_EXLIMITTEXT, 0, 100000);
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 100000);

  // A font is not a rich-text object, and the object is not a GDI object.
  HFONT font = CreateFontA(-10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  EXPECT_FALSE(DestroyWindow(font));
  EXPECT_FALSE(SetWindowTextA(font, "x"));
  EXPECT_EQ(SendMessageA(font, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_FALSE(DeleteObject(edit));
  DeleteObject(font);

  EXPECT_TRUE(DestroyWindow(edit));
  EXPECT_FALSE(DestroyWindow(edit));
  EXPECT_FALSE(SetWindowTextA(edit, "x"));
  EXPECT_EQ(SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0), 0);
  EXPECT_FALSE(pyraRichEditSetRtf(0, "x", 1));
}

struct Chunks {
  std::string data;
  size_t at = 0;
  size_t chunk = 0;
  DWORD fail_with = 0;
};

DWORD CALLBACK_chunks(uintptr_t cookie, BYTE* buffer, LONG cb, LONG* pcb) {
  auto* c = reinterpret_cast<Chunks*>(cookie);
  if (c->fail_with && c->at > 0) return c->fail_with;
  size_t n = std::min({c->chunk, size_t(cb), c->data.size() - c->at});
  std::copy_n(c->data.data() + c->at, n, buffer);
  c->at += n;
  *pcb = LONG(n);
  return 0;
}

TEST(RichEditApi, StreamInReadsEveryChunk) {
  HWND edit = pyraCreateRichEdit();
  Chunks rtf{"{\\rtf1 caf\\'e9 \\b bold\\b0\\par end}", 0, 3, 0};
  EDITSTREAM stream{uintptr_t(&rtf), 0, CALLBACK_chunks};
  EXPECT_EQ(SendMessageA(edit, EM_STREAMIN, SF_RTF, LPARAM(&stream)), 13);
  EXPECT_EQ(stream.dwError, 0u);

  Chunks text{"a\r\nb", 0, 1, 0};
  EDITSTREAM plain{uintptr_t(&text), 0, CALLBACK_chunks};
  EXPECT_EQ(SendMessageA(edit, EM_STREAMIN, SF_TEXT, LPARAM(&plain)), 3);

  Chunks failing{"{\\rtf1 abc}", 0, 4, 77};
  EDITSTREAM broken{uintptr_t(&failing), 0, CALLBACK_chunks};
  SendMessageA(edit, EM_STREAMIN, SF_RTF, LPARAM(&broken));
  EXPECT_EQ(broken.dwError, 77u);

  EXPECT_EQ(SendMessageA(edit, EM_STREAMIN, SF_RTF, 0), 0);
  DestroyWindow(edit);
}

}  // namespace
// ---- drawing through the platform's text calls ----------------------------

namespace {

struct EmfText {
  int x, y;
  std::u16string text;
  std::vector<int> dx;
  int font_height, weight, underline;
  COLORREF color;
};

struct EmfLog {
  std::vector<EmfText> texts;
  std::vector<DWORD> types;
  std::map<DWORD, std::vector<uint8_t>> fonts;  // object index -> LOGFONTW bytes
  DWORD selected_font = 0;
  COLORREF color = 0;
};

uint32_t u32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

int collectRecords(HDC, void*, const ENHMETARECORD* record, int, PYRA_LPARAM data) {
  auto& log = *reinterpret_cast<EmfLog*>(data);
  const auto* p = reinterpret_cast<const uint8_t*>(record);
  const DWORD type = record->iType, size = record->nSize;
  log.types.push_back(type);
  if (type == 82 && size >= 12 + 92) log.fonts[u32(p + 8)].assign(p + 12, p + 12 + 92);  // EXTCREATEFONTINDIRECTW
  if (type == 37 && size >= 12) log.selected_font = u32(p + 8);                           // SELECTOBJECT
  if (type == 24 && size >= 12) log.color = u32(p + 8);                                   // SETTEXTCOLOR
  if (type == 84 && size >= 76) {                                                         // EXTTEXTOUTW
    EmfText t;
    t.x = int32_t(u32(p + 36));
    t.y = int32_t(u32(p + 40));
    uint32_t n = u32(p + 44), off = u32(p + 48), off_dx = u32(p + 72);
    for (uint32_t i = 0; i < n && off + 2 * i + 1 < size; ++i) t.text.push_back(char16_t(p[off + 2 * i] | p[off + 2 * i + 1] << 8));
    for (uint32_t i = 0; i < n && off_dx && off_dx + 4 * i + 3 < size; ++i) t.dx.push_back(int32_t(u32(p + off_dx + 4 * i)));
    auto font = log.fonts.find(log.selected_font);
    t.font_height = t.weight = t.underline = -1;
    if (font != log.fonts.end()) {
      t.font_height = int32_t(u32(font->second.data()));
      t.weight = int32_t(u32(font->second.data() + 16));
      t.underline = font->second[21];
    }
    t.color = log.color;
    log.texts.push_back(t);
  }
  return 1;
}

}  // namespace

TEST_F(LayoutFixture, RenderingRecordsTextFontsAndColours) {
  load("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\fs24 plain \\b bold\\b0  \\ul under\\ul0  \\cf1 red\\par}");
  HDC emf = CreateEnhMetaFileA(0, nullptr, nullptr, nullptr);
  ASSERT_NE(emf, 0u);
  SetMapMode(emf, MM_ANISOTROPIC);  // the caller's mapping is set aside while drawing
  // The runs the layout makes, to compare with what was recorded.
  format(0, RECT{1440, 1440, 1440 * 7, 1440 * 5});
  const std::vector<PlacedRun> runs = sink_runs_;

  FORMATRANGE fr{};
  fr.hdc = emf;
  fr.hdcTarget = emf;
  fr.rc = fr.rcPage = RECT{1440, 1440, 1440 * 7, 1440 * 5};
  fr.chrg = {0, -1};
  EXPECT_EQ(edit_->formatRange(true, &fr), 21);
  HENHMETAFILE mf = CloseEnhMetaFile(emf);
  ASSERT_NE(mf, 0u);
  EmfLog log;
  EnumEnhMetaFile(0, mf, collectRecords, &log, nullptr);
  DeleteEnhMetaFile(mf);

  ASSERT_EQ(log.texts.size(), runs.size());
  std::string all;
  for (size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE(show(runs[i].text));
    const EmfText& t = log.texts[i];
    all += show(t.text);
    EXPECT_EQ(show(t.text), show(runs[i].text));
    EXPECT_EQ(t.x, runs[i].x);
    EXPECT_EQ(t.y, runs[i].top);
    EXPECT_EQ(t.dx, runs[i].advances);
    EXPECT_EQ(t.font_height, -16);
    const bool bold = t.text.find(u"bold") != std::u16string::npos;
    const bool under = t.text.find(u"under") != std::u16string::npos;
    const bool red = t.text.find(u"red") != std::u16string::npos;
    EXPECT_EQ(t.weight, bold ? 700 : 400);
    EXPECT_EQ(t.underline, under ? 1 : 0);
    EXPECT_EQ(t.color, red ? RGB(255, 0, 0) : RGB(0, 0, 0));
  }
  EXPECT_EQ(all, "plain bold under red");
  // Drawn inside a saved state in device pixels, then put back.
  auto at = [&](DWORD type) { return std::find(log.types.begin(), log.types.end(), type) - log.types.begin(); };
  auto last = [&](DWORD type) { return log.types.rend() - std::find(log.types.rbegin(), log.types.rend(), type) - 1; };
  EXPECT_LT(at(33), at(84)) << "SaveDC before the text";
  EXPECT_GT(last(34), last(84)) << "RestoreDC after it";
}
