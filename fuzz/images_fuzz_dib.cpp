// DIB decoding and image encoding on arbitrary bytes. Layout of the input:
// two bytes of info length, one option byte, four crop bytes, then the
// BITMAPINFO bytes and the pixel bits.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/images/dib_image.h"
#include "engine/images/image_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pyra::images;
  if (size < 7) return 0;
  const size_t info_len = size_t(data[0] | data[1] << 8);
  const uint8_t flags = data[2];
  const SourceRect rect{int8_t(data[3]), int8_t(data[4]), data[5], data[6]};
  data += 7;
  size -= 7;
  // Copies, so ASan sees the exact ends of both buffers.
  const size_t split = info_len < size ? info_len : size;
  std::vector<uint8_t> info(data, data + split);
  std::vector<uint8_t> bits(data + split, data + size);
  DibImageRequest req;
  req.decode.max_decoded_bytes = 1 << 22;
  req.decode.mask_white_1bit = flags & 1;
  if (flags & 2) req.decode.crop = rect;
  req.jpeg = flags & 4;
  req.jpeg_quality = 1 + flags % 100;
  req.stream.number = 1;
  req.stream.compression = Compression(flags >> 6);
  if (flags & 8) {
    std::vector<std::array<uint8_t, 3>> palette((flags >> 4) & 3, {1, 2, 3});
    req.decode.palette_override = palette;
  }
  try {
    DibDraw draw{info, bits, 0, 0, 100, (flags & 16) ? -50.0 : 50.0, rect, (flags & 2) != 0};
    (void)planDibDraw(draw, req);
  } catch (const ImageError&) {
  }
  return 0;
}
