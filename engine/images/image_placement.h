#pragma once
// The content-stream operators that paint an image XObject into a
// rectangle of the page content's user space.
#include <string>

namespace pyra::images {

struct PlacementFrame {
  double y_origin = 0;  // the content's y origin (non-zero while a form is recorded)
  bool y_up = false;    // the device context's y axis points up
  double divisor = 1;   // the content buffer's coordinate divisor
};

// "q w 0 0 h x y' cm /pxoN Do Q" and a line feed, with y' = y origin - y - h
// (h negated first under y-up). Empty when the number is not positive or
// the rectangle is thinner than 0.01 in either direction.
std::string placementOperators(int number, double x, double y, double w, double h,
                               const PlacementFrame& frame = {});

// A content-stream number: at most `decimals` decimals, trailing zeros and
// a trailing point dropped, "-0" written "0"; never locale dependent.
std::string formatCoord(double value, int decimals = 3);

}  // namespace pyra::images
