#pragma once
// The small picture of a page that viewers show in their page panel: white,
// with a box wherever the page has a run of text (in the text's colour) or
// an image (light grey). It is a sketch of the layout, not a rendering,
// so drawing costs one rectangle fill per run or image.
#include <cstdint>
#include <string>
#include <vector>

namespace pyra::pdf {

class PageThumbnail {
 public:
  // Pixels on the side that is longer on screen.
  static constexpr int kLongSide = 66;
  // The side that follows the page's proportions stops here: a page far
  // from square would otherwise ask for a huge bitmap.
  static constexpr int kMaxOtherSide = 4 * kLongSide;

  // Page size in points (the media box) and the page's rotation; the
  // sketch is upright as the viewer shows the page, so a quarter turn makes
  // it 66 pixels high instead of wide.
  PageThumbnail(int32_t width_pt, int32_t height_pt, int32_t rotation);

  int width() const { return width_; }
  int height() const { return height_; }

  // Fills the box spanned by two corners given in PDF page space (points,
  // y upward from the bottom of the media box) with a 0x00BBGGRR colour.
  // Coordinates outside the page are clipped; non-finite ones are ignored.
  void fillBox(double x0, double y0, double x1, double y1, uint32_t colorref);

  // The image dictionary entries (in front of /Length) and the samples,
  // rows from the top: 8-bit RGB, or 1 bit per pixel grey where every
  // colour but white turns black.
  std::string entries(bool monochrome) const;
  std::vector<uint8_t> samples(bool monochrome) const;

 private:
  void toPixels(double x, double y, double& px, double& py) const;

  int32_t page_w_, page_h_;
  int rotation_;  // 0, 90, 180 or 270, clockwise as displayed
  int width_ = 0, height_ = 0;
  std::vector<uint8_t> rgb_;
};

}  // namespace pyra::pdf
