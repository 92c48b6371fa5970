#pragma once
// Decoded pixels in the layout a PDF image stream wants: rows top to bottom,
// samples packed with no row padding (each row starts on a byte boundary).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace pyra::images {

enum class ColorSpace : uint8_t { Gray, Rgb, Cmyk, Indexed };

inline int componentCount(ColorSpace cs) {
  switch (cs) {
    case ColorSpace::Rgb: return 3;
    case ColorSpace::Cmyk: return 4;
    case ColorSpace::Gray:
    case ColorSpace::Indexed: return 1;
  }
  return 1;
}

struct ImageSamples {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t bits_per_component = 8;  // 1, 4 or 8
  ColorSpace color_space = ColorSpace::Rgb;
  // Indexed only: base DeviceRGB, three bytes per entry, entry count a power of
  // two matching the bit depth, so every index a sample can hold has a colour.
  std::vector<uint8_t> palette;
  // A sample value that is painted transparent ("/Mask [k k]"); 1-bit only.
  std::optional<uint32_t> color_key;
  std::vector<uint8_t> data;

  size_t rowBytes() const {
    return (size_t(width) * componentCount(color_space) * bits_per_component + 7) / 8;
  }
};

}  // namespace pyra::images
