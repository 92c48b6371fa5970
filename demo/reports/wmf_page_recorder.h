#pragma once
// Records a laid-out page through the platform's Windows-metafile DC and
// writes it as a placeable metafile file: one logical unit per thousandth of
// an inch (1000 units per inch in the placeable header), the page's box
// from (0, 0). Sixteen-bit metafile coordinates hold pages up to 32.7
// inches, far beyond any paper the reports use.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <utility>

#include "demo/reports/band_writer.h"
#include "demo/reports/report_layout.h"

namespace pyra::reports {

// Largest page side a Windows metafile's 16-bit coordinates can carry.
constexpr int32_t kMaxPageSide = 32767;

// Fonts, pens and brushes shared by the pages of one report. The platform
// finds a font's file the first time the font is used, which costs far more
// than recording a page; a report keeps its fonts for all its pages. Use
// from one thread at a time; the handles die with the object.
class DrawingObjects {
 public:
  DrawingObjects() = default;
  ~DrawingObjects();
  DrawingObjects(const DrawingObjects&) = delete;
  DrawingObjects& operator=(const DrawingObjects&) = delete;

  uint32_t font(const FontSpec& spec);  // 0 when the platform refuses
  uint32_t pen(int32_t width, uint32_t colour);
  uint32_t brush(uint32_t colour);

 private:
  std::map<std::tuple<std::string, int32_t, bool, bool>, uint32_t> fonts_;
  std::map<std::pair<int32_t, uint32_t>, uint32_t> pens_;
  std::map<uint32_t, uint32_t> brushes_;
};

// Writes `page` to `file`, drawing with `objects`; throws ReportError when the platform refuses to
// record or write it. Values are looked up in the band's own values, then
// the page's, then the layout's report fields; an unknown field prints
// nothing.
void recordPage(const ReportLayout& layout, const PlacedPage& page, const std::filesystem::path& file,
                DrawingObjects& objects);
// The same with objects of its own, for a single page.
void recordPage(const ReportLayout& layout, const PlacedPage& page, const std::filesystem::path& file);

}  // namespace pyra::reports
