#pragma once
// The report engine's printer: bands laid out by a BandWriter, each finished
// page recorded as a placeable metafile file into a fresh preview queue.
#include "demo/reports/band_writer.h"
#include "demo/reports/preview_queue.h"
#include "demo/reports/report_layout.h"
#include "demo/reports/wmf_page_recorder.h"

namespace pyra::reports {

class ReportPrinter {
 public:
  // The layout must outlive the printer.
  explicit ReportPrinter(const ReportLayout& layout);
  ReportPrinter(const ReportPrinter&) = delete;
  ReportPrinter& operator=(const ReportPrinter&) = delete;

  BandWriter& bands() { return writer_; }
  // Completes the last page and hands over the queue (empty when nothing
  // was printed).
  PreviewQueue finish();

 private:
  const ReportLayout& layout_;
  PreviewQueue queue_;
  DrawingObjects objects_;
  BandWriter writer_;
};

}  // namespace pyra::reports
