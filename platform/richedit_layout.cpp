#include "platform/richedit_layout.h"

#include <algorithm>
#include <climits>

namespace pyra::gdi {

namespace {

enum class LineEnd { Wrap, Paragraph, LineBreak, PageBreak, RangeEnd };

struct Line {
  size_t start = 0;
  size_t content_end = 0;  // without trailing blanks and the break character
  size_t end = 0;          // where the next line starts
  LineEnd kind = LineEnd::RangeEnd;
};

int64_t tabAdvance(int64_t x, int tab_stop) { return (x / tab_stop + 1) * tab_stop - x; }

// Walks the format runs alongside a position that only moves forward.
class FormatCursor {
 public:
  FormatCursor(const RichDocument& document, size_t position)
      : doc_(document), run_(document.runIndexAt(position)), run_end_(document.runStart(run_ + 1)) {}
  uint32_t formatAt(size_t position) {
    while (position >= run_end_ && run_ + 1 < doc_.runCount()) run_end_ = doc_.runStart(++run_ + 1);
    return doc_.runFormat(run_);
  }
  // Where the run holding the last position asked about ends.
  size_t runEnd() const { return run_end_; }

 private:
  const RichDocument& doc_;
  size_t run_;
  size_t run_end_;
};

class LineLayout {
 public:
  LineLayout(const RichDocument& document, const LayoutBox& box, int tab_stop, RichMeasurer& measurer)
      : doc_(document), text_(document.text()), box_(box), width_(int64_t(box.right) - box.left), tab_stop_(tab_stop),
        measurer_(measurer) {}

  // Finds the next line: as many whole words as fit, or as many characters
  // as fit when a single word is wider than the box (at least one).
  Line breakLine(size_t start, size_t last) {
    Line line;
    line.start = start;
    FormatCursor formats(doc_, start);
    int64_t x = 0;  // blanks may pile up far past the edge
    size_t after_blank = 0;  // 0: no break opportunity yet
    size_t i = start;
    for (; i < last; ++i) {
      char16_t c = text_[i];
      if (c == RichDocument::kParagraphEnd || c == RichDocument::kLineBreak) {
        line.kind = c == RichDocument::kParagraphEnd ? LineEnd::Paragraph : LineEnd::LineBreak;
        line.content_end = i;
        line.end = i + 1;
        return trimmed(line);
      }
      if (c == RichDocument::kPageBreak) {
        line.kind = LineEnd::PageBreak;
        line.content_end = line.end = i;
        return trimmed(line);
      }
      if (c == u' ') {  // blanks may hang past the right edge
        x += measurer_.advance(formats.formatAt(i), c);
        after_blank = i + 1;
        continue;
      }
      int64_t w = c == RichDocument::kTab ? tabAdvance(x, tab_stop_) : measurer_.advance(formats.formatAt(i), c);
      if (i > start && x + w > width_) {
        line.kind = LineEnd::Wrap;
        line.content_end = line.end = after_blank ? after_blank : i;
        return trimmed(line);
      }
      x += w;
      if (c == RichDocument::kTab) after_blank = i + 1;
    }
    line.kind = LineEnd::RangeEnd;
    line.content_end = line.end = i;
    return trimmed(line);
  }

  LineMetrics metrics(const Line& line) {
    LineMetrics m;
    if (line.content_end == line.start) {
      // An empty line takes the height of its paragraph mark (or of
      // whatever character follows it).
      size_t at = std::min(line.start, text_.size() - 1);
      return measurer_.metrics(doc_.formatAt(at));
    }
    size_t run = doc_.runIndexAt(line.start);
    for (; run < doc_.runCount() && doc_.runStart(run) < line.content_end; ++run) {
      LineMetrics f = measurer_.metrics(doc_.runFormat(run));
      m.ascent = std::max(m.ascent, f.ascent);
      m.descent = std::max(m.descent, f.descent);
    }
    return m;
  }

  void place(const Line& line, int top, const LineMetrics& m, Alignment alignment, RunSink& sink) {
    // The natural width decides the offset of centred and right-aligned
    // lines and the extra space of justified ones.
    FormatCursor formats(doc_, line.start);
    int64_t natural = 0;
    int blanks = 0;
    for (size_t i = line.start; i < line.content_end; ++i) {
      char16_t c = text_[i];
      if (c == RichDocument::kTab) natural += tabAdvance(natural, tab_stop_);
      else natural += measurer_.advance(formats.formatAt(i), c);
      if (c == u' ') ++blanks;
    }
    int64_t offset = 0;
    int64_t extra = 0;
    const int64_t slack = width_ - natural;
    if (slack > 0) {
      if (alignment == Alignment::Center) offset = slack / 2;
      else if (alignment == Alignment::Right) offset = slack;
      else if (alignment == Alignment::Justify && line.kind == LineEnd::Wrap && blanks > 0) extra = slack;
    }
    const int baseline = top + m.ascent;
    PlacedRun run;
    int64_t x = 0;      // natural position, for tab stops
    int64_t shift = 0;  // what justification added so far
    int blank_index = 0;
    auto emit = [&] {
      if (!run.text.empty()) {
        run.top = baseline - measurer_.metrics(run.format).ascent;
        run.baseline = baseline;
        sink.run(run);
      }
      run.text.clear();
      run.advances.clear();
      run.width = 0;
    };
    FormatCursor cursor(doc_, line.start);
    for (size_t i = line.start; i < line.content_end; ++i) {
      char16_t c = text_[i];
      uint32_t format = cursor.formatAt(i);
      if (c == RichDocument::kTab) {
        emit();
        x += tabAdvance(x, tab_stop_);
        continue;
      }
      if (!run.text.empty() && format != run.format) emit();
      if (run.text.empty()) {
        run.format = format;
        run.x = int(std::clamp<int64_t>(box_.left + offset + x + shift, INT32_MIN, INT32_MAX));
      }
      int w = measurer_.advance(format, c);
      run.text.push_back(c);
      run.advances.push_back(w);
      run.width += w;
      x += w;
      if (c == u' ' && extra > 0) {
        // Spread the slack over the blanks, the remainder one unit each
        // to the first ones, so the line ends exactly at the right edge.
        shift += extra / blanks + (blank_index < extra % blanks ? 1 : 0);
        ++blank_index;
        emit();
      }
    }
    emit();
  }

 private:
  Line trimmed(Line line) {
    while (line.content_end > line.start && text_[line.content_end - 1] == u' ') --line.content_end;
    return line;
  }

  const RichDocument& doc_;
  const std::u16string& text_;
  LayoutBox box_;
  int64_t width_;
  int tab_stop_;
  RichMeasurer& measurer_;
};

}  // namespace

LayoutResult layoutRange(const RichDocument& document, int64_t first, int64_t last, const LayoutBox& box,
                         int tab_stop, RichMeasurer& measurer, RunSink* sink) {
  LayoutResult result;
  result.bottom = box.top;
  const int64_t size = int64_t(document.size());
  if (last < 0 || last > size) last = size;
  if (first < 0) first = 0;
  if (first > last || box.right <= box.left || box.bottom <= box.top || tab_stop <= 0) return result;

  LineLayout layout(document, box, tab_stop, measurer);
  const auto& text = document.text();
  size_t position = size_t(first);
  int64_t y = box.top;
  while (position < size_t(last)) {
    if (text[position] == RichDocument::kPageBreak) {
      // The break belongs to the page it ends; met first on a page it
      // makes that page empty, as two page breaks in a row ask.
      ++position;
      break;
    }
    Line line = layout.breakLine(position, size_t(last));
    LineMetrics m = layout.metrics(line);
    const int64_t height = int64_t(m.ascent) + m.descent;
    if (result.lines > 0 && y + height > box.bottom) break;
    if (sink) layout.place(line, int(y), m, document.alignmentAt(position), *sink);
    y += height;
    ++result.lines;
    position = line.end;
  }
  result.next = int64_t(position);
  result.bottom = int(std::min<int64_t>(y, INT32_MAX));
  return result;
}

}  // namespace pyra::gdi
