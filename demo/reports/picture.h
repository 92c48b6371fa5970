#pragma once
// Pictures the reports draw: small 24-bit bitmaps generated in code, so
// the demo carries no image files of its own.
#include <cstdint>
#include <string_view>
#include <vector>

namespace pyra::reports {

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  // Rows bottom-up, blue-green-red, each padded to 4 bytes: the layout a
  // device-independent bitmap hands to StretchDIBits.
  std::vector<uint8_t> bits;
};

// A round emblem in `colour` (0x00BBGGRR) with a white ring on a light
// ground, `size` pixels square.
Picture makeEmblem(int32_t size, uint32_t colour);
// A product's picture: a parcel whose colours follow from the name, so the
// same product always looks the same and neighbours differ.
Picture makeProductPicture(std::string_view name, int32_t size);

}  // namespace pyra::reports
