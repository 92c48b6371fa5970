#include "engine/images/dib_header.h"

#include <string>

#include "engine/images/image_error.h"
#include "support/byte_reader.h"
#include "support/checked_math.h"

namespace pyra::images {

uint32_t DibHeader::paletteEntries() const {
  if (bit_count > 8) return 0;
  const uint32_t full = 1u << bit_count;
  // A header may announce more colours than its depth can index; the extra
  // entries can never be used, and reading them is what we refuse to do.
  if (colors_used == 0 || colors_used > full) return full;
  return colors_used;
}

uint32_t DibHeader::colorTableOffset() const {
  uint32_t offset = header_size;
  if (header_size == 40 && compression == kBiBitfields) offset += 12;
  if (header_size == 40 && compression == kBiAlphaBitfields) offset += 16;
  return offset;
}

DibHeader parseDibHeader(std::span<const uint8_t> info) {
  using support::ByteReader;
  DibHeader h;
  try {
    ByteReader r(info);
    h.header_size = r.u32();
    if (h.header_size > info.size() && h.header_size <= kMaxDibHeaderSize)
      throw ImageError("DIB header claims " + std::to_string(h.header_size) + " bytes, " +
                       std::to_string(info.size()) + " given");
    if (h.header_size == 12) {
      h.core = true;
      h.width = r.u16();
      h.height = r.u16();
      h.planes = r.u16();
      h.bit_count = r.u16();
    } else if (h.header_size >= 40 && h.header_size <= kMaxDibHeaderSize) {
      h.width = r.i32();
      h.height = r.i32();
      h.planes = r.u16();
      h.bit_count = r.u16();
      h.compression = r.u32();
      h.size_image = r.u32();
      r.skip(8);  // resolution
      h.colors_used = r.u32();
      r.skip(4);  // colours important
      if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
        // Masks live in the longer headers, or right after a 40-byte one.
        if (h.header_size == 40) r.seek(40);
        h.red_mask = r.u32();
        h.green_mask = r.u32();
        h.blue_mask = r.u32();
      }
    } else {
      throw ImageError("DIB header size " + std::to_string(h.header_size) + " is not a bitmap header");
    }
  } catch (const ByteReader::Short& e) {
    throw ImageError(std::string("DIB header truncated: ") + e.what());
  }
  if (h.width <= 0) throw ImageError("DIB width " + std::to_string(h.width) + " is not positive");
  if (h.height == 0 || h.height == INT32_MIN)
    throw ImageError("DIB height " + std::to_string(h.height) + " is not usable");
  switch (h.bit_count) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: throw ImageError("DIB bit depth " + std::to_string(h.bit_count) + " is not supported");
  }
  switch (h.compression) {
    case kBiRgb: break;
    case kBiRle8:
      if (h.bit_count != 8) throw ImageError("RLE8 needs 8 bits per pixel");
      break;
    case kBiRle4:
      if (h.bit_count != 4) throw ImageError("RLE4 needs 4 bits per pixel");
      break;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (h.bit_count != 16 && h.bit_count != 32)
        throw ImageError("bit fields need 16 or 32 bits per pixel");
      break;
    default:
      throw ImageError("DIB compression " + std::to_string(h.compression) + " is not supported");
  }
  return h;
}

uint64_t dibInfoSize(const DibHeader& h) {
  return uint64_t(h.colorTableOffset()) + uint64_t(h.paletteEntries()) * h.colorEntrySize();
}

uint64_t dibBitsSize(const DibHeader& h) {
  if (h.compression == kBiRle4 || h.compression == kBiRle8) return h.size_image;
  auto stride = support::dibStride(h.absWidth(), h.bit_count);
  if (!stride) return 0;
  auto total = support::checkedMul(*stride, h.absHeight());
  return total ? *total : 0;
}

}  // namespace pyra::images
