#pragma once
// Reads a BMP file (file header plus core, OS/2 2.x, info, V2-V5 header;
// BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS) into a DIB section. Damaged input
// is an error: nothing is read outside the bytes given and nothing is
// allocated beyond what the file's own bytes can describe.
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>

#include "platform/bitmap_object.h"

namespace pyra::gdi {

struct BmpError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Throws BmpError (or BitmapError) with what was wrong.
std::shared_ptr<BitmapObject> readBmp(std::span<const uint8_t> file);

}  // namespace pyra::gdi
