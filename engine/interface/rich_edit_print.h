#pragma once
// Printing a rich-text object page by page through the drawing surface.
#include <cstdint>

#include "engine/interface/environment.h"

namespace pyra::interface {

// Lengths in inches, or centimetres when `centimetres`. Pages are started
// and ended as needed; every page carries `columns` columns.
void printRichEdit(PyraEnvironment& e, uint32_t rich_edit, double page_width, double page_height, double left,
                   double top, double right, double bottom, bool centimetres);

}  // namespace pyra::interface
