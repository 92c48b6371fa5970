#include "engine/interface/drawing_text_layout.h"

#include <algorithm>

namespace pyra::interface {

int32_t TextRectLine::right() const {
  int64_t r = x;
  for (int32_t a : advances) r += a;
  return int32_t(r);
}

namespace {

bool isBlank(uint8_t c) { return c <= 32; }

class Layout {
 public:
  Layout(std::string_view text, int32_t x, int32_t y, int32_t width, int32_t height, int32_t line_height,
         int32_t alignment, const std::function<int32_t(uint8_t)>& char_width)
      : text_(text), x_(x), y_(y), width_(width), height_(height), line_height_(line_height),
        alignment_(alignment), char_width_(char_width) {}

  TextRectLayout run() {
    size_t line_start = 0, scan = 0, break_end = 0;
    bool has_break = false;
    int64_t line_width = 0;
    const int32_t blank = char_width_(' ');
    while (scan < text_.size() && nextLineFits()) {
      const uint8_t c = uint8_t(text_[scan]);
      if (c == 12) {
        output(line_start, scan - line_start, false);
        ++scan;
        line_start = scan;
        result_.stop = scan;
        return std::move(result_);
      }
      if (c == 10) {
        output(line_start, scan - line_start, true);
        ++scan;
        line_start = scan;
        line_width = 0;
        has_break = false;
        continue;
      }
      if (isBlank(c)) {
        size_t end = scan;
        while (end > line_start && isBlank(uint8_t(text_[end - 1]))) --end;
        break_end = end;
        has_break = true;
        line_width += blank;
        ++scan;
        continue;
      }
      const int32_t w = char_width_(c);
      if (line_width + w >= width_) {
        // A word wider than the rectangle is cut after the characters that
        // fit (at least one), not one character per line.
        size_t count = has_break ? break_end - line_start : std::max<size_t>(scan - line_start, 1);
        output(line_start, count, alignment_ > 0);
        line_start += count;
        // The next line starts after one blank; a blank that cannot be
        // skipped would leave the scan where it was, so one byte always goes.
        if (line_start < text_.size() && isBlank(uint8_t(text_[line_start])) && text_[line_start] != 10 &&
            text_[line_start] != 12)
          ++line_start;
        scan = line_start;
        line_width = 0;
        has_break = false;
        continue;
      }
      line_width += w;
      ++scan;
    }
    if (line_start < scan && nextLineFits()) output(line_start, scan - line_start, alignment_ > 0);
    result_.stop = scan;
    return std::move(result_);
  }

 private:
  bool nextLineFits() const {
    return int64_t(result_.lines.size()) * line_height_ + line_height_ <= int64_t(height_);
  }

  void output(size_t start, size_t count, bool trim) {
    if (trim || alignment_ > 0) {
      while (count > 0 && (text_[start + count - 1] == ' ' || text_[start + count - 1] == 13)) --count;
    }
    TextRectLine line;
    line.start = start;
    line.top = int32_t(y_ + int64_t(result_.lines.size()) * line_height_);
    line.advances.resize(count);
    int64_t text_width = 0;
    size_t blanks = 0;
    for (size_t i = 0; i < count; ++i) {
      const uint8_t c = uint8_t(text_[start + i]);
      line.advances[i] = char_width_(isBlank(c) ? uint8_t(' ') : c);
      text_width += line.advances[i];
      if (c == ' ') ++blanks;
    }
    if (alignment_ == 3 && blanks > 0 && text_width < width_) {
      const int64_t spare = width_ - text_width;
      const int64_t each = spare / int64_t(blanks);
      int64_t remainder = spare % int64_t(blanks);
      for (size_t i = 0; i < count; ++i) {
        if (text_[start + i] != ' ') continue;
        line.advances[i] += int32_t(each + (remainder > 0 ? 1 : 0));
        if (remainder > 0) --remainder;
      }
      text_width = width_;
    }
    if (alignment_ == 1) line.x = int32_t(x_ + width_ / 2 - text_width / 2);
    else if (alignment_ == 2) line.x = int32_t(x_ + width_ - text_width);
    else line.x = x_;
    result_.lines.push_back(std::move(line));
  }

  std::string_view text_;
  int32_t x_, y_, width_, height_, line_height_, alignment_;
  const std::function<int32_t(uint8_t)>& char_width_;
  TextRectLayout result_;
};

}  // namespace

TextRectLayout layoutTextRect(std::string_view text, int32_t x, int32_t y, int32_t width, int32_t height,
                              int32_t line_height, int32_t alignment,
                              const std::function<int32_t(uint8_t)>& char_width) {
  if (line_height <= 0) line_height = 1;
  return Layout(text, x, y, width, height, line_height, alignment, char_width).run();
}

}  // namespace pyra::interface
