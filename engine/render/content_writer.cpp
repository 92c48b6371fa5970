#include "engine/render/content_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "engine/render/number_format.h"

namespace pyra::render {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2 * kPi;

double roundTo(double v, double step) { return std::nearbyint(v / step) * step; }

int64_t roundHalfEven(double v) {
  if (!(v == v)) return 0;
  v = std::clamp(v, -9.0e15, 9.0e15);
  return int64_t(std::nearbyint(v));
}

// Enough decimals that a matrix entry keeps about seven significant digits:
// fixed decimals would turn the scale of a fine metric mapping into zero.
int matrixDecimals(double v, int base) {
  double m = std::fabs(v);
  if (m == 0 || m >= 1) return base;
  int lead = int(std::floor(std::log10(m)));
  return std::clamp(5 - lead, base, kMaxDecimals);
}

}  // namespace

void ContentWriter::Box::add(double x, double y) {
  if (!valid) {
    x0 = x1 = x;
    y0 = y1 = y;
    valid = true;
    return;
  }
  x0 = std::min(x0, x);
  x1 = std::max(x1, x);
  y0 = std::min(y0, y);
  y1 = std::max(y1, y);
}

ContentWriter::ContentWriter(TPxDeviceOptions options) : options_(options) {
  dc_.setOptions(options);
  dc_.setResolution(72, 72);
  ps_.reserve(16);
}

void ContentWriter::setOptions(TPxDeviceOptions options) {
  options_ = options;
  dc_.setOptions(options);
  matrix_dirty_ = true;
}

void ContentWriter::beginPage(int32_t width_points, int32_t height_points, int32_t res_x, int32_t res_y) {
  page_width_ = width_points;
  page_height_ = height_points;
  dc_.setResolution(res_x, res_y);
  dc_.setPageHeight(height_points);
  matrix_dirty_ = true;
}

// ---------------------------------------------------------------- output life

void ContentWriter::pushFresh(bool copy) {
  if (copy && !ps_.empty())
    ps_.push_back(ps_.back());
  else
    ps_.emplace_back();
}

void ContentWriter::startOutput() {
  if (active_) throw std::logic_error("Output is already open!");
  active_ = true;
  buf_.resetBuffer();
  buf_.setDivisor(dc_.precisionFactor());
  mode_ = Mode::omIdle;
  matrix_dirty_ = true;
  pending_paint_ = 0;
  path_start_ = kNoPath;
  ps_.clear();
  counted_states_ = 0;
  pushFresh(false);
  buf_.writeText("q ");
}

std::string_view ContentWriter::endOutput() {
  if (!active_) throw std::logic_error("Output is not open!");
  finishPending();
  if (hasPath()) buf_.writeText("n ");  // a bracket left open: drop it, keep the stream valid
  path_start_ = kNoPath;
  for (size_t i = 0; i < ps_.size(); ++i) buf_.writeText("Q ");
  ps_.clear();
  counted_states_ = 0;
  active_ = false;
  mode_ = Mode::omIdle;
  return buf_.view();
}

void ContentWriter::reset() {
  if (active_) {
    finishPending();
    if (hasPath()) buf_.writeText("n ");
    path_start_ = kNoPath;
    for (size_t i = 0; i < ps_.size(); ++i) buf_.writeText("Q ");
    ps_.clear();
    counted_states_ = 0;
  }
  path_depth_ = 0;
  path_kind_ = 0;
  pending_paint_ = 0;
  exclude_clip_ = false;
  need_move_ = true;
  fig_valid_ = false;
  cur_x_ = cur_y_ = 0;
  int32_t res_x = dc_.logicalResolutionX(), res_y = dc_.logicalResolutionY();
  dc_.reset();
  dc_.setResolution(res_x, res_y);
  dc_.setPageHeight(page_height_);
  mode_ = Mode::omIdle;
  if (active_) {
    pushFresh(false);
    buf_.writeText("q ");
  }
  matrix_dirty_ = true;
}

void ContentWriter::finishPending() {
  if (!active_) return;
  if (mode_ == Mode::omText) {
    closeText();
  } else if (mode_ == Mode::omGraphics) {
    finishPendingPath();
    mode_ = Mode::omIdle;
  }
  matrix_dirty_ = true;
}

void ContentWriter::finishPendingPath() {
  if (!pending_paint_) return;
  const int m = pending_paint_;
  const TPxDCState& s = dc_.current();
  paintNow((m == 1 || m == 3) && s.pen.style != kPsNull, (m == 2 || m == 3) && s.brush.style != kBsNull,
           m == 4);
  pending_paint_ = 0;
}

void ContentWriter::enterText() {
  if (!isOutputOpen()) throw std::logic_error("Output is not open!");
  if (mode_ == Mode::omText) return;
  if (mode_ == Mode::omGraphics) finishPendingPath();
  buf_.writeText("\nBT ");
  mode_ = Mode::omText;
}

void ContentWriter::closeText() {
  if (mode_ != Mode::omText) return;
  buf_.writeText("ET\n");
  mode_ = Mode::omIdle;
  matrix_dirty_ = true;
  psState().text_dirty = true;
}

// ----------------------------------------------------------- save / restore

void ContentWriter::pushState() {
  if (!isOutputOpen()) throw std::logic_error("Output is not open!");
  closeText();
  if (mode_ == Mode::omIdle) mode_ = Mode::omGraphics;
  if (ps_.size() >= kMaxStates) {
    ++counted_states_;
    return;
  }
  size_t mark = buf_.size();
  buf_.writeText("q ");
  hoist(mark);
  pushFresh(true);
}

void ContentWriter::popState() {
  if (!active_) return;
  closeText();
  if (counted_states_ > 0) {
    --counted_states_;
    return;
  }
  // The bottom level belongs to the stream itself and closes at its end.
  if (ps_.size() <= 1) return;
  if (hasPath()) {
    // Q is refused inside a path, and moving it in front would build the
    // path under the outer level's transform: drop the unfinished path.
    buf_.writeText("n ");
    path_start_ = kNoPath;
  }
  buf_.writeText("Q ");
  ps_.pop_back();
  matrix_dirty_ = true;
}

void ContentWriter::saveDC() {
  if (dc_.push() < 0) return;  // counted only: no q either, so restores stay paired
  pushState();
}

void ContentWriter::restoreDC() {
  if (dc_.pop(1) == 0) return;
  popState();
  matrix_dirty_ = true;
}

// ------------------------------------------------------------------ matrix

void ContentWriter::prepareGraphics() {
  if (!isOutputOpen()) throw std::logic_error("Output is not open!");
  closeText();
  if (mode_ == Mode::omIdle) mode_ = Mode::omGraphics;
  finishPendingPath();
  if (path_depth_ == 0 && hasPath()) {
    // A path whose bracket closed but was never painted (an abandoned
    // path): a new shape starts afresh, as a new bracket would.
    buf_.writeText("n ");
    path_start_ = kNoPath;
    path_box_ = Box{};
  }
  emitMatrix();
}

void ContentWriter::writeMatrixValues(const double* v, int decimals) {
  for (int i = 0; i < 6; ++i) {
    if (i) buf_.writeChar(' ');
    buf_.writeNumbers(std::span<const double>(v + i, 1), matrixDecimals(v[i], decimals));
  }
  buf_.writeText(" cm ");
}

void ContentWriter::userToPage(double ux, double uy, double& px, double& py) {
  const float* m = psState().matrix;
  const int div = buf_.divisor() > 0 ? buf_.divisor() : 1;
  ux /= div;
  uy /= div;
  px = double(m[0]) * ux + double(m[2]) * uy + m[4];
  py = double(m[1]) * ux + double(m[3]) * uy + m[5];
}

ContentWriter::PageBounds ContentWriter::userQuadToPage(const double (&ux)[4], const double (&uy)[4]) {
  PageBounds b{INFINITY, INFINITY, -INFINITY, -INFINITY};
  for (int i = 0; i < 4; ++i) {
    double px, py;
    userToPage(ux[i], uy[i], px, py);
    b.x0 = std::min(b.x0, px), b.x1 = std::max(b.x1, px), b.y0 = std::min(b.y0, py), b.y1 = std::max(b.y1, py);
  }
  return b;
}

void ContentWriter::emitMatrix() {
  if (!matrix_dirty_ && dc_.version() == seen_version_) return;
  finishPendingPath();
  // "cm" inside a path is refused by readers, and moving it in front would
  // transform the points already built: keep the old matrix until the path
  // is painted.
  if (hasPath()) return;
  const Matrix6& t = dc_.matrix();
  seen_version_ = dc_.version();
  const int div = (t.b == 0 && t.c == 0 && !dc_.textRotated()) ? dc_.precisionFactor() : 1;
  buf_.setDivisor(div);
  float m[6] = {float(div * double(t.a)), -t.b, -t.c, float(div * double(t.d)),
                float(roundTo(double(dc_.pageXOffset()) + t.e, 0.001)), float(roundTo(-double(t.f), 0.0001))};
  TPxPSState& st = psState();
  matrix_dirty_ = false;
  need_move_ = true;
  if (std::memcmp(m, st.matrix, sizeof m) == 0) return;
  const float* s = st.matrix;
  const double det = double(s[0]) * s[3] - double(s[1]) * s[2];
  if (m[0] == s[0] && m[1] == s[1] && m[2] == s[2] && m[3] == s[3] && s[1] == 0 && s[2] == 0) {
    buf_.writeText("1 0 0 1 ");
    buf_.writeFloat((double(m[4]) - s[4]) / s[0], 4);
    buf_.writeFloat((double(m[5]) - s[5]) / s[3], 4);
    buf_.writeText("cm ");
  } else if ((options_ & doResetMatrix) || (det > -1e-12 && det < 1e-12)) {
    const size_t n = ps_.size();
    for (size_t i = 0; i < n; ++i) buf_.writeText("Q ");
    ps_.clear();
    for (size_t i = 0; i < n; ++i) {
      pushFresh(i != 0);
      buf_.writeText("q ");
    }
    const double v[6] = {m[0], m[1], m[2], m[3], m[4], m[5]};
    writeMatrixValues(v, 3);
  } else {
    const double ia = s[3] / det, ib = -s[1] / det, ic = -s[2] / det, id = s[0] / det;
    const double inv[6] = {ia, ib, ic, id, -s[4] * ia - s[5] * ic, -s[4] * ib - s[5] * id};
    if (!(inv[0] == 1 && inv[1] == 0 && inv[2] == 0 && inv[3] == 1 && inv[4] == 0 && inv[5] == 0))
      writeMatrixValues(inv, 9);
    const double v[6] = {m[0], m[1], m[2], m[3], m[4], m[5]};
    writeMatrixValues(v, 6);
  }
  std::memcpy(psState().matrix, m, sizeof m);
}

// ------------------------------------------------------------ coordinates

int64_t ContentWriter::foldY(int64_t y) const {
  const int64_t origin = const_cast<TPxDCStack&>(dc_).yOrigin();
  return dc_.yUp() ? y + origin : origin - y;
}

double ContentWriter::foldY(double y) const {
  const double origin = const_cast<TPxDCStack&>(dc_).yOrigin();
  return dc_.yUp() ? y + origin : origin - y;
}

int64_t ContentWriter::unfoldY(int64_t y) const {
  const int64_t origin = const_cast<TPxDCStack&>(dc_).yOrigin();
  return dc_.yUp() ? y - origin : origin - y;
}

void ContentWriter::writePoint(int64_t x, int64_t y, const char* op) {
  markPath();
  path_box_.add(double(x), double(y));
  buf_.writeCoord(x);
  buf_.writeCoord(y);
  buf_.writeText(op);
}

void ContentWriter::writePointF(double x, double y, const char* op) {
  markPath();
  path_box_.add(x, y);
  buf_.writeCoordF(x);
  buf_.writeCoordF(y);
  buf_.writeText(op);
}

void ContentWriter::hoist(size_t mark) {
  if (hasPath() && path_start_ < mark && mark < buf_.size()) {
    const size_t n = buf_.size() - mark;
    buf_.moveTailTo(path_start_, mark);
    path_start_ += n;
  }
}

// ------------------------------------------------------------------ paint

void ContentWriter::adjustPaint(bool& stroke, bool& fill) const {
  const TPxDCState& s = const_cast<TPxDCStack&>(dc_).current();
  if (fill && (options_ & doFillAsOutline)) {
    stroke = true;
    fill = false;
  }
  if (fill && (options_ & doSkipWhiteFill) && resolveColour(s.brush.colour) == 0xFFFFFF) fill = false;
  if (s.brush.style == kBsNull) fill = false;
  if (s.pen.style == kPsNull) stroke = false;
}

double ContentWriter::pointScale() {
  const Matrix6& t = dc_.matrix();
  double m = std::min(std::max(std::fabs(double(t.a)), std::fabs(double(t.b))),
                      std::max(std::fabs(double(t.d)), std::fabs(double(t.c))));
  double s = m > 0 ? 1.0 / m : 1.0;
  return std::isfinite(s) ? std::min(s, 1e9) : 1.0;
}

void ContentWriter::userDashRule(const PenValues& pen) {
  TPxPSState& p = psState();
  // Geometric pens measure their dashes in logical units, cosmetic ones in
  // device pixels (a 96-dpi pixel here, as for the stock styles).
  const double unit = pen.cosmetic ? 0.75 * pointScale() : 1.0;
  std::vector<double> v;
  double total = 0;
  for (uint32_t d : pen.dashes) {
    v.push_back(std::min(double(d), 1e6) * unit);
    total += v.back();
  }
  // An array of zeros is no pattern at all to a reader: draw solid.
  if (!(total > 0)) v.clear();
  if (p.last_dash == kPsUserStyle && v == p.last_user_dash) return;
  const size_t mark = buf_.size();
  buf_.writeChar('[');
  if (!v.empty()) buf_.writeNumbers(v);
  buf_.writeText("] 0 d ");
  hoist(mark);
  p.last_dash = kPsUserStyle;
  p.last_user_dash = std::move(v);
}

void ContentWriter::dashRule() {
  TPxPSState& p = psState();
  const PenValues& pen = dc_.current().pen;
  if (pen.style == kPsNull) return;
  if (pen.style == kPsUserStyle && !pen.dashes.empty()) {
    userDashRule(pen);
    return;
  }
  const uint8_t style = pen.style == kPsUserStyle ? kPsDot : pen.style;
  const bool solid = style == kPsSolid || style == kPsInsideFrame;
  if (solid && (p.last_dash == kPsSolid || p.last_dash == kPsInsideFrame)) return;
  const double s = pointScale();
  double w = pen.cosmetic ? 0.0 : pen.width == 0 ? 0.0 : pen.width == 1 ? 0.5 : double(pen.width);
  if (w < 1) w = s;
  // One pixel of a 96-dpi device, in logical units: dashes keep their look
  // whatever the mapping and wherever the window origin lies.
  const double u = 0.75 * s;
  if (style == p.last_dash && (solid || (w == p.last_dash_w && u == p.last_dash_u))) return;
  const size_t mark = buf_.size();
  buf_.writeChar('[');
  switch (style) {
    case kPsDash: {
      const double v[] = {10 * u, 10 * u + w / 2};
      buf_.writeNumbers(v);
      break;
    }
    case kPsDot: {
      const double v[] = {w / 2, 2 * w};
      buf_.writeNumbers(v);
      break;
    }
    case kPsDashDot: {
      const double v[] = {10 * u, 4 * u + w / 2, u, 4 * u + w / 2};
      buf_.writeNumbers(v);
      break;
    }
    case kPsDashDotDot: {
      const double v[] = {7 * u, 10 * u + w / 2, 1, 10 * u + w / 2, 1, 10 * u + w / 2};
      buf_.writeNumbers(v);
      break;
    }
    default:
      break;
  }
  buf_.writeText("] 0 d ");
  hoist(mark);
  p.last_dash = style;
  p.last_dash_w = w;
  p.last_dash_u = u;
}

void ContentWriter::setupPaint(bool stroke, bool fill) {
  TPxPSState& p = psState();
  const TPxDCState& d = dc_.current();
  const size_t mark = buf_.size();
  const bool hatched = d.brush.style == kBsHatched;
  if ((fill && !hatched) || p.brush_dirty) {
    const uint32_t c = resolveColour(d.brush.colour);
    if (p.brush_dirty || p.last_fill != c) {
      buf_.writeColor(c, false);
      p.last_fill = c;
    }
    p.brush_dirty = false;
  }
  if (stroke || p.pen_dirty) {
    const PenValues& pen = d.pen;
    const uint32_t c = resolveColour(pen.colour);
    if (p.pen_dirty || p.last_stroke != c) {
      buf_.writeColor(c, true);
      p.last_stroke = c;
    }
    const double w = pen.cosmetic ? 0.0 : pen.width == 0 ? 0.0 : pen.width == 1 ? 0.5 : double(pen.width);
    if (p.pen_dirty || w != p.last_width || buf_.divisor() != p.last_width_divisor) {
      buf_.writeCoordF(w);
      buf_.writeText("w ");
      p.last_width = w;
      p.last_width_divisor = buf_.divisor();
    }
    hoist(mark);
    dashRule();
    const size_t mark2 = buf_.size();
    if (p.pen_dirty || pen.cap != p.last_cap) {
      buf_.writeInt(pen.cap);
      buf_.writeText("J ");
      p.last_cap = pen.cap;
    }
    if (p.pen_dirty || pen.join != p.last_join) {
      buf_.writeInt(pen.join);
      buf_.writeText("j ");
      p.last_join = pen.join;
    }
    p.pen_dirty = false;
    hoist(mark2);
    return;
  }
  hoist(mark);
}

void ContentWriter::shapeStart(bool stroke, bool fill) {
  prepareGraphics();
  if (path_depth_ == 0) {
    adjustPaint(stroke, fill);
    setupPaint(stroke, fill);
  }
}

void ContentWriter::paint(bool stroke, bool fill, bool clip) {
  if (path_depth_ > 0) return;  // the bracket's paint record paints it
  adjustPaint(stroke, fill);
  paintNow(stroke, fill, clip);
}

bool ContentWriter::pageBox(Box& out) const {
  // The page in the current user space: the inverse of the matrix in force
  // applied to the page's corners.
  const float* m = ps_.back().matrix;
  const double det = double(m[0]) * m[3] - double(m[1]) * m[2];
  if (!(det > 1e-12 || det < -1e-12)) return false;
  Box b;
  const double w = page_width_ > 0 ? page_width_ : 14400, h = page_height_ > 0 ? page_height_ : 14400;
  for (double px : {0.0, w})
    for (double py : {0.0, h}) {
      const double qx = px - m[4], qy = py - m[5];
      b.add((qx * m[3] - qy * m[2]) / det, (qy * m[0] - qx * m[1]) / det);
    }
  if (!std::isfinite(b.x0) || !std::isfinite(b.x1) || !std::isfinite(b.y0) || !std::isfinite(b.y1)) return false;
  out = b;
  return true;
}

void ContentWriter::writePageCover() {
  double x0 = -10000, y0 = -10000, x1 = 10000, y1 = 10000;
  Box b;
  if (pageBox(b)) {
    const double pad_x = (b.x1 - b.x0) * 0.01 + 1, pad_y = (b.y1 - b.y0) * 0.01 + 1;
    x0 = b.x0 - pad_x;
    y0 = b.y0 - pad_y;
    x1 = b.x1 + pad_x;
    y1 = b.y1 + pad_y;
  }
  buf_.writeFloat(x0);
  buf_.writeFloat(y0);
  buf_.writeFloat(x1 - x0);
  buf_.writeFloat(y1 - y0);
  buf_.writeText("re ");
}

void ContentWriter::paintNow(bool stroke, bool fill, bool clip) {
  pending_paint_ = 0;
  need_move_ = true;
  if (!hasPath()) return;  // nothing was built: a paint operator alone is an error
  const TPxDCState& d = dc_.current();
  if (clip) {
    if (exclude_clip_) {
      // Even-odd over the path plus a rectangle covering the page leaves
      // exactly the outside of the path, whatever its orientation.
      writePageCover();
      buf_.writeText("W* n ");
    } else {
      buf_.writeText(d.winding ? "W n " : "W* n ");
    }
  } else if (fill && d.brush.style == kBsHatched) {
    const size_t from = path_start_, to = buf_.size();
    writeHatch(from, to, stroke);
    if (stroke) buf_.writeText("S ");
  } else if (stroke && fill) {
    buf_.writeText(d.winding ? "b " : "b* ");
  } else if (stroke) {
    buf_.writeText("S ");
  } else if (fill) {
    buf_.writeText(d.winding ? "f " : "f* ");
  } else {
    buf_.writeText("n ");
  }
  path_start_ = kNoPath;
  path_box_ = Box{};
}

void ContentWriter::writeHatch(size_t from, size_t to, bool then_stroke) {
  const TPxDCState& d = dc_.current();
  // q in front of the path, so the clip and the hatch attributes end with Q.
  buf_.writeText("q ");
  buf_.moveTailTo(from, to);
  from += 2;
  to += 2;
  buf_.writeText(d.winding ? "W n " : "W* n ");
  Box b = path_box_;
  Box page;
  if (b.valid && pageBox(page)) {
    // Lines off the page are never seen: hatch only where shape and page
    // meet, so a huge shape costs no more than a page-sized one.
    const double div = buf_.divisor() > 1 ? buf_.divisor() : 1;
    b.x0 = std::max(b.x0, page.x0 * div - 1);
    b.y0 = std::max(b.y0, page.y0 * div - 1);
    b.x1 = std::min(b.x1, page.x1 * div + 1);
    b.y1 = std::min(b.y1, page.y1 * div + 1);
    if (b.x0 > b.x1 || b.y0 > b.y1) b.valid = false;
  }
  if (b.valid) {
    const double s = pointScale();
    if (d.opaque_bk) {
      buf_.writeColor(resolveColour(d.bk_colour), false);
      buf_.writeCoordF(b.x0);
      buf_.writeCoordF(b.y0);
      buf_.writeCoordF(b.x1 - b.x0);
      buf_.writeCoordF(b.y1 - b.y0);
      buf_.writeText("re f ");
    }
    buf_.writeColor(resolveColour(d.brush.colour), true);
    buf_.writeCoordF(0.75 * s);
    buf_.writeText("w 0 J [] 0 d ");
    // Lines 8 pixels of a 96-dpi device apart; a huge shape gets fewer,
    // wider-spaced lines rather than a stream of millions.
    const double w = b.x1 - b.x0, h = b.y1 - b.y0;
    double step = 6.0 * s;
    constexpr double kMaxLines = 2000;
    step = std::max({step, w / kMaxLines, h / kMaxLines, (w + h) / kMaxLines});
    if (!(step > 0) || !std::isfinite(step)) step = 1;
    const int hs = d.brush.hatch;
    const bool horiz = hs == kHsHorizontal || hs == kHsCross;
    const bool vert = hs == kHsVertical || hs == kHsCross;
    const bool fdiag = hs == kHsFDiagonal || hs == kHsDiagCross;
    const bool bdiag = hs == kHsBDiagonal || hs == kHsDiagCross;
    if (horiz)
      for (double y = std::floor(b.y0 / step) * step; y <= b.y1; y += step) {
        buf_.writeCoordF(b.x0);
        buf_.writeCoordF(y);
        buf_.writeText("m ");
        buf_.writeCoordF(b.x1);
        buf_.writeCoordF(y);
        buf_.writeText("l ");
      }
    if (vert)
      for (double x = std::floor(b.x0 / step) * step; x <= b.x1; x += step) {
        buf_.writeCoordF(x);
        buf_.writeCoordF(b.y0);
        buf_.writeText("m ");
        buf_.writeCoordF(x);
        buf_.writeCoordF(b.y1);
        buf_.writeText("l ");
      }
    // Diagonals: "/" is y = x + k, "\" is y = -x + k in the upward y space.
    const double dstep = step * 1.41421356;
    if (bdiag)
      for (double k = std::floor((b.y0 - b.x1) / dstep) * dstep; k <= b.y1 - b.x0; k += dstep) {
        buf_.writeCoordF(b.x0);
        buf_.writeCoordF(b.x0 + k);
        buf_.writeText("m ");
        buf_.writeCoordF(b.x1);
        buf_.writeCoordF(b.x1 + k);
        buf_.writeText("l ");
      }
    if (fdiag)
      for (double k = std::floor((b.y0 + b.x0) / dstep) * dstep; k <= b.y1 + b.x1; k += dstep) {
        buf_.writeCoordF(b.x0);
        buf_.writeCoordF(k - b.x0);
        buf_.writeText("m ");
        buf_.writeCoordF(b.x1);
        buf_.writeCoordF(k - b.x1);
        buf_.writeText("l ");
      }
    if (horiz || vert || fdiag || bdiag) buf_.writeText("S ");
  }
  buf_.writeText("Q ");
  // The caller strokes the outline: it needs the path once more.
  if (then_stroke) buf_.appendCopy(from, to);
}

// ------------------------------------------------------------- segments

void ContentWriter::moveToCurrent() {
  if (need_move_) {
    writePoint(cur_x_, foldY(int64_t(cur_y_)), "m ");
    need_move_ = false;
  }
}

void ContentWriter::moveTo(int32_t x, int32_t y, Point* old) {
  if (old) *old = {cur_x_, cur_y_};
  cur_x_ = fig_x_ = x;
  cur_y_ = fig_y_ = y;
  fig_valid_ = true;
  need_move_ = true;
}

void ContentWriter::lineTo(int32_t x, int32_t y) {
  shapeStart(true, false);
  if (path_depth_ > 0) dashRule();
  moveToCurrent();
  writePoint(x, foldY(int64_t(y)), "l ");
  cur_x_ = x;
  cur_y_ = y;
  paint(true, false);
}

void ContentWriter::setPixel(int32_t x, int32_t y, uint32_t colour) {
  // A pixel has the record's own colour and does not depend on the pen
  // (a null pen included): one device pixel, filled. A stroked point in
  // the pen's colour left pixel rows and bitmaps drawn pixel by pixel
  // invisible or in the wrong colour.
  prepareGraphics();
  const double device_pt = 72.0 / std::max(1, dc_.baseResolutionX()) * dc_.zoomX();
  const double side = device_pt * pointScale();
  fillRectColorF(colour, x, y, side, side);
}

void ContentWriter::polyline(std::span<const Point> pts, bool to, bool prepare, bool do_paint) {
  if (pts.empty() || (!to && pts.size() < 2)) return;  // a lone point draws nothing
  if (prepare) shapeStart(true, false);
  if (to) {
    if (path_depth_ > 0) dashRule();
    moveToCurrent();
    for (const Point& p : pts) writePoint(p.x, foldY(int64_t(p.y)), "l ");
    cur_x_ = pts.back().x;
    cur_y_ = pts.back().y;
  } else {
    writePoint(pts[0].x, foldY(int64_t(pts[0].y)), "m ");
    for (size_t i = 1; i < pts.size(); ++i) writePoint(pts[i].x, foldY(int64_t(pts[i].y)), "l ");
  }
  need_move_ = !to;
  if (do_paint) paint(true, false);
}

void ContentWriter::polyPolyline(std::span<const Point> pts, std::span<const uint32_t> counts) {
  shapeStart(true, false);
  size_t at = 0;
  for (uint32_t n : counts) {
    if (n > pts.size() - at) break;  // counts claiming more points than present
    if (n >= 2) polyline(pts.subspan(at, n), false, false, false);
    at += n;
  }
  need_move_ = true;
  paint(true, false);
}

void ContentWriter::polygon(std::span<const Point> pts) {
  if (pts.size() < 2) return;
  shapeStart(true, true);
  writePoint(pts[0].x, foldY(int64_t(pts[0].y)), "m ");
  for (size_t i = 1; i < pts.size(); ++i) writePoint(pts[i].x, foldY(int64_t(pts[i].y)), "l ");
  if (path_depth_ > 0)
    writePoint(pts[0].x, foldY(int64_t(pts[0].y)), "l ");
  else
    buf_.writeText(" h ");
  need_move_ = true;
  paint(true, true);
}

void ContentWriter::polyPolygon(std::span<const Point> pts, std::span<const uint32_t> counts) {
  shapeStart(true, true);
  size_t at = 0;
  for (uint32_t n : counts) {
    if (n > pts.size() - at) break;
    if (n >= 2) {
      writePoint(pts[at].x, foldY(int64_t(pts[at].y)), "m ");
      for (size_t i = at + 1; i < at + n; ++i) writePoint(pts[i].x, foldY(int64_t(pts[i].y)), "l ");
      buf_.writeText("h ");
    }
    at += n;
  }
  need_move_ = true;
  paint(true, true);
}

void ContentWriter::polyBezier(std::span<const Point> pts, bool to) {
  if ((!to && pts.size() < 4) || (to && pts.size() < 3)) return;
  shapeStart(true, false);
  size_t i = 0;
  if (!to) {
    writePoint(pts[0].x, foldY(int64_t(pts[0].y)), "m ");
    i = 1;
  } else {
    if (path_depth_ > 0) dashRule();
    moveToCurrent();
  }
  for (; i + 3 <= pts.size(); i += 3) {
    markPath();
    for (size_t k = 0; k < 3; ++k) {
      const int64_t fy = foldY(int64_t(pts[i + k].y));
      path_box_.add(double(pts[i + k].x), double(fy));
      buf_.writeCoord(pts[i + k].x);
      buf_.writeCoord(fy);
    }
    buf_.writeText("c ");
    if (to) {
      cur_x_ = pts[i + 2].x;
      cur_y_ = pts[i + 2].y;
    }
  }
  paint(true, false);
}

void ContentWriter::rectangle(int32_t l, int32_t t, int32_t r, int32_t b) {
  shapeStart(true, true);
  const int64_t ft = foldY(int64_t(t));
  const int64_t h = dc_.yUp() ? int64_t(b) - t : int64_t(t) - b;
  markPath();
  path_box_.add(double(l), double(ft));
  path_box_.add(double(r), double(ft + h));
  buf_.writeCoord(l);
  buf_.writeCoord(ft);
  buf_.writeCoord(int64_t(r) - l);
  buf_.writeCoord(h);
  buf_.writeText("re ");
  paint(true, true);
}

void ContentWriter::roundRect(int32_t l, int32_t t, int32_t r, int32_t b, int32_t cw, int32_t ch) {
  shapeStart(true, true);
  int64_t L = std::min(l, r), R = std::max(l, r);
  int64_t T = foldY(int64_t(t)), B = foldY(int64_t(b));
  if (T < B) std::swap(T, B);
  // Corners larger than the rectangle would fold the outline over itself.
  int64_t qx = std::min<int64_t>(std::abs(int64_t(cw)), R - L) / 4;
  int64_t qy = std::min<int64_t>(std::abs(int64_t(ch)), T - B) / 4;
  writePoint(L + 2 * qx, T, "m ");
  writePoint(R - 2 * qx, T, "l ");
  auto curve = [&](int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t x3, int64_t y3) {
    path_box_.add(double(x3), double(y3));
    buf_.writeCoord(x1);
    buf_.writeCoord(y1);
    buf_.writeCoord(x2);
    buf_.writeCoord(y2);
    buf_.writeCoord(x3);
    buf_.writeCoord(y3);
    buf_.writeText("c ");
  };
  curve(R - qx, T, R, T - qy, R, T - 2 * qy);
  writePoint(R, B + 2 * qy, "l ");
  curve(R, B + qy, R - qx, B, R - 2 * qx, B);
  writePoint(L + 2 * qx, B, "l ");
  curve(L + qx, B, L, B + qy, L, B + 2 * qy);
  writePoint(L, T - 2 * qy, "l ");
  curve(L, T - qy, L + qx, T, L + 2 * qx, T);
  need_move_ = true;
  paint(true, true);
}

void ContentWriter::writeArcPoints(bool first_with_l) {
  const std::vector<double>& p = arcs_.points();
  writePoint(roundHalfEven(p[0]), roundHalfEven(p[1]), first_with_l ? "l " : "m ");
  for (size_t i = 2; i + 6 <= p.size(); i += 6) {
    for (size_t k = 0; k < 6; k += 2) {
      const int64_t x = roundHalfEven(p[i + k]), y = roundHalfEven(p[i + k + 1]);
      path_box_.add(double(x), double(y));
      buf_.writeCoord(x);
      buf_.writeCoord(y);
    }
    buf_.writeText("c ");
  }
}

void ContentWriter::ellipse(int32_t l, int32_t t, int32_t r, int32_t b, bool fill) {
  shapeStart(true, fill);
  const double cx = (double(l) + r) / 2, cy = (double(t) + b) / 2;
  double rx = (std::fabs(double(l) - r) - 1) / 2, ry = (std::fabs(double(t) - b) - 1) / 2;
  if (rx <= 0) rx = 0.001;
  if (ry <= 0) ry = 0.001;
  arcs_.clear();
  arcs_.addArc(0, double(float(kTwoPi)), kPi / 2, 0.0001, cx, foldY(cy), rx, ry);
  if (arcs_.segments() == 0) return;
  const std::vector<double>& p = arcs_.points();
  writePointF(p[0], p[1], "m ");
  for (size_t i = 2; i + 6 <= p.size(); i += 6) {
    for (size_t k = 0; k < 6; k += 2) {
      path_box_.add(p[i + k], p[i + k + 1]);
      buf_.writeCoordF(p[i + k]);
      buf_.writeCoordF(p[i + k + 1]);
    }
    buf_.writeText("c ");
  }
  buf_.writeText("h ");
  need_move_ = true;
  paint(true, fill);
}

bool ContentWriter::arcPoints(int32_t l, int32_t t, int32_t r, int32_t b, int32_t xs, int32_t ys,
                              int32_t xe, int32_t ye, double& cx, double& cy) {
  cx = (double(l) + r) / 2;
  cy = (double(t) + b) / 2;
  double rx = (std::fabs(double(l) - r) - 1) / 2, ry = (std::fabs(double(t) - b) - 1) / 2;
  if (rx <= 0) rx = 0.00001;
  if (ry <= 0) ry = 0.00001;
  // Angles are measured in the upward y space the points are written in.
  const double ysign = dc_.yUp() ? 1.0 : -1.0;
  const double start = std::atan2(ysign * (ys - cy) * rx, (xs - cx) * ry);
  const double end = std::atan2(ysign * (ye - cy) * rx, (xe - cx) * ry);
  double sweep = end - start;
  if (sweep <= 0) sweep += kTwoPi;
  if (sweep > kTwoPi) sweep = kTwoPi;
  const double step = sweep < kPi / 2 ? kPi / 2 : std::max(sweep / 3, kPi / 10);
  arcs_.clear();
  arcs_.addArc(start, sweep, step, 0, cx, foldY(cy), rx, ry);
  return arcs_.segments() > 0;
}

void ContentWriter::arc(int32_t l, int32_t t, int32_t r, int32_t b, int32_t xs, int32_t ys, int32_t xe,
                        int32_t ye, bool to) {
  shapeStart(true, false);
  double cx, cy;
  if (!arcPoints(l, t, r, b, xs, ys, xe, ye, cx, cy)) return;
  if (to) {
    // ArcTo draws a line from the current position to the arc's start.
    moveToCurrent();
    writeArcPoints(true);
  } else {
    writeArcPoints(false);
  }
  if (to) {
    const std::vector<double>& p = arcs_.points();
    cur_x_ = int32_t(std::clamp<int64_t>(roundHalfEven(p[p.size() - 2]), INT32_MIN, INT32_MAX));
    cur_y_ = int32_t(std::clamp<int64_t>(unfoldY(roundHalfEven(p.back())), INT32_MIN, INT32_MAX));
  }
  need_move_ = true;
  paint(true, false);
}

// The common start of the closed arc shapes (chord, pie): the arc's
// points, and outside a path bracket the paint attributes of a filled and
// stroked shape. False when the arc is degenerate and nothing is drawn.
bool ContentWriter::closedArcStart(int32_t l, int32_t t, int32_t r, int32_t b, int32_t xs, int32_t ys, int32_t xe,
                                   int32_t ye) {
  prepareGraphics();
  double cx, cy;
  if (!arcPoints(l, t, r, b, xs, ys, xe, ye, cx, cy)) return false;
  if (path_depth_ == 0) {
    bool stroke = true, fill = true;
    adjustPaint(stroke, fill);
    setupPaint(stroke, fill);
  }
  return true;
}

void ContentWriter::chord(int32_t l, int32_t t, int32_t r, int32_t b, int32_t xs, int32_t ys, int32_t xe,
                          int32_t ye) {
  if (!closedArcStart(l, t, r, b, xs, ys, xe, ye)) return;
  writeArcPoints(false);
  buf_.writeText("h ");
  need_move_ = true;
  paint(true, true);
}

void ContentWriter::pie(int32_t l, int32_t t, int32_t r, int32_t b, int32_t xs, int32_t ys, int32_t xe,
                        int32_t ye) {
  if (!closedArcStart(l, t, r, b, xs, ys, xe, ye)) return;
  const int64_t px = (int64_t(l) + r) / 2, py = foldY((int64_t(t) + b) / 2);
  writePoint(px, py, "m ");
  writeArcPoints(true);
  writePoint(px, py, "l ");
  need_move_ = true;
  paint(true, true);
}

void ContentWriter::angleArc(int32_t x, int32_t y, uint32_t radius, float start_deg, float sweep_deg) {
  prepareGraphics();
  if (!std::isfinite(start_deg) || !std::isfinite(sweep_deg)) return;
  const double start = std::fmod(double(start_deg), 360.0) / 360.0 * kTwoPi;
  // A sweep past a full turn retraces the circle; one turn looks the same
  // and keeps the segment count bounded.
  const double sweep = std::clamp(double(sweep_deg), -360.0, 360.0) / 360.0 * kTwoPi;
  double r = double(radius);
  if (r <= 0) r = 0.001;
  arcs_.clear();
  arcs_.addArc(start, sweep, kPi / 2, 0.0001, double(x), foldY(double(y)), r, r);
  if (arcs_.segments() == 0) return;
  if (path_depth_ == 0) {
    bool stroke = true, fill = false;
    adjustPaint(stroke, fill);
    setupPaint(stroke, fill);
  }
  moveToCurrent();
  writeArcPoints(true);
  const std::vector<double>& p = arcs_.points();
  cur_x_ = int32_t(std::clamp<int64_t>(roundHalfEven(p[p.size() - 2]), INT32_MIN, INT32_MAX));
  cur_y_ = int32_t(std::clamp<int64_t>(unfoldY(roundHalfEven(p.back())), INT32_MIN, INT32_MAX));
  need_move_ = true;
  paint(true, false);
}

void ContentWriter::fillRectColor(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour) {
  if (resolveColour(colour) == 0xFFFFFF && (options_ & doSkipWhiteFill)) return;
  prepareGraphics();
  const size_t mark = buf_.size();
  buf_.writeText("q ");
  buf_.writeColor(resolveColour(colour), false);
  buf_.writeCoord(x);
  buf_.writeCoord(foldY(int64_t(y)));
  buf_.writeCoord(w);
  buf_.writeCoord(dc_.yUp() ? int64_t(h) : -int64_t(h));
  buf_.writeText("re f Q ");
  hoist(mark);
}

void ContentWriter::fillRectColorF(uint32_t colour, double x, double y, double w, double h) {
  prepareGraphics();
  const size_t mark = buf_.size();
  buf_.writeText("q ");
  buf_.writeColor(resolveColour(colour), false);
  buf_.writeCoordF(x);
  buf_.writeCoordF(foldY(y));
  buf_.writeCoordF(w);
  buf_.writeCoordF(dc_.yUp() ? h : -h);
  buf_.writeText("re f Q ");
  hoist(mark);
}

void ContentWriter::patBlt(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rop) {
  uint32_t colour;
  bool source_copy = false;
  if ((rop & 0xFF0062) == 0xFF0062) {
    colour = 0xFFFFFF;
  } else if ((rop & 0x42) == 0x42 || rop == 0x8800C6) {
    colour = 0;
  } else if (rop == 0xCC0020) {
    colour = 0;
    source_copy = true;
  } else if (rop == 0xF00021) {
    if (options_ & doIgnorePatBlt) return;
    colour = dc_.current().brush.colour;
  } else {
    return;
  }
  if (dc_.specialExtent()) {
    if (source_copy) return;
    fillRectColorF(colour, x / 10.0, y / 10.0, w / 10.0, h / 10.0);
    return;
  }
  fillRectColor(x, y, w, h, colour);
}

// ------------------------------------------------------------------- paths

void ContentWriter::beginPath(int32_t kind) {
  prepareGraphics();
  if (path_depth_ == 0) {
    bool stroke = true, fill = false;
    adjustPaint(stroke, fill);
    setupPaint(stroke, fill);
  }
  ++path_depth_;
  path_kind_ = kind;
}

bool ContentWriter::endPath() {
  if (path_depth_ >= 2) {
    closeFigure();
    --path_depth_;
  } else if (path_depth_ == 1) {
    path_depth_ = 0;
    path_kind_ = 0;
  }
  return path_depth_ > 0;
}

void ContentWriter::abortPath() {
  while (endPath()) {
  }
  if (hasPath()) {
    buf_.writeText("n ");
    path_start_ = kNoPath;
    path_box_ = Box{};
  }
  need_move_ = true;
}

void ContentWriter::closeFigure() {
  if (!hasPath()) return;
  buf_.writeText(" h ");
  if (fig_valid_) {
    cur_x_ = fig_x_;
    cur_y_ = fig_y_;
  }
}

void ContentWriter::paintPath(bool stroke, bool fill) {
  if (mode_ != Mode::omGraphics) return;
  if (path_depth_ > 0) return;  // still inside a bracket: nothing to paint yet
  adjustPaint(stroke, fill);
  setupPaint(stroke, fill);
  paintNow(stroke, fill, false);
  pending_paint_ = 0;
}

// -------------------------------------------------------------- clipping

void ContentWriter::selectClipPath(int32_t mode) {
  if (mode_ != Mode::omGraphics || path_depth_ > 0) return;
  if (!(options_ & doClipping)) {
    if (hasPath()) paintNow(false, false, false);  // discard the path
    return;
  }
  exclude_clip_ = mode == kRgnDiff;
  paintNow(false, false, true);
  exclude_clip_ = false;
}

void ContentWriter::selectClipRegion(int32_t mode, const Rect& bounds, std::span<const Rect> rects) {
  if (!(options_ & doClipping) || mode <= 0) return;
  prepareGraphics();
  const size_t mark = buf_.size();
  auto one = [&](Rect r, bool device) {
    if (device) {
      Point a = dc_.deviceToLogical(r.left, r.top), b = dc_.deviceToLogical(r.right, r.bottom);
      r = Rect{a.x, a.y, b.x, b.y};
    }
    writeClipRect(r);
  };
  if (rects.size() <= 1 || rects.empty())
    one(bounds, !rects.empty());
  else
    for (const Rect& r : rects) one(r, true);
  buf_.writeText("W n ");
  hoist(mark);
}

void ContentWriter::excludeClipRect(const Rect& rect) {
  if (!(options_ & doClipping)) return;
  prepareGraphics();
  const size_t mark = buf_.size();
  writePageCover();
  writeClipRect(rect);
  buf_.writeText("W* n ");
  hoist(mark);
}

void ContentWriter::writeClipRect(Rect r) {
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  int64_t h = int64_t(r.top) - r.bottom;
  if (dc_.yUp()) h = -h;
  buf_.writeCoord(r.left);
  buf_.writeCoord(foldY(int64_t(r.top)));
  buf_.writeCoord(int64_t(r.right) - r.left);
  buf_.writeCoord(h);
  buf_.writeText("re ");
}

}  // namespace pyra::render
