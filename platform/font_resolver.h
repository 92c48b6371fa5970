#pragma once
// Finds the font file for a logical font through fontconfig, the way the
// Windows font mapper finds a face: by family name first (with the
// metric-compatible stand-ins fontconfig knows for the Windows core fonts),
// then weight and slant, and for an unknown name a face of the requested
// pitch and family (Arial, Times New Roman or Courier New as Windows would
// pick them, or a face covering the requested CJK character set).
#include <string>

#include "pyra/gdi.h"

namespace pyra::gdi {

struct FontMatch {
  std::string path;
  int face_index = 0;
  std::string family;      // the family of the face actually used
  bool substitute = false;  // neither the requested family nor a metric twin
};

// Throws std::runtime_error when fontconfig offers no outline face at all.
FontMatch resolveFont(const LOGFONTW& logfont);

// Whether `used` is the requested family or a metric-compatible stand-in for
// it (Liberation Sans for Arial, ...). Compared ignoring case.
bool isSameOrMetricTwin(const std::string& requested, const std::string& used);

}  // namespace pyra::gdi
