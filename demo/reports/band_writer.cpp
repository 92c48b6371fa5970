#include "demo/reports/band_writer.h"

#include <string>
#include <utility>

#include "demo/reports/report_error.h"

namespace pyra::reports {

BandWriter::BandWriter(const ReportLayout& layout, PageSink sink) : layout_(layout), sink_(std::move(sink)) {
  const Margins& m = layout.margins;
  if (layout.page.width <= 0 || layout.page.height <= 0 || m.left < 0 || m.top < 0 || m.right < 0 ||
      m.bottom < 0 || layout.page_header.height < 0 || layout.page_footer.height < 0 ||
      m.left + m.right >= layout.page.width || layout.bodyBottom() <= layout.bodyTop())
    throw ReportError("report \"" + layout.title + "\": the margins and page bands leave no room for a body");
}

void BandWriter::check(const Band& band) const {
  if (finished_) throw ReportError("report \"" + layout_.title + "\": band \"" + band.name + "\" after finish");
  if (band.height < 0 || band.height > layout_.bodyBottom() - layout_.bodyTop())
    throw ReportError("report \"" + layout_.title + "\": band \"" + band.name + "\" (" +
                      std::to_string(band.height) + " mils) does not fit on a page");
}

void BandWriter::groupHeader(const Band& band, Fields values) {
  check(band);
  // A header ends the previous group's run: the detail held back there no
  // longer waits for a footer.
  if (!held_.empty() && held_.back().detail) placeTogether();
  held_.push_back({&band, std::move(values), false});
}

void BandWriter::detail(const Band& band, Fields values) {
  check(band);
  if (!held_.empty() && held_.back().detail) placeTogether();
  held_.push_back({&band, std::move(values), true});
}

void BandWriter::groupFooter(const Band& band, Fields values) {
  check(band);
  held_.push_back({&band, std::move(values), false});
  placeTogether();
}

int32_t BandWriter::finish() {
  if (finished_) return pages_finished_;
  placeTogether();
  if (page_open_) closePage();
  finished_ = true;
  return pages_finished_;
}

void BandWriter::placeTogether() {
  if (held_.empty()) return;
  int64_t total = 0;
  for (const Held& h : held_) total += h.band->height;
  if (!page_open_) openPage();
  const bool fits = cursor_ + total <= layout_.bodyBottom();
  const bool wants_new_page = held_.front().band->new_page_before;
  if (page_has_body_ && (!fits || wants_new_page)) {
    closePage();
    openPage();
  }
  // A run taller than a whole page still breaks, band by band.
  for (size_t i = 0; i < held_.size(); ++i) place(held_[i], i == 0);
  held_.clear();
}

void BandWriter::place(Held& held, bool first_of_run) {
  if (!page_open_) openPage();
  const bool fits = cursor_ + held.band->height <= layout_.bodyBottom();
  if (page_has_body_ && (!fits || (!first_of_run && held.band->new_page_before))) {
    closePage();
    openPage();
  }
  page_.bands.push_back({held.band, cursor_, std::move(held.values)});
  cursor_ += held.band->height;
  page_has_body_ = true;
}

void BandWriter::openPage() {
  page_ = PlacedPage{};
  page_.number = pages_finished_ + 1;
  page_.size = layout_.page;
  page_.page_fields["PAGE"] = std::to_string(page_.number);
  if (layout_.page_header.height > 0 || !layout_.page_header.elements.empty())
    page_.bands.push_back({&layout_.page_header, layout_.margins.top, {}});
  cursor_ = layout_.bodyTop();
  page_open_ = true;
  page_has_body_ = false;
}

void BandWriter::closePage() {
  if (layout_.page_footer.height > 0 || !layout_.page_footer.elements.empty())
    page_.bands.push_back({&layout_.page_footer, layout_.bodyBottom(), {}});
  page_open_ = false;
  ++pages_finished_;
  sink_(page_);
}

}  // namespace pyra::reports
