#include "engine/render/dc_stack.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pyra::render {
namespace {

int32_t clampToInt32(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
  if (v <= -2147483648.0) return std::numeric_limits<int32_t>::min();
  return int32_t(v);
}

// Nearest integer, halves to the even neighbour.
int32_t roundEven(double v) { return clampToInt32(std::nearbyint(v)); }

// Anything a reader could not place: non-finite or far past any page.
bool unusable(const Matrix6& m) {
  constexpr float kLimit = 1e9f;
  for (float v : {m.a, m.b, m.c, m.d, m.e, m.f})
    if (!std::isfinite(v) || std::fabs(v) > kLimit) return true;
  return false;
}

XForm multiply(const XForm& p, const XForm& q) {
  XForm r;
  r.m11 = p.m11 * q.m11 + p.m12 * q.m21;
  r.m12 = p.m11 * q.m12 + p.m12 * q.m22;
  r.m21 = p.m21 * q.m11 + p.m22 * q.m21;
  r.m22 = p.m21 * q.m12 + p.m22 * q.m22;
  r.dx = p.dx * q.m11 + p.dy * q.m21 + q.dx;
  r.dy = p.dx * q.m12 + p.dy * q.m22 + q.dy;
  return r;
}

Matrix6 applyWorld(const XForm& w, const Matrix6& t) {
  Matrix6 r;
  r.a = w.m11 * t.a + w.m12 * t.c;
  r.b = w.m11 * t.b + w.m12 * t.d;
  r.c = w.m21 * t.a + w.m22 * t.c;
  r.d = w.m21 * t.b + w.m22 * t.d;
  r.e = w.dx * t.a + w.dy * t.c + t.e;
  r.f = w.dx * t.b + w.dy * t.d + t.f;
  return r;
}

int32_t scaled(int32_t v, int32_t num, int32_t denom) {
  if (denom == 0) return v;  // a zero denominator would trap; keep the extent
  return clampToInt32(double(int64_t(v) * int64_t(num) / int64_t(denom)));
}

}  // namespace

TPxDCStack::TPxDCStack() { reset(); }

TPxDCState& TPxDCStack::current() {
  if (entries_.empty()) entries_.push_back(TPxDCStackEntry{});
  return entries_.back().state;
}

void TPxDCStack::changed() {
  current().changed = true;
  ++version_;
}

int TPxDCStack::push() {
  TPxDCState copy = current();
  if (depth_ >= kMaxDepth) {
    ++counted_saves_;
    return -1;
  }
  ++depth_;
  entries_.push_back(TPxDCStackEntry{copy, depth_});
  return depth_;
}

int TPxDCStack::pop(int n) {
  int popped = 0;
  for (; n > 0; --n) {
    if (counted_saves_ > 0) {
      --counted_saves_;
      continue;
    }
    // The bottom entry holds the unsaved state; it is never a saved level.
    if (entries_.size() <= 1) break;
    entries_.pop_back();
    ++popped;
  }
  depth_ = entries_.empty() ? 0 : entries_.back().depth;
  y_up_ = current().y_up;
  if (current().logical_res_x > 0 && current().logical_res_y > 0) {
    res_x_ = current().logical_res_x;
    res_y_ = current().logical_res_y;
  } else if (current().map_mode == kMmText) {
    res_x_ = base_res_x_;
    res_y_ = base_res_y_;
  }
  resetScale();
  changed();
  return popped;
}

void TPxDCStack::reset() {
  entries_.clear();
  depth_ = 0;
  counted_saves_ = 0;
  res_x_ = res_y_ = 96;
  base_res_x_ = base_res_y_ = 96;
  base_ = Matrix6{};
  zoom_x_ = zoom_y_ = 1.0;
  page_x_offset_ = 0;
  iso_ratio_ = 1.0;
  y_up_ = false;
  y_flipped_ = false;
  negative_d_ = false;
  special_extent_ = false;
  precision_factor_ = (options_ & doForcePrecision) ? 4 : 1;
  y_origin_ = y_shift_ = 0;
  r_valid_ = false;
  font_dirty_ = false;
  changed();
}

void TPxDCStack::setOptions(TPxDeviceOptions options) {
  options_ = options;
  changed();
}

void TPxDCStack::setResolution(int32_t x, int32_t y) {
  if (x <= 0) x = 96;
  if (y <= 0) y = 96;
  res_x_ = base_res_x_ = x;
  res_y_ = base_res_y_ = y;
  base_ = Matrix6{float(72.0 / x), 0, 0, float(72.0 / y), 0, 0};
  changed();
}

void TPxDCStack::setPageHeight(int32_t points) {
  page_height_ = points;
  changed();
}

void TPxDCStack::setPageXOffset(int32_t x) {
  page_x_offset_ = x;
  changed();
}

void TPxDCStack::setBaseMatrix(const Matrix6& m) {
  base_ = m;
  changed();
}

void TPxDCStack::setZoom(double x, double y) {
  zoom_x_ = std::isfinite(x) && x != 0 ? x : 1.0;
  zoom_y_ = std::isfinite(y) && y != 0 ? y : 1.0;
  changed();
}

void TPxDCStack::setLogicalResolution(int32_t x, int32_t y) {
  res_x_ = x > 0 ? x : 96;
  res_y_ = y > 0 ? y : 96;
  changed();
}

void TPxDCStack::setBaseResolution(int32_t x, int32_t y) {
  base_res_x_ = x > 0 ? x : 96;
  base_res_y_ = y > 0 ? y : 96;
}

void TPxDCStack::setFormMode(bool on) {
  form_mode_ = on;
  changed();
}

void TPxDCStack::resetScale() {
  base_.a = float(72.0 / res_x_ * zoom_x_);
  base_.d = float(72.0 / res_y_ * zoom_y_);
}

int32_t TPxDCStack::setMapMode(int32_t mode) {
  TPxDCState& s = current();
  int32_t old = s.map_mode;
  if (mode == old) return old;
  s.map_mode = mode;
  int32_t per_inch = 0;
  switch (mode) {
    case kMmText:
      res_x_ = base_res_x_;
      res_y_ = base_res_y_;
      break;
    case kMmLoMetric: per_inch = 254; break;
    case kMmHiMetric: per_inch = 2540; break;
    case kMmLoEnglish: per_inch = 100; break;
    case kMmHiEnglish: per_inch = 1000; break;
    case kMmTwips: per_inch = 1440; break;
    default: break;
  }
  if (per_inch) res_x_ = res_y_ = per_inch;
  y_up_ = mode >= kMmLoMetric && mode <= kMmTwips;
  s.y_up = y_up_;
  s.logical_res_x = res_x_;
  s.logical_res_y = res_y_;
  resetScale();
  changed();
  return old;
}

void TPxDCStack::setPair(PairField fx, PairField fy, int32_t x, int32_t y, Point* old) {
  TPxDCState& s = current();
  if (old) *old = {s.*fx, s.*fy};
  if (s.*fx == x && s.*fy == y) return;
  s.*fx = x;
  s.*fy = y;
  changed();
}

void TPxDCStack::scalePair(PairField fx, PairField fy, int32_t xn, int32_t xd, int32_t yn, int32_t yd) {
  TPxDCState& s = current();
  s.*fx = scaled(s.*fx, xn, xd);
  s.*fy = scaled(s.*fy, yn, yd);
  changed();
}

void TPxDCStack::setWindowOrg(int32_t x, int32_t y, Point* old) {
  setPair(&TPxDCState::window_org_x, &TPxDCState::window_org_y, x, y, old);
}

void TPxDCStack::setWindowExt(int32_t x, int32_t y, Point* old) {
  setPair(&TPxDCState::window_ext_x, &TPxDCState::window_ext_y, x, y, old);
}

void TPxDCStack::setViewportOrg(int32_t x, int32_t y, Point* old) {
  setPair(&TPxDCState::viewport_org_x, &TPxDCState::viewport_org_y, x, y, old);
}

void TPxDCStack::setViewportExt(int32_t x, int32_t y, Point* old) {
  current().viewport_ext_set = true;
  setPair(&TPxDCState::viewport_ext_x, &TPxDCState::viewport_ext_y, x, y, old);
}

void TPxDCStack::scaleWindowExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd) {
  scalePair(&TPxDCState::window_ext_x, &TPxDCState::window_ext_y, xn, xd, yn, yd);
}

void TPxDCStack::scaleViewportExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd) {
  scalePair(&TPxDCState::viewport_ext_x, &TPxDCState::viewport_ext_y, xn, xd, yn, yd);
}

void TPxDCStack::setWorldTransform(const XForm& x) {
  TPxDCState& s = current();
  s.world = x;
  s.world_set = true;
  changed();
}

void TPxDCStack::modifyWorldTransform(const XForm& x, int32_t mode) {
  TPxDCState& s = current();
  switch (mode) {
    case 1:
      s.world = XForm{};
      s.world_set = false;
      break;
    case 2:
      s.world = multiply(x, s.world);
      s.world_set = true;
      break;
    case 3:
      s.world = multiply(s.world, x);
      s.world_set = true;
      break;
    default:
      return;
  }
  changed();
}

void TPxDCStack::setBrushOrg(int32_t x, int32_t y) {
  current().brush_org_x = x;
  current().brush_org_y = y;
}

void TPxDCStack::setTextAlign(int32_t v) {
  current().text_align = v;
  current().text_align_flags = textAlignFlags(v);
}

int32_t TPxDCStack::selectPen(const PenValues& pen, int32_t index) {
  TPxDCState& s = current();
  int32_t old = s.pen_index;
  s.pen = pen;
  s.pen_index = index;
  return old;
}

int32_t TPxDCStack::selectBrush(const BrushValues& brush, int32_t index) {
  TPxDCState& s = current();
  int32_t old = s.brush_index;
  s.brush = brush;
  s.brush_index = index;
  return old;
}

int32_t TPxDCStack::selectFont(const LogFontValues& font, int32_t index) {
  TPxDCState& s = current();
  int32_t old = s.font_index;
  if (font.escapement != s.font.escapement) {
    s.font_changed = true;
    font_dirty_ = true;
    r_valid_ = false;
  }
  s.font = font;
  s.font_index = index;
  return old;
}

int32_t TPxDCStack::selectPalette(int32_t index) {
  int32_t old = current().palette_index;
  current().palette_index = index;
  return old;
}

const Matrix6& TPxDCStack::matrix() {
  if (current().changed && !frozen_) compute();
  return t_;
}

const Matrix6& TPxDCStack::deviceMatrix() {
  matrix();
  return u_;
}

int TPxDCStack::precisionFactor() { matrix(); return precision_factor_; }
int32_t TPxDCStack::yOrigin() { matrix(); return y_origin_; }
int32_t TPxDCStack::yShift() { matrix(); return y_shift_; }
double TPxDCStack::isotropicRatio() { matrix(); return iso_ratio_; }
bool TPxDCStack::negativeD() { matrix(); return negative_d_; }
bool TPxDCStack::yFlipped() { matrix(); return y_flipped_; }
bool TPxDCStack::specialExtent() { matrix(); return special_extent_; }

void TPxDCStack::compute() {
  TPxDCState& s = current();
  Matrix6 t = base_;
  Matrix6 u;
  iso_ratio_ = 1.0;
  y_flipped_ = negative_d_ = special_extent_ = false;
  const double sx = base_.a, sy = base_.d;
  double a = t.a, d = t.d;
  double ua = 1.0, ud = 1.0;

  if (s.map_mode == kMmIsotropic || s.map_mode == kMmAnisotropic) {
    if (s.window_ext_x == kSpecialExtentX && s.window_ext_y == kSpecialExtentY) {
      s.window_ext_x = kSpecialExtentX / 10;
      s.window_ext_y = roundEven(kSpecialExtentY / 10.0);
      special_extent_ = true;
    }
    const bool small = s.window_ext_x < 30001 && s.window_ext_y < 30001;
    precision_factor_ = ((small || (options_ & doKeepPrecision)) && !(options_ & doForcePrecision)) ? 1 : 4;
    double rx = 1.0, ry = 1.0;
    if (s.window_ext_x != 0 && s.viewport_ext_x != 0) rx = double(s.window_ext_x) / s.viewport_ext_x;
    if (s.window_ext_y != 0 && s.viewport_ext_y != 0) ry = double(s.window_ext_y) / s.viewport_ext_y;
    if (s.map_mode == kMmIsotropic) {
      // Equal magnitudes, but each axis keeps its direction: a flipped
      // viewport must stay flipped.
      double m = std::max(std::fabs(rx), std::fabs(ry));
      rx = std::copysign(m, rx);
      ry = std::copysign(m, ry);
    }
    if (s.map_mode == kMmAnisotropic && rx < ry) iso_ratio_ = rx / ry;
    a /= rx;
    ua = 1.0 / rx;
    d /= ry;
    ud = 1.0 / ry;
  } else {
    precision_factor_ = (options_ & doForcePrecision) ? 4 : 1;
  }
  negative_d_ = d < 0;

  // The viewport origin is in device units. In the metric and English
  // modes the scale above is the map mode's (72 / units per inch), not the
  // device's: an origin of 480 device pixels must not shrink to 480 tenths
  // of a millimetre.
  const double vx = y_up_ ? 72.0 / base_res_x_ * zoom_x_ : sx;
  const double vy = y_up_ ? 72.0 / base_res_y_ * zoom_y_ : sy;
  double e = double(s.viewport_org_x) * vx + t.e - double(s.window_org_x) * a;
  // U maps logical units to device units (region rectangles come in
  // those): the scale of T over the points a device unit takes, y pointing
  // down on the device even where the mode's y points up.
  if (vx != 0 && vy != 0) {
    ua = a / vx;
    ud = y_up_ ? -d / vy : d / vy;
  }
  const double ue = double(s.viewport_org_x) - double(s.window_org_x) * ua;
  const double uf = double(s.viewport_org_y) - double(s.window_org_y) * ud;
  double f;
  if (!y_up_) {
    f = double(s.viewport_org_y) * sy + t.f - double(s.window_org_y) * d;
  } else {
    f = double(s.window_org_y) * d + double(s.viewport_org_y) * vy + t.f;
  }
  t = Matrix6{float(a), 0, 0, float(d), float(e), float(f)};
  u = Matrix6{float(ua), 0, 0, float(ud), float(ue), float(uf)};

  bool shifted = false;
  if (s.world_set) {
    const XForm& w = s.world;
    double e2 = double(w.dx) * t.a + t.e;
    double f2 = double(w.dy) * t.d + t.f;
    t = applyWorld(w, t);
    u = applyWorld(w, u);
    t.e = float(e2);
    if (f2 != 0) {
      t.f = float(f2 - page_height_);
      y_origin_ = 0;
      shifted = true;
    } else {
      t.f = float(f2);
    }
  }
  if (!shifted) {
    if (form_mode_) {
      double dd = std::nearbyint(double(t.d) * 1000.0) / 1000.0;
      y_origin_ = dd != 0 ? roundEven(page_height_ / dd) : 0;
      y_shift_ = 0;
    } else {
      t.f = float(double(t.f) - page_height_);
      y_shift_ = page_height_;
      y_origin_ = 0;
    }
  }

  if (unusable(t) || unusable(u)) {
    // A singular or overflowing world transform, or absurd extents: draw at
    // the plain page scale rather than emit a matrix no reader can use.
    t = Matrix6{base_.a, 0, 0, base_.d, base_.e, float(double(base_.f) - page_height_)};
    u = Matrix6{};
    y_shift_ = page_height_;
    y_origin_ = 0;
  }
  s.changed = false;
  r_valid_ = false;

  if (t.a == 0) t.a = 0.001f;
  if (t.d == 0) t.d = 0.001f;
  // Unlike a fixed number of decimals, float precision keeps metric modes
  // (0.0283 points per unit) accurate across a whole page.
  residue_a_ = residue_d_ = 0;
  y_flipped_ = t.d < 0 && t.a > 0;
  t_ = t;
  u_ = u;
}

Point TPxDCStack::deviceToLogical(int32_t x, int32_t y) {
  const Matrix6& u = deviceMatrix();
  double det = double(u.a) * u.d - double(u.b) * u.c;
  if (det > -1e-12 && det < 1e-12) return {x, y};
  double px = double(x) - u.e, py = double(y) - u.f;
  double lx = (px * u.d - py * u.c) / det;
  double ly = (py * u.a - px * u.b) / det;
  return {roundEven(lx), roundEven(ly)};
}

Point TPxDCStack::logicalToPage(int32_t x, int32_t y) {
  const Matrix6& t = matrix();
  return {roundEven(double(t.a) * x + double(t.c) * y + t.e),
          roundEven(double(t.b) * x + double(t.d) * y + t.f + y_shift_)};
}

const Matrix6& TPxDCStack::textRotation() {
  matrix();
  if (r_valid_) return r_;
  int32_t esc = current().font.escapement;
  if (esc == 0 && !y_flipped_) {
    r_ = Matrix6{};
    text_rotated_ = false;
  } else {
    double angle = esc / 1800.0 * M_PI;
    float ra = float(std::cos(angle)), rb = float(std::sin(angle));
    if (negative_d_ || (y_flipped_ && esc == 2700))
      r_ = Matrix6{ra, rb, rb, ra, 0, 0};
    else
      r_ = Matrix6{ra, rb, -rb, ra, 0, 0};
    text_rotated_ = true;
  }
  r_valid_ = true;
  return r_;
}

bool TPxDCStack::textRotated() {
  textRotation();
  return text_rotated_;
}

}  // namespace pyra::render
