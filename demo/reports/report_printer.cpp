#include "demo/reports/report_printer.h"

#include <utility>

#include "demo/reports/wmf_page_recorder.h"

namespace pyra::reports {

ReportPrinter::ReportPrinter(const ReportLayout& layout)
    : layout_(layout),
      queue_(PreviewQueue::makeTemporary()),
      writer_(layout, [this](const PlacedPage& page) {
        const std::filesystem::path file = queue_.nextPageFile();
        recordPage(layout_, page, file, objects_);
        queue_.add({file, page.size});
      }) {}

PreviewQueue ReportPrinter::finish() {
  writer_.finish();
  return std::move(queue_);
}

}  // namespace pyra::reports
