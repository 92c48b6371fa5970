#pragma once
// Turns a device-independent bitmap (header, colour table, pixel bits, all
// untrusted) into PDF-ordered samples. Palette bitmaps stay palette images
// (/Indexed, or /DeviceGray when the table is a plain grey ramp), 1-bit stays
// 1-bit; 16, 24 and 32 bits per pixel become 8-bit RGB.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/images/dib_header.h"
#include "engine/images/image_samples.h"

namespace pyra::images {

// A source rectangle in pixels, y counted in storage order (from the first
// stored row, which is the bottom row of a bottom-up bitmap).
struct SourceRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
};

struct DibDecodeOptions {
  // Cut the image to this rectangle when it has a positive size.
  std::optional<SourceRect> crop;
  // Colours for palette indices from elsewhere (the palette selected in a
  // device context), instead of the table after the header. An index at or
  // beyond their count takes entry 0.
  std::optional<std::vector<std::array<uint8_t, 3>>> palette_override;
  // White samples of a 1-bit image become transparent ("/Mask [k k]").
  bool mask_white_1bit = false;
  // Upper bound for decoded sample bytes (run-length data can claim a huge
  // canvas in a few bytes).
  uint64_t max_decoded_bytes = uint64_t(1) << 28;
};

struct DecodedDib {
  ImageSamples samples;
  // Rows the (cut) picture has; samples.height may be smaller when the bits
  // end early. The missing rows lie above or below the rows we have.
  uint32_t full_height = 0;
  uint32_t missing_top = 0;
  uint32_t missing_bottom = 0;
};

// `info` holds the header and what follows it (masks, colour table), as many
// bytes as the caller has; `bits` the pixel data. Throws ImageError.
DecodedDib decodeDib(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                     const DibDecodeOptions& options = {});

// Expands palette and 1/4-bit grey samples to 8-bit RGB (or 8-bit grey for a
// grey image), the forms a JPEG encoder takes.
ImageSamples expandTo8Bit(const ImageSamples& in);

}  // namespace pyra::images
