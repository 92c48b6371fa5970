#pragma once
// Lays bands out on pages. Body bands go one under the other between the
// page header and footer; a band that does not fit starts a new page. Two
// rules keep a printed group readable: a group header is never the last
// thing on a page (it moves with the first band after it), and a group
// footer never starts a page alone (the group's last detail moves with it).
// To keep those promises the writer holds back the last detail band until it
// knows what follows.
//
// Finished pages go to the sink in page order, each with the bands placed on
// it; the sink records them (see WmfPageRecorder) or, in tests, inspects them.
#include <cstdint>
#include <functional>
#include <vector>

#include "demo/reports/report_layout.h"

namespace pyra::reports {

struct PlacedBand {
  const Band* band = nullptr;  // borrowed from the caller, who keeps it alive
  int32_t top = 0;             // from the page's top edge
  Fields values;
};

struct PlacedPage {
  int32_t number = 0;  // 1-based
  PageSize size;
  Fields page_fields;  // "PAGE"
  std::vector<PlacedBand> bands;  // header first, footer last, body between
};

class BandWriter {
 public:
  using PageSink = std::function<void(const PlacedPage&)>;

  // The layout must outlive the writer. Throws ReportError for margins and
  // page bands that leave no room for a body.
  BandWriter(const ReportLayout& layout, PageSink sink);

  // Bands must outlive the writer (pages refer to them). A band taller than
  // the body of a page is refused with ReportError.
  void groupHeader(const Band& band, Fields values);
  void detail(const Band& band, Fields values);
  void groupFooter(const Band& band, Fields values);

  // Places what is held back and closes the last page; returns the number of
  // pages. A report that printed no body band has no page.
  int32_t finish();

  int32_t pagesFinished() const { return pages_finished_; }

 private:
  struct Held {
    const Band* band;
    Fields values;
    bool detail;
  };
  void check(const Band& band) const;
  void placeTogether();
  void place(Held& held, bool keep_page);
  void openPage();
  void closePage();

  const ReportLayout& layout_;
  PageSink sink_;
  std::vector<Held> held_;
  PlacedPage page_;
  bool page_open_ = false;
  bool page_has_body_ = false;
  int32_t cursor_ = 0;
  int32_t pages_finished_ = 0;
  bool finished_ = false;
};

}  // namespace pyra::reports
