#include "engine/render/arc_builder.h"

#include <cmath>

namespace pyra::render {

void ArcBuilder::addSegment(double phi0, double theta, double cx, double cy, double rx, double ry) {
  const double half = theta / 2;
  const double s = std::sin(half), c = std::cos(half);
  if (s == 0 || !std::isfinite(s) || !std::isfinite(c)) return;
  const double t = 1 - c;
  const double k = 4 * t / 3;
  const double v = s - c * k / s;
  const double unit[4][2] = {{c, -s}, {c + k, -v}, {c + k, v}, {c, s}};
  const double phi = phi0 + half;
  const double cp = std::cos(phi), sp = std::sin(phi);
  for (int i = segments_ == 0 ? 0 : 1; i < 4; ++i) {
    const double px = unit[i][0], py = unit[i][1];
    points_.push_back((cp * px - sp * py) * rx + cx + 0.001);
    points_.push_back((sp * px + cp * py) * ry + cy + 0.001);
  }
  ++segments_;
}

void ArcBuilder::addArc(double start, double sweep, double step, double min_rest, double cx,
                        double cy, double rx, double ry) {
  if (!std::isfinite(start) || !std::isfinite(sweep) || !(step > 0)) return;
  const double dir = sweep < 0 ? -1.0 : 1.0;
  double rest = std::fabs(sweep);
  double at = start;
  // The step is at least a tenth of a half turn and the sweep at most a turn
  // or so, so this loop is short whatever the record claims.
  while (rest > step) {
    addSegment(at, dir * step, cx, cy, rx, ry);
    at += dir * step;
    rest -= step;
  }
  if (rest >= min_rest && rest > 1e-9) addSegment(at, dir * rest, cx, cy, rx, ry);
}

}  // namespace pyra::render
