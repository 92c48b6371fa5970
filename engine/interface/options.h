#pragma once
// How the host's options record and integer settings become device state.
#include <cstdint>

#include "engine/interface/environment.h"
#include "pyra/pyractl.h"

namespace pyra::interface {

// Copies an options record into a new environment and its device.
void applyOptions(PyraEnvironment& e, const PyraOptions& o);
// ENHANCEDOPTIONS bits onto the device's option word; also sets the
// environment's printer-reference flag and the second option byte.
void applyEnhancedOptions(PyraEnvironment& e, int32_t bits);
// JPEG setting of the options record: 0 off, -q quality q, 1..4 a preset,
// any other positive value the best quality.
void applyJpegOption(pdf::TPxPDFDevice& d, int32_t value);

}  // namespace pyra::interface
