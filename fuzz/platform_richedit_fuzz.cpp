// RTF into the rich-text document, then laid out page after page into a
// box the input also chooses: the reader, the wrapping and the pagination
// see the same hostile bytes. Widths come from a cheap stand-in measurer so
// that runs stay fast; documents with few formats are also measured with
// real fonts. fontconfig keeps a little memory for the life of the process,
// which LeakSanitizer reports at exit: run with
// LSAN_OPTIONS=suppressions=fuzz/lsan.supp.
#include <cstddef>
#include <cstdint>

#include "platform/richedit_gdi.h"
#include "platform/richedit_object.h"
#include "platform/richedit_layout.h"
#include "platform/richedit_rtf_reader.h"

namespace {

using namespace pyra::gdi;

class FakeMeasurer : public RichMeasurer {
 public:
  explicit FakeMeasurer(const RichDocument& doc) : doc_(doc) {}
  LineMetrics metrics(uint32_t format) override {
    int h = doc_.format(format).half_points;
    return {h, h / 4};
  }
  int advance(uint32_t format, char16_t unit) override { return doc_.format(format).half_points / 3 + unit % 5; }

 private:
  const RichDocument& doc_;
};

struct CheckingSink : RunSink {
  int64_t units = 0;
  RunSink* next = nullptr;  // the drawing, when there is one
  void run(const PlacedRun& r) override {
    if (r.text.size() != r.advances.size() || r.text.empty()) __builtin_trap();
    units += int64_t(r.text.size());
    if (next) next->run(r);
  }
};

void paginate(const RichDocument& doc, const LayoutBox& box, RichMeasurer& measurer, RunSink* drawing = nullptr) {
  CheckingSink sink;
  sink.next = drawing;
  int64_t position = 0;
  const int64_t size = int64_t(doc.size());
  while (position < size) {
    LayoutResult r = layoutRange(doc, position, -1, box, 48, measurer, &sink);
    if (r.next <= position || r.next > size) __builtin_trap();  // no progress or past the end
    position = r.next;
  }
  if (sink.units > size) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const LayoutBox box{0, 0, 1 + data[0] * 4, 1 + data[1] * 4};
  RichDocument doc;
  readRtf({data + 2, size - 2}, doc);
  FakeMeasurer fake(doc);
  paginate(doc, box, fake);
  if (doc.formatCount() <= 3 && doc.size() <= 512 && (data[2] & 7) == 1) {
    // Measured with real fonts and drawn into a recording context.
    HDC emf = CreateEnhMetaFileA(0, nullptr, nullptr, nullptr);
    {
      MeasureCache cache;
      cache.reset(96);
      GdiMeasurer real(emf, doc, cache);
      std::unique_ptr<RunSink> drawing = makeGdiRunSink(emf, doc, 96, 96);
      paginate(doc, box, real, drawing.get());
    }
    DeleteEnhMetaFile(CloseEnhMetaFile(emf));
  }
  return 0;
}
