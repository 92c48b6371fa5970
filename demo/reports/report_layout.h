#pragma once
// A report's layout as data: a page in thousandths of an inch ("mils"),
// bands of fixed height, and the texts, lines, boxes and pictures each band
// draws. Reports describe themselves with these structures and hand the
// values of each band to the BandWriter; nothing here knows a data file.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "demo/reports/picture.h"

namespace pyra::reports {

// Lengths are in thousandths of an inch throughout.
constexpr int32_t kMilsPerInch = 1000;

struct PageSize {
  int32_t width = 8500;
  int32_t height = 11000;
  friend bool operator==(const PageSize&, const PageSize&) = default;
};
inline constexpr PageSize kLetterPortrait{8500, 11000};

struct Margins {
  int32_t left = 500, top = 500, right = 500, bottom = 500;
};

// Values a band prints, by field name ("ORD:INVOICENUMBER", "PAGE").
using Fields = std::map<std::string, std::string, std::less<>>;

enum class Align { Left, Center, Right };

struct FontSpec {
  std::string face = "Arial";
  int32_t points = 10;
  bool bold = false;
  bool italic = false;
};

// Colours are Windows colour values 0x00BBGGRR.
constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kNoFill = 0xFFFFFFFF;

struct Rect {
  int32_t x = 0, y = 0, w = 0, h = 0;  // relative to the band's top left corner
};

// One thing a band draws. A text shows `text` followed by the value of
// `field` (when named), clipped to `box`; a line runs from the box's top
// left to its bottom right corner; a box is outlined (and filled unless
// fill is kNoFill); a picture is stretched over the box.
struct Element {
  enum class Kind { Text, Line, Box, Picture };
  Kind kind = Kind::Text;
  Rect box;
  std::string text;
  std::string field;
  FontSpec font;
  Align align = Align::Left;
  uint32_t color = kBlack;
  uint32_t fill = kNoFill;
  int32_t pen = 10;  // line width
  std::shared_ptr<const Picture> picture;
};

// Shorthands that keep report layouts readable as tables.
Element text(Rect box, std::string literal, FontSpec font = {}, Align align = Align::Left);
Element field(Rect box, std::string name, FontSpec font = {}, Align align = Align::Left);
Element labelled(Rect box, std::string label, std::string name, FontSpec font = {}, Align align = Align::Left);
Element line(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t pen = 10);
Element frame(Rect box, int32_t pen = 10, uint32_t fill = kNoFill);
Element picture(Rect box, std::shared_ptr<const Picture> picture);

struct Band {
  std::string name;
  int32_t height = 0;
  std::vector<Element> elements;
  // Start a new page before this band unless the page holds no body band yet.
  bool new_page_before = false;
};

// Page header and footer appear on every page; the body bands go between
// them. The values of every band include the report's own fields and the
// page number ("PAGE").
struct ReportLayout {
  std::string title;
  PageSize page = kLetterPortrait;
  Margins margins;
  Band page_header;
  Band page_footer;
  Fields report_fields;

  int32_t bodyTop() const { return margins.top + page_header.height; }
  int32_t bodyBottom() const { return page.height - margins.bottom - page_footer.height; }
};

}  // namespace pyra::reports
