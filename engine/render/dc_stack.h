#pragma once
// The device-context stack of a playing metafile and the single affine map
// from its logical coordinates to PDF points.
//
// The content writer emits T as the page's current transformation and
// writes logical coordinates unchanged, so every mapping change costs one
// "cm" instead of a transform per point. T maps logical units to points
// measured downward from the top of the page (minus the page height); the
// writer folds y into PDF's upward axis.
#include <cstdint>
#include <vector>

#include "engine/render/dc_state.h"
#include "engine/render/device_options.h"
#include "engine/render/gdi_values.h"

namespace pyra::render {

// [a b c d e f] as row vectors: x' = a x + c y + e, y' = b x + d y + f.
struct Matrix6 {
  float a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;
};

class TPxDCStack {
 public:
  // Hostile metafiles save a million times; beyond this depth saves are
  // counted but keep no state (the matching restores only uncount them).
  static constexpr int kMaxDepth = 1024;
  // Window extent some printer drivers write for an A4 page at 0.1 mm; it is
  // read as 0.1 mm units scaled down by ten.
  static constexpr int32_t kSpecialExtentX = 33600;
  static constexpr int32_t kSpecialExtentY = 47504;

  TPxDCStack();

  // The top entry's attributes (a default entry is pushed when empty).
  // Mapping fields must change through the setters below so T is rebuilt.
  TPxDCState& current();

  // Save: returns the new depth, or -1 when the save was only counted.
  int push();
  // Restore: removes up to n entries; a restore with nothing saved does
  // nothing. Returns how many entries really went (counted saves excluded).
  int pop(int n = 1);
  int depth() const { return depth_; }
  void reset();

  void setOptions(TPxDeviceOptions options);
  TPxDeviceOptions options() const { return options_; }

  // Resolution of the page (device units per inch): base matrix 72/x, 72/y.
  void setResolution(int32_t x, int32_t y);
  // Page height in points; T subtracts it so y runs down from the top.
  void setPageHeight(int32_t points);
  int32_t pageHeight() const { return page_height_; }
  void setPageXOffset(int32_t x);
  int32_t pageXOffset() const { return page_x_offset_; }
  // Playback frame kept by the interpreter.
  void setBaseMatrix(const Matrix6& m);
  const Matrix6& baseMatrix() const { return base_; }
  void setZoom(double x, double y);
  double zoomX() const { return zoom_x_; }
  double zoomY() const { return zoom_y_; }
  void setLogicalResolution(int32_t x, int32_t y);
  int32_t logicalResolutionX() const { return res_x_; }
  int32_t logicalResolutionY() const { return res_y_; }
  void setBaseResolution(int32_t x, int32_t y);
  int32_t baseResolutionX() const { return base_res_x_; }
  int32_t baseResolutionY() const { return base_res_y_; }
  // While frozen, T is not recomputed.
  void setFrozen(bool frozen) { frozen_ = frozen; }
  // Form XObject recording moves the y origin instead of shifting by the page.
  void setFormMode(bool on);

  // T, recomputed when the mapping changed.
  const Matrix6& matrix();
  // Logical units to device pixels (T without the page scale).
  const Matrix6& deviceMatrix();
  // Changes whenever anything that feeds T may have changed.
  uint64_t version() const { return version_; }

  Point deviceToLogical(int32_t x, int32_t y);
  Point logicalToPage(int32_t x, int32_t y);
  // [cos, sin, +-sin, cos, 0, 0] for the selected font's escapement.
  const Matrix6& textRotation();
  bool textRotated();

  // Results of the last matrix computation.
  int precisionFactor();
  int32_t yOrigin();
  int32_t yShift();
  double isotropicRatio();
  bool yUp() const { return y_up_; }
  bool negativeD();
  bool yFlipped();
  bool specialExtent();

  // Record-level setters. Each returns or reports the previous value.
  int32_t setMapMode(int32_t mode);
  void setWindowOrg(int32_t x, int32_t y, Point* old = nullptr);
  void setWindowExt(int32_t x, int32_t y, Point* old = nullptr);
  void setViewportOrg(int32_t x, int32_t y, Point* old = nullptr);
  void setViewportExt(int32_t x, int32_t y, Point* old = nullptr);
  void scaleWindowExt(int32_t x_num, int32_t x_denom, int32_t y_num, int32_t y_denom);
  void scaleViewportExt(int32_t x_num, int32_t x_denom, int32_t y_num, int32_t y_denom);
  void setWorldTransform(const XForm& x);
  // 1 identity, 2 given x current, 3 current x given; other modes ignored.
  void modifyWorldTransform(const XForm& x, int32_t mode);
  void setBrushOrg(int32_t x, int32_t y);
  void setPolyFillMode(int32_t mode) { current().winding = mode == 2; }
  void setBkMode(int32_t mode) { current().opaque_bk = mode == 2; }
  void setBkColour(uint32_t c) { current().bk_colour = c; }
  void setTextColour(uint32_t c) { current().text_colour = c; }
  void setRop2(int32_t r) { current().rop2 = r; }
  void setArcDirection(int32_t d) { current().clockwise = d == 2; }
  void setTextAlign(int32_t v);
  int32_t selectPen(const PenValues& pen, int32_t index = 0);
  int32_t selectBrush(const BrushValues& brush, int32_t index = 0);
  int32_t selectFont(const LogFontValues& font, int32_t index = 0);
  int32_t selectPalette(int32_t index);
  // Set when a selected font's escapement differs; the text path clears it.
  bool fontDirty() const { return font_dirty_; }
  void clearFontDirty() { font_dirty_ = false; }

 private:
  // One of the mapping's coordinate pairs (an origin or an extent) of the
  // current state: a change is counted only when the value differs.
  using PairField = int32_t TPxDCState::*;
  void setPair(PairField fx, PairField fy, int32_t x, int32_t y, Point* old);
  void scalePair(PairField fx, PairField fy, int32_t xn, int32_t xd, int32_t yn, int32_t yd);
  void changed();
  void compute();
  void resetScale();

  std::vector<TPxDCStackEntry> entries_;
  int depth_ = 0;
  int counted_saves_ = 0;
  uint64_t version_ = 1;
  TPxDeviceOptions options_ = 0;

  Matrix6 t_, u_, r_;
  double residue_a_ = 0, residue_d_ = 0;
  bool r_valid_ = false;
  bool text_rotated_ = false;
  bool y_up_ = false;
  int32_t res_x_ = 96, res_y_ = 96;
  int32_t base_res_x_ = 96, base_res_y_ = 96;
  bool frozen_ = false;
  Matrix6 base_;
  double zoom_x_ = 1.0, zoom_y_ = 1.0;
  bool y_flipped_ = false, negative_d_ = false, special_extent_ = false;
  int32_t page_x_offset_ = 0, page_height_ = 0;
  double iso_ratio_ = 1.0;
  int precision_factor_ = 1;
  int32_t y_origin_ = 0, y_shift_ = 0;
  bool form_mode_ = false;
  bool font_dirty_ = false;
};

}  // namespace pyra::render
