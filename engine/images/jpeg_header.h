#pragma once
// Reads what a PDF image dictionary needs from a JPEG file's markers (frame
// size, components, coding process, Adobe colour transform) without
// decoding it. Bounded: every segment length is checked against the data.
#include <cstdint>
#include <optional>
#include <span>

namespace pyra::images {

struct JpegInfo {
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t components = 0;    // 1 grey, 3 YCbCr/RGB, 4 CMYK/YCCK
  uint8_t precision = 8;
  uint8_t frame_marker = 0;  // 0xC0 baseline, 0xC1 extended, 0xC2 progressive, ...
  bool jfif = false;
  // Adobe APP14 segment present, and its transform byte (0 none, 1 YCbCr,
  // 2 YCCK). Adobe writes CMYK inverted, which readers undo with /Decode.
  bool adobe = false;
  uint8_t adobe_transform = 0;

  bool progressive() const { return frame_marker == 0xC2; }
  // Huffman-coded sequential or progressive 8-bit frames: what every PDF
  // reader's DCT decoder handles.
  bool embeddable() const {
    return (frame_marker == 0xC0 || frame_marker == 0xC1 || frame_marker == 0xC2) && precision == 8 &&
           (components == 1 || components == 3 || components == 4) && width > 0 && height > 0;
  }
};

// Throws ImageError when the data is not a JPEG stream with a frame header.
JpegInfo readJpegInfo(std::span<const uint8_t> data);

}  // namespace pyra::images
