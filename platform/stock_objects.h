#pragma once
// The stock objects of GetStockObject, made on first use and kept in the
// handle table for the life of the process. Pens, brushes and the default
// palette are made by the drawing-object code through
// makeStockDrawingObject; fonts and the default bitmap here.
#include <memory>

#include "platform/handle_table.h"
#include "pyra/gdi.h"

namespace pyra::gdi {

// The stock index of the 1x1 monochrome bitmap a new memory DC starts with
// (beyond the documented indices).
constexpr int kStockDefaultBitmap = 21;

// The handle of stock object `index`; 0 for an unknown index or a kind
// nobody makes.
HGDIOBJ stockObject(int index);

// Implemented by the pen/brush/palette code (a weak default returns
// nullptr): the object for WHITE_BRUSH .. NULL_PEN, DEFAULT_PALETTE,
// DC_BRUSH and DC_PEN.
std::shared_ptr<GdiObject> makeStockDrawingObject(int index);

// The stock handle standing for "default" in a DC slot of this kind.
HGDIOBJ defaultObjectFor(ObjectKind kind);

}  // namespace pyra::gdi
