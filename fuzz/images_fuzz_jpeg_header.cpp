// The JPEG frame-header reader and the DCT embedding on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/images/image_error.h"
#include "engine/images/image_stream.h"
#include "engine/images/jpeg_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pyra::images;
  std::vector<uint8_t> jpeg(data, data + size);
  try {
    (void)readJpegInfo(jpeg);
  } catch (const ImageError&) {
  }
  try {
    ImageStreamOptions o;
    o.number = 1;
    (void)makeImageFromData(2, jpeg, 1, 1, o);
  } catch (const ImageError&) {
  }
  return 0;
}
