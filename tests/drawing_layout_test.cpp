// Word wrapping into a rectangle with fixed character widths: every
// character 10 units wide, so positions can be worked out by hand.
#include <gtest/gtest.h>

#include <string>

#include "engine/interface/drawing_text_layout.h"

using namespace pyra::interface;

namespace {

int32_t tenUnits(uint8_t) { return 10; }

TextRectLayout lay(std::string_view text, int32_t width, int32_t height, int32_t alignment = 0) {
  return layoutTextRect(text, 100, 50, width, height, 12, alignment, tenUnits);
}

std::string lineText(std::string_view text, const TextRectLine& l) {
  return std::string(text.substr(l.start, l.advances.size()));
}

}  // namespace

TEST(TextRectLayout, WrapsAtBlanksAndStopsAtTheEnd) {
  // "one two" is 70 units; with " three" it would be 130.
  const std::string_view text = "one two three";
  TextRectLayout l = lay(text, 100, 120);
  ASSERT_EQ(l.lines.size(), 2u);
  EXPECT_EQ(lineText(text, l.lines[0]), "one two");
  EXPECT_EQ(lineText(text, l.lines[1]), "three");
  EXPECT_EQ(l.lines[0].top, 50);
  EXPECT_EQ(l.lines[1].top, 62);
  EXPECT_EQ(l.stop, text.size()) << "all of the text was laid out";
}

TEST(TextRectLayout, FormFeedEndsTheRectangle) {
  const std::string_view text = "a\fb";
  TextRectLayout l = lay(text, 100, 120);
  ASSERT_EQ(l.lines.size(), 1u);
  EXPECT_EQ(lineText(text, l.lines[0]), "a");
  EXPECT_EQ(l.stop, 2u) << "points at b";
}

TEST(TextRectLayout, LineFeedsBreakAndTrailingBlanksGo) {
  const std::string_view text = "ab  \r\ncd";
  TextRectLayout l = lay(text, 200, 120);
  ASSERT_EQ(l.lines.size(), 2u);
  EXPECT_EQ(lineText(text, l.lines[0]), "ab");
  EXPECT_EQ(lineText(text, l.lines[1]), "cd");
}

TEST(TextRectLayout, StopsAtTheFirstLineThatDoesNotFit) {
  const std::string_view text = "one two three four";
  TextRectLayout l = lay(text, 60, 25);  // two lines of 12
  ASSERT_EQ(l.lines.size(), 2u);
  EXPECT_EQ(lineText(text, l.lines[0]), "one");
  EXPECT_EQ(lineText(text, l.lines[1]), "two");
  EXPECT_EQ(text.substr(l.stop), "three four");
}

TEST(TextRectLayout, AWordWiderThanTheRectangleGoesOutByCharacters) {
  const std::string_view text = "abcdef";
  TextRectLayout l = lay(text, 25, 1000);
  // Only two characters fit on a line (a third would reach the edge).
  ASSERT_EQ(l.lines.size(), 3u);
  EXPECT_EQ(lineText(text, l.lines[0]), "ab");
  EXPECT_EQ(lineText(text, l.lines[2]), "ef");
  EXPECT_EQ(l.stop, text.size());
}

TEST(TextRectLayout, BlanksThatCannotBeSkippedDoNotStopProgress) {
  // Tabs only, then a word too wide: every step must move on.
  const std::string_view text = "\t\t\tabcdefghij";
  TextRectLayout l = lay(text, 15, 100000);
  EXPECT_EQ(l.stop, text.size());
}

TEST(TextRectLayout, AlignmentsPlaceEachLine) {
  const std::string_view text = "aa bb cc dd";  // 110 units on one line
  struct Case { const char* name; int32_t alignment; int32_t width; int32_t first_x; };
  for (const Case& c : {Case{"left", 0, 200, 100}, Case{"centre", 1, 200, 100 + 100 - 55},
                        Case{"right", 2, 200, 100 + 200 - 110}}) {
    TextRectLayout l = lay(text, c.width, 100, c.alignment);
    ASSERT_EQ(l.lines.size(), 1u) << c.name;
    EXPECT_EQ(l.lines[0].x, c.first_x) << c.name;
  }
}

TEST(TextRectLayout, JustifiedLinesEndExactlyAtTheRightEdge) {
  // Width 95: "aa bb cc" (80) per line, 15 spare units shared by two
  // blanks, the remainder going to the first.
  const std::string_view text = "aa bb cc dd ee ff gg";
  TextRectLayout l = lay(text, 95, 1000, 3);
  ASSERT_GE(l.lines.size(), 2u);
  for (size_t i = 0; i < l.lines.size(); ++i) {
    const TextRectLine& line = l.lines[i];
    if (lineText(text, line).find(' ') == std::string::npos) continue;
    EXPECT_EQ(line.right(), 100 + 95) << "line " << i << " \"" << lineText(text, line) << "\"";
  }
  // First blank of a line of remainder 1 is one unit wider than the next.
  const TextRectLine& first = l.lines[0];
  EXPECT_EQ(lineText(text, first), "aa bb cc");
  EXPECT_EQ(first.advances[2], 10 + 8);
  EXPECT_EQ(first.advances[5], 10 + 7);
}

TEST(TextRectLayout, NothingFitsInARectangleLowerThanALine) {
  TextRectLayout l = lay("abc", 100, 11);
  EXPECT_TRUE(l.lines.empty());
  EXPECT_EQ(l.stop, 0u);
}
