#pragma once
// The 22-byte header that a placeable Windows metafile file carries in front
// of the plain metafile (little-endian, as published for the format).
#include <cstddef>
#include <cstdint>
#include <span>

namespace pyra::wrapper {

inline constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;
inline constexpr size_t kPlaceableHeaderSize = 22;

struct PlaceableHeader {
  uint32_t KEY = 0;
  int16_t HMF = 0;
  int16_t LEFT = 0, TOP = 0, RIGHT = 0, BOTTOM = 0;  // BBOX, metafile units
  int16_t INCH = 0;
  uint32_t RESERVED = 0;
  int16_t CHECKSUM = 0;

  bool isPlaceable() const { return KEY == kPlaceableKey; }
};

// Decodes the header from the first 22 bytes of a page file.
PlaceableHeader placeableHeaderFromBytes(std::span<const uint8_t, kPlaceableHeaderSize> bytes);

// XOR of the first ten 16-bit words. Page files are drawn whatever their
// checksum says (report runtimes are known to write it carelessly); this is
// for diagnostics and for writers that want to get it right.
uint16_t placeableChecksum(std::span<const uint8_t, kPlaceableHeaderSize> bytes);

}  // namespace pyra::wrapper
