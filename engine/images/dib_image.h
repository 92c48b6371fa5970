#pragma once
// From a device-independent bitmap to an image XObject and the rectangle it
// is painted into: everything the bitmap drawing of a page decides, without
// the document. The caller registers the image (giving it the number it
// announced here) and writes the placement operators.
#include <cstdint>
#include <optional>
#include <span>

#include "engine/images/dib_decoder.h"
#include "engine/images/image_stream.h"

namespace pyra::images {

inline constexpr uint16_t kOptSkipWhiteFill = 0x0004;
inline constexpr uint16_t kOptNoSourceCrop = 0x0100;
inline constexpr uint16_t kOptPdf13Masks = 0x0200;

// White samples of 1-bit images become transparent when the output is
// PDF 1.3 and either the block transfer only adds or masks (SRCPAINT,
// MERGEPAINT, SRCAND) or white fills are skipped.
inline bool maskRuleHolds(uint16_t device_options, bool transparent_blit) {
  return (device_options & kOptPdf13Masks) && (transparent_blit || (device_options & kOptSkipWhiteFill));
}

struct DibImageRequest {
  DibDecodeOptions decode;
  bool jpeg = false;        // the document asks for JPEG images
  int jpeg_quality = 25;
  // JPEG only when the image is wider or taller than this (8 for bitmap
  // handles, whose tiny images stay lossless; 0 for DIBs).
  uint32_t jpeg_min_side = 0;
  ImageStreamOptions stream;
};

struct DibImage {
  ImageStream stream;
  DecodedDib geometry;  // samples moved out; the row bookkeeping stays
  bool jpeg_failed = false;  // libjpeg gave up; the lossless form was used
};

// Decodes and encodes; throws ImageError ("Invalid bitmap").
DibImage makeDibImage(std::span<const uint8_t> info, std::span<const uint8_t> bits, const DibImageRequest& request);

struct DibDraw {
  std::span<const uint8_t> info;  // header, masks, colour table
  std::span<const uint8_t> bits;
  double x = 0, y = 0, width = 0, height = 0;  // destination, page user space
  std::optional<SourceRect> source;             // used when crop is set
  bool crop = false;                            // option 0x0100 clear and a source rectangle given
};

struct DibDrawPlan {
  std::optional<DibImage> image;  // nothing: nothing is drawn, no error
  double x = 0, y = 0, width = 0, height = 0;  // where PlaceImage paints it
};

// The bitmap drawing of a page: silently nothing for degenerate rectangles
// and headers above 1024 bytes; otherwise the image (rows come out upright
// whatever the DIB's row order) and its rectangle, shrunk to the rows the
// bits really hold. Throws ImageError.
DibDrawPlan planDibDraw(const DibDraw& draw, DibImageRequest request);

}  // namespace pyra::images
