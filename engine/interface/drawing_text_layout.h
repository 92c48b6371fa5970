#pragma once
// Word wrapping of a text into a rectangle: which bytes go on which line and
// how wide each is drawn. Kept apart from the canvas so it can be checked
// with any character widths.
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace pyra::interface {

struct TextRectLine {
  size_t start = 0;               // first byte in the text
  std::vector<int32_t> advances;  // one per byte drawn
  int32_t x = 0, top = 0;         // where the first byte goes; clip top
  int32_t right() const;          // x + sum of advances
};

struct TextRectLayout {
  std::vector<TextRectLine> lines;
  // Where scanning stopped: the end of the text when all of it was laid
  // out, the byte after a form feed, or the first byte that did not fit.
  size_t stop = 0;
};

// Alignment 0 left, 1 centred, 2 right, 3 justified (blanks widened so the
// line ends at x + width). `char_width` gives a byte's advance; bytes up to
// 32 count as blanks.
TextRectLayout layoutTextRect(std::string_view text, int32_t x, int32_t y, int32_t width, int32_t height,
                              int32_t line_height, int32_t alignment,
                              const std::function<int32_t(uint8_t)>& char_width);

}  // namespace pyra::interface
