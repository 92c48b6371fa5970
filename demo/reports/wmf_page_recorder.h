#pragma once
// Records a laid-out page through the platform's Windows-metafile DC and
// writes it as a placeable metafile file: one logical unit per thousandth of
// an inch (1000 units per inch in the placeable header), the page's box
// from (0, 0). Sixteen-bit metafile coordinates hold pages up to 32.7
// inches, far beyond any paper the reports use.
#include <filesystem>

#include "demo/reports/band_writer.h"
#include "demo/reports/report_layout.h"

namespace pyra::reports {

// Largest page side a Windows metafile's 16-bit coordinates can carry.
constexpr int32_t kMaxPageSide = 32767;

// Writes `page` to `file`; throws ReportError when the platform refuses to
// record or write it. Values are looked up in the band's own values, then
// the page's, then the layout's report fields; an unknown field prints
// nothing.
void recordPage(const ReportLayout& layout, const PlacedPage& page, const std::filesystem::path& file);

}  // namespace pyra::reports
