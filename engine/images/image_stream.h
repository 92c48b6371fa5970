#pragma once
// An image XObject ready for the writer: the dictionary entries that go in
// front of "/Length", the stream body with the image's own filter already
// applied, and that filter's name and parameters. The writer adds /Length,
// any encoding it applies on top (ASCII base-85, hex, prepended to
// `filters`), and encryption.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/images/image_samples.h"
#include "engine/images/jpeg_header.h"

namespace pyra::images {

struct ImageStream {
  std::string entries;                    // starts with a line feed, ends with one
  std::vector<uint8_t> body;
  std::vector<std::string> filters;       // outermost first: "/FlateDecode"
  std::vector<std::string> decode_parms;  // one per filter; "" where the filter has none
  uint32_t width = 0, height = 0;
  // Raw samples left for the writer to compress with the document's method,
  // even when that method is "none" (see ImageStreamOptions::defer_compression).
  bool force_compression = false;
};

// The document's compression method: 0 none, 1 Flate level 6, 2 run-length,
// 3 Flate level 1. Sample images are always compressed (0 acts as 1).
enum class Compression : int { None = 0, Flate = 1, RunLength = 2, FastFlate = 3 };

struct ImageStreamOptions {
  // N of "/Name/pxoN": the number the image will get. 0 leaves out the
  // /Type, /Subtype and /Name prefix (page thumbnails).
  int number = 0;
  Compression compression = Compression::Flate;
  // Formats the palette string of an /Indexed colour space. The writer
  // passes its own string writer, which encrypts in encrypted documents;
  // the default writes a hexadecimal string.
  std::function<std::string(std::span<const uint8_t>)> write_string;
  // Leave sample images uncompressed with force_compression set, for a
  // writer whose stream object compresses by itself.
  bool defer_compression = false;
};

// Raw samples, compressed as the document's method says (always compressed).
ImageStream makeSampleImage(const ImageSamples& samples, const ImageStreamOptions& options);
// Samples JPEG-encoded at `quality` (8-bit RGB or grey; palette images are
// expanded first). Throws ImageError when libjpeg fails.
ImageStream makeJpegImage(const ImageSamples& samples, int quality, const ImageStreamOptions& options);
// A JPEG file embedded unchanged as its own DCT stream. Its colour space and
// size come from its frame header; Adobe CMYK gets /Decode [1 0 1 0 1 0 1 0].
// Throws ImageError for data no PDF reader can decode.
ImageStream makeDctImage(std::span<const uint8_t> jpeg, const ImageStreamOptions& options);
// CCITT fax data passed through; k is -1 (Group 4), 0 (one-dimensional) or
// 1 (mixed).
ImageStream makeCcittImage(std::span<const uint8_t> data, uint32_t width, uint32_t height, int k,
                           const ImageStreamOptions& options);

// Format codes of raw image data handed in by callers: 2, 6, 7 JPEG; 8, 9,
// 10 raw RGB, CMYK, grey samples; 3, 4, 5 CCITT Group 4, one-dimensional,
// mixed. Returns nothing when width or height is 0 (silently no image);
// throws ImageError for an unknown code, missing or short data.
std::optional<ImageStream> makeImageFromData(int format, std::span<const uint8_t> data, uint32_t width,
                                             uint32_t height, const ImageStreamOptions& options);

// The complete dictionary text ("<<" ... ">>") the stream gets with no
// further filters: for tests and simple writers.
std::string dictionaryText(const ImageStream& image, bool with_length = true);

// The /DecodeParms entry for a writer that put `prepended` filters of its
// own (ASCII base-85 or hex) in front of the image's filters: an array with
// null for each of them, so the parameters stay with their filter. Empty
// when the image's filters take no parameters.
std::string decodeParmsEntry(const ImageStream& image, int prepended = 0);

}  // namespace pyra::images
