#pragma once
// The page decoration set by command 2: an image (from an image number, a
// bitmap handle or a file) placed at every page start or end, with an
// optional link over it.
#include "engine/interface/environment.h"

namespace pyra::interface {

// Draws the decoration when one is set and its timing bit says `at_start`.
void drawDecoration(PyraEnvironment& e, bool at_start);

}  // namespace pyra::interface
