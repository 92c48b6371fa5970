#pragma once
// Cubic Bézier approximations of elliptic arcs, built into one reused
// buffer so arcs cost no allocation once the page is warm.
#include <vector>

namespace pyra::render {

class ArcBuilder {
 public:
  void clear() {
    points_.clear();
    segments_ = 0;
  }
  // Appends the segment of sweep `theta` (radians, either sign) starting at
  // angle `phi0` on the ellipse (cx, cy, rx, ry) in the y-up output space.
  // The first point is kept only for the first segment.
  void addSegment(double phi0, double theta, double cx, double cy, double rx, double ry);
  // Segments of at most `step` from `start` over `sweep` (either sign); a
  // remainder of at least `min_rest` becomes a last, shorter segment.
  void addArc(double start, double sweep, double step, double min_rest, double cx, double cy,
              double rx, double ry);

  int segments() const { return segments_; }
  // x, y pairs: 1 + 3 * segments() points.
  const std::vector<double>& points() const { return points_; }

 private:
  std::vector<double> points_;
  int segments_ = 0;
};

}  // namespace pyra::render
