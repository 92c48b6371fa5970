#pragma once
// Lays out a range of a RichDocument into a rectangle: paragraphs are
// word-wrapped to its width, aligned (left, centre, right, justified), and
// stacked until the next line would pass its bottom or a page break is met.
// Measuring and drawing are behind small interfaces so that the layout can
// be checked without a device context and the device code stays thin.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/richedit_document.h"

namespace pyra::gdi {

struct LineMetrics {
  int ascent = 0;
  int descent = 0;
};

class RichMeasurer {
 public:
  virtual ~RichMeasurer() = default;
  // In the layout's units (device units of the target).
  virtual LineMetrics metrics(uint32_t format) = 0;
  virtual int advance(uint32_t format, char16_t unit) = 0;
};

// One piece of text in one format at its place. `top` is the top of the
// run's character cell (baseline - its ascent).
struct PlacedRun {
  int x = 0;
  int top = 0;
  int baseline = 0;
  int width = 0;
  uint32_t format = 0;
  std::u16string text;
  std::vector<int> advances;  // one per unit of text
};

class RunSink {
 public:
  virtual ~RunSink() = default;
  virtual void run(const PlacedRun& run) = 0;
};

struct LayoutBox {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct LayoutResult {
  // The first position not laid out; -1 for an empty box or a bad range.
  int64_t next = -1;
  // The bottom of the last line laid out (box.top when none).
  int bottom = 0;
  int lines = 0;
};

// Lays out [first, last) (last -1 or past the end: to the end of the text).
// `tab_stop` is the distance between default tab stops, > 0. Runs go to
// `sink` when given. At least one line is taken whenever text remains, even
// when it is taller than the box.
LayoutResult layoutRange(const RichDocument& document, int64_t first, int64_t last, const LayoutBox& box,
                         int tab_stop, RichMeasurer& measurer, RunSink* sink);

}  // namespace pyra::gdi
