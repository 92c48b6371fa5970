#pragma once
// The header of a device-independent bitmap, read from untrusted bytes: the
// 12-byte core header, the 40-byte info header and its longer successors
// (52, 56, 108, 124 bytes, which carry the channel masks in the header).
#include <cstddef>
#include <cstdint>
#include <span>

namespace pyra::images {

inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiRle8 = 1;
inline constexpr uint32_t kBiRle4 = 2;
inline constexpr uint32_t kBiBitfields = 3;
inline constexpr uint32_t kBiJpeg = 4;
inline constexpr uint32_t kBiPng = 5;
inline constexpr uint32_t kBiAlphaBitfields = 6;

// Headers above this size are not bitmaps we draw (a metafile record that
// claims one is damaged); callers skip them without an error.
inline constexpr uint32_t kMaxDibHeaderSize = 1024;

struct DibHeader {
  uint32_t header_size = 0;
  int32_t width = 0;        // as stored; a valid header has width > 0
  int32_t height = 0;       // as stored; negative means rows top to bottom
  uint16_t planes = 1;
  uint16_t bit_count = 0;
  uint32_t compression = kBiRgb;
  uint32_t size_image = 0;
  uint32_t colors_used = 0;
  // Channel masks for BI_BITFIELDS: from the header when it is long enough,
  // else from the 12 bytes that follow a 40-byte header (filled by parse).
  uint32_t red_mask = 0, green_mask = 0, blue_mask = 0;
  bool core = false;        // 12-byte header: colour entries are 3 bytes

  uint32_t absWidth() const { return uint32_t(width); }
  uint32_t absHeight() const { return height < 0 ? 0u - uint32_t(height) : uint32_t(height); }
  bool topDown() const { return height < 0; }
  bool paletted() const { return bit_count <= 8; }
  // Colour-table entries the header announces (before checking the bytes).
  uint32_t paletteEntries() const;
  // Bytes between the start of the header and the colour table.
  uint32_t colorTableOffset() const;
  uint32_t colorEntrySize() const { return core ? 3 : 4; }
};

// Parses the header at the start of `info` (which may go on with masks and
// the colour table). Throws ImageError on a header no bitmap can have:
// unknown size, width <= 0, height 0, an unknown bit depth or compression.
DibHeader parseDibHeader(std::span<const uint8_t> info);

// Size of the whole BITMAPINFO block (header, masks, colour table) the
// header announces, for callers that only hold a pointer to it.
uint64_t dibInfoSize(const DibHeader& h);
// Size of the pixel bits: the header's image size for compressed bitmaps,
// else the row stride times the rows. 0 when it does not fit 64 bits.
uint64_t dibBitsSize(const DibHeader& h);

}  // namespace pyra::images
