#include "engine/pdf/page_thumbnail.h"

#include <algorithm>
#include <cmath>

#include "engine/pdf/document_objects.h"

namespace pyra::pdf {

namespace {

int clampSide(double v) { return int(std::clamp(std::lround(v), 1L, long(PageThumbnail::kMaxOtherSide))); }

}  // namespace

PageThumbnail::PageThumbnail(int32_t width_pt, int32_t height_pt, int32_t rotation)
    : page_w_(std::max(width_pt, 1)), page_h_(std::max(height_pt, 1)), rotation_(displayRotation(rotation)) {
  const double ratio = double(page_h_) / page_w_;
  if (rotation_ == 90 || rotation_ == 270) {
    height_ = kLongSide;
    width_ = clampSide(ratio * kLongSide);
  } else {
    width_ = kLongSide;
    height_ = clampSide(ratio * kLongSide);
  }
  rgb_.assign(size_t(width_) * height_ * 3, 0xFF);
}

void PageThumbnail::toPixels(double x, double y, double& px, double& py) const {
  // Displayed coordinates from the top-left corner, in points.
  double dx, dy, dw, dh;
  switch (rotation_) {
    case 90: dx = y; dy = x; dw = page_h_; dh = page_w_; break;
    case 180: dx = page_w_ - x; dy = y; dw = page_w_; dh = page_h_; break;
    case 270: dx = page_h_ - y; dy = page_w_ - x; dw = page_h_; dh = page_w_; break;
    default: dx = x; dy = page_h_ - y; dw = page_w_; dh = page_h_; break;
  }
  px = dx * width_ / dw;
  py = dy * height_ / dh;
}

void PageThumbnail::fillBox(double x0, double y0, double x1, double y1, uint32_t colorref) {
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
  double ax, ay, bx, by;
  toPixels(x0, y0, ax, ay);
  toPixels(x1, y1, bx, by);
  // Round to whole pixels; a box thinner than a pixel still shows as one.
  auto span = [](double a, double b, int limit, int& lo, int& hi) {
    if (a > b) std::swap(a, b);
    lo = int(std::clamp(std::floor(a + 0.5), 0.0, double(limit)));
    hi = int(std::clamp(std::floor(b + 0.5), 0.0, double(limit)));
    if (hi == lo && b >= 0 && a <= limit) {
      if (hi < limit) ++hi;
      else if (lo > 0) --lo;
    }
  };
  int left, right, top, bottom;
  span(ax, bx, width_, left, right);
  span(ay, by, height_, top, bottom);
  const uint8_t r = colorref & 0xFF, g = (colorref >> 8) & 0xFF, b = (colorref >> 16) & 0xFF;
  for (int row = top; row < bottom; ++row) {
    uint8_t* p = rgb_.data() + (size_t(row) * width_ + left) * 3;
    for (int col = left; col < right; ++col, p += 3) {
      p[0] = r;
      p[1] = g;
      p[2] = b;
    }
  }
}

std::string PageThumbnail::entries(bool monochrome) const {
  std::string s = "\n/Width " + std::to_string(width_) + "\n/Height " + std::to_string(height_) + "\n";
  s += monochrome ? "/BitsPerComponent 1/ColorSpace/DeviceGray\n" : "/BitsPerComponent 8\n/ColorSpace/DeviceRGB\n";
  return s;
}

std::vector<uint8_t> PageThumbnail::samples(bool monochrome) const {
  if (!monochrome) return rgb_;
  const size_t row_bytes = (size_t(width_) + 7) / 8;
  std::vector<uint8_t> out(row_bytes * height_, 0);
  for (int row = 0; row < height_; ++row) {
    const uint8_t* p = rgb_.data() + size_t(row) * width_ * 3;
    uint8_t* o = out.data() + size_t(row) * row_bytes;
    for (int col = 0; col < width_; ++col, p += 3)
      if (p[0] == 0xFF && p[1] == 0xFF && p[2] == 0xFF) o[col / 8] |= uint8_t(0x80 >> (col % 8));
  }
  return out;
}

}  // namespace pyra::pdf
