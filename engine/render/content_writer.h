#pragma once
// Turns drawing operations in a device context's logical coordinates into
// the operators of one page content stream.
//
// The device-context transform is emitted once as "cm" and coordinates are
// written as they come, with only y folded into PDF's upward axis. Per q
// level the writer remembers what it last emitted (colours, width, dash,
// cap, join, matrix) and writes an operator only on change. Attribute and
// clip operators that become due while a path is being built are moved in
// front of that path, since readers refuse them inside a path object.
//
// Entry points map one to one onto metafile records; the interpreter feeds
// state changes to dc() and drawing to the operations below.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "engine/render/arc_builder.h"
#include "engine/render/dc_stack.h"
#include "engine/render/device_options.h"
#include "engine/render/gdi_values.h"
#include "engine/render/ps_state.h"
#include "engine/render/work_buffer.h"

namespace pyra::render {

class ContentWriter {
 public:
  enum class Mode { omIdle = 0, omText = 1, omGraphics = 2 };
  // Hostile metafiles nest saves and clips without end; levels past this
  // depth are counted but write no "q".
  static constexpr size_t kMaxStates = 2048;

  explicit ContentWriter(TPxDeviceOptions options = 0);
  virtual ~ContentWriter() = default;
  ContentWriter(const ContentWriter&) = delete;
  ContentWriter& operator=(const ContentWriter&) = delete;

  void setOptions(TPxDeviceOptions options);
  TPxDeviceOptions options() const { return options_; }
  TPxDCStack& dc() { return dc_; }
  TPxPDFDeviceWorkBuffer& buffer() { return buf_; }
  TPxPSState& psState() { return ps_.back(); }
  // A point of the content's user space (logical units before the divisor,
  // y folded) in PDF page space, through the matrix in force.
  void userToPage(double ux, double uy, double& px, double& py);
  // The box in PDF page space that four user-space corners cover, wherever
  // the matrix turns them.
  struct PageBounds {
    double x0, y0, x1, y1;
  };
  PageBounds userQuadToPage(const double (&ux)[4], const double (&uy)[4]);
  Mode mode() const { return mode_; }

  // Page geometry in points and the resolution of device units.
  void beginPage(int32_t width_points, int32_t height_points, int32_t res_x = 72, int32_t res_y = 72);

  // Output life. startOutput fails when output is already open; endOutput
  // closes every level and returns the page's content, valid until the next
  // startOutput.
  void startOutput();
  std::string_view endOutput();
  bool active() const { return active_; }
  // Asked before drawing while closed; a page writer overrides it to create
  // the page's content stream on the first drawing operation.
  virtual bool isOutputOpen() { return active_; }
  // Flushes pending work, returns every field to its start and, when output
  // is open, opens a fresh level.
  void reset();
  void finishPending();

  // Save and restore pair the device-context stack with q and Q.
  void saveDC();
  void restoreDC();
  void pushState();
  void popState();
  void prepareGraphics();
  // Emits the device-context transform when it changed.
  void emitMatrix();

  // Current position.
  void moveTo(int32_t x, int32_t y, Point* old = nullptr);
  Point currentPosition() const { return {cur_x_, cur_y_}; }
  void lineTo(int32_t x, int32_t y);
  void setPixel(int32_t x, int32_t y, uint32_t colour);
  // Open polyline; with `to` it continues from and moves the current position.
  void polyline(std::span<const Point> points, bool to = false, bool prepare = true, bool paint = true);
  void polyPolyline(std::span<const Point> points, std::span<const uint32_t> counts);
  void polygon(std::span<const Point> points);
  // All polygons form one path, so the fill mode decides their overlaps.
  void polyPolygon(std::span<const Point> points, std::span<const uint32_t> counts);
  void polyBezier(std::span<const Point> points, bool to = false);
  void rectangle(int32_t l, int32_t t, int32_t r, int32_t b);
  void roundRect(int32_t l, int32_t t, int32_t r, int32_t b, int32_t cw, int32_t ch);
  void ellipse(int32_t l, int32_t t, int32_t r, int32_t b, bool fill = true);
  void arc(int32_t l, int32_t t, int32_t r, int32_t b, int32_t xs, int32_t ys, int32_t xe, int32_t ye,
           bool to = false);
  void chord(int32_t l, int32_t t, int32_t r, int32_t b, int32_t xs, int32_t ys, int32_t xe, int32_t ye);
  void pie(int32_t l, int32_t t, int32_t r, int32_t b, int32_t xs, int32_t ys, int32_t xe, int32_t ye);
  // Angles in degrees; a negative sweep runs clockwise.
  void angleArc(int32_t x, int32_t y, uint32_t radius, float start, float sweep);
  void fillRectColor(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t colour);
  void fillRectColorF(uint32_t colour, double x, double y, double w, double h);
  void patBlt(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rop);
  // Does nothing: the record carries no drawing this device reproduces.
  void polyDraw() {}

  // Path brackets.
  void beginPath(int32_t kind = 3);
  // Returns whether brackets remain open.
  bool endPath();
  void abortPath();
  void closeFigure();
  void paintPath(bool stroke, bool fill);
  void fillPath() { paintPath(false, true); }
  void strokePath() { paintPath(true, false); }
  void strokeAndFillPath() { paintPath(true, true); }
  int pathDepth() const { return path_depth_; }

  // Clipping (honoured only with doClipping). Nesting is the caller's: clip
  // levels are opened with pushState and closed with popState.
  void selectClipPath(int32_t mode);
  // `bounds` alone is a logical rectangle; with `rects`, bounds and rects
  // are device units (a region record) and are mapped back first.
  void selectClipRegion(int32_t mode, const Rect& bounds, std::span<const Rect> rects = {});
  void intersectClipRect(const Rect& r) { selectClipRegion(kRgnAnd, r); }
  void excludeClipRect(const Rect& r);

  // Form recording: the paint a pending path gets when it is finished
  // (0 none, 1 stroke, 2 fill, 3 both, 4 clip), and finishing it now.
  void setPendingPaint(int mode) { pending_paint_ = (mode >= 0 && mode <= 4) ? mode : 0; }
  void finishPendingPath();

  // Text output hooks: the text path opens "BT" through enterText and every
  // graphics operation closes it again.
  void enterText();
  void closeText();

  // y as written: folded by the y origin into the page's upward axis.
  int64_t foldY(int64_t y) const;
  double foldY(double y) const;
  int64_t unfoldY(int64_t y) const;

 private:
  struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool valid = false;
    void add(double x, double y);
  };

  bool hasPath() const { return path_start_ != kNoPath; }
  void markPath() {
    if (path_start_ == kNoPath) path_start_ = buf_.size();
  }
  // State operators written after `mark` move in front of a path in progress.
  void hoist(size_t mark);
  void writePoint(int64_t x, int64_t y_folded, const char* op);
  void writePointF(double x, double y_folded, const char* op);
  void moveToCurrent();
  void shapeStart(bool stroke, bool fill);
  void adjustPaint(bool& stroke, bool& fill) const;
  void setupPaint(bool stroke, bool fill);
  void dashRule();
  void userDashRule(const PenValues& pen);
  double pointScale();
  void paint(bool stroke, bool fill, bool clip = false);
  void paintNow(bool stroke, bool fill, bool clip);
  void writeHatch(size_t path_from, size_t path_to, bool then_stroke);
  void writePageCover();
  // A clip rectangle in logical units, its corners in either order, as "re".
  void writeClipRect(Rect r);
  bool pageBox(Box& out) const;
  void writeMatrixValues(const double* v, int decimals);
  void pushFresh(bool copy);
  bool arcPoints(int32_t l, int32_t t, int32_t r, int32_t b, int32_t xs, int32_t ys, int32_t xe,
                 int32_t ye, double& cx, double& cy);
  void writeArcPoints(bool first_with_l);
  bool closedArcStart(int32_t l, int32_t t, int32_t r, int32_t b, int32_t xs, int32_t ys, int32_t xe, int32_t ye);

  static constexpr size_t kNoPath = size_t(-1);

  TPxDeviceOptions options_ = 0;
  TPxDCStack dc_;
  TPxPDFDeviceWorkBuffer buf_;
  std::vector<TPxPSState> ps_;
  size_t counted_states_ = 0;
  ArcBuilder arcs_;
  bool active_ = false;
  Mode mode_ = Mode::omIdle;
  size_t path_start_ = kNoPath;
  Box path_box_;
  int pending_paint_ = 0;  // 0 none, 1 stroke, 2 fill, 3 both, 4 clip
  bool exclude_clip_ = false;
  int32_t cur_x_ = 0, cur_y_ = 0;
  bool need_move_ = true;
  int32_t fig_x_ = 0, fig_y_ = 0;
  bool fig_valid_ = false;
  int path_depth_ = 0;
  int32_t path_kind_ = 0;
  bool matrix_dirty_ = true;
  uint64_t seen_version_ = 0;
  int32_t page_width_ = 0, page_height_ = 0;
};

}  // namespace pyra::render
