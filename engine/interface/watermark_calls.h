#pragma once
// Watermarks behind the exports: recorded into a form XObject of the
// document and placed on pages by name.
#include <string>

#include "engine/interface/environment.h"

namespace pyra::interface {

void startWatermark(PyraEnvironment& e, const std::string& name, int32_t width, int32_t height);
// Plays the canvas into the form, finishes and writes it; state 1 after.
void endWatermark(PyraEnvironment& e);
// Places the form `name` (letter case ignored) on the open page; false when
// no form has that name.
bool placeWatermark(PyraEnvironment& e, const std::string& name);

}  // namespace pyra::interface
