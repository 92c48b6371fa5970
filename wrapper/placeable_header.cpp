#include "wrapper/placeable_header.h"

#include "support/byte_reader.h"

namespace pyra::wrapper {

PlaceableHeader placeableHeaderFromBytes(std::span<const uint8_t, kPlaceableHeaderSize> bytes) {
  support::ByteReader r(bytes);
  PlaceableHeader h;
  h.KEY = r.u32();
  h.HMF = r.i16();
  h.LEFT = r.i16();
  h.TOP = r.i16();
  h.RIGHT = r.i16();
  h.BOTTOM = r.i16();
  h.INCH = r.i16();
  h.RESERVED = r.u32();
  h.CHECKSUM = r.i16();
  return h;
}

uint16_t placeableChecksum(std::span<const uint8_t, kPlaceableHeaderSize> bytes) {
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= uint16_t(bytes[i] | bytes[i + 1] << 8);
  return sum;
}

}  // namespace pyra::wrapper
