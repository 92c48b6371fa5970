#include "engine/images/dib_image.h"

#include <cmath>

#include "engine/images/image_error.h"

namespace pyra::images {

DibImage makeDibImage(std::span<const uint8_t> info, std::span<const uint8_t> bits, const DibImageRequest& request) {
  DibImage out;
  out.geometry = decodeDib(info, bits, request.decode);
  ImageSamples& s = out.geometry.samples;
  const bool one_bit = s.bits_per_component == 1;
  const bool big_enough = s.width > request.jpeg_min_side || s.height > request.jpeg_min_side;
  bool done = false;
  if (request.jpeg && !one_bit && big_enough) {
    try {
      out.stream = makeJpegImage(s, request.jpeg_quality, request.stream);
      done = true;
    } catch (const ImageError&) {
      // A failed JPEG must not lose the picture: fall back to the lossless form.
      out.jpeg_failed = true;
    }
  }
  if (!done) out.stream = makeSampleImage(s, request.stream);
  s.data = {};
  s.data.shrink_to_fit();
  return out;
}

DibDrawPlan planDibDraw(const DibDraw& draw, DibImageRequest request) {
  DibDrawPlan plan;
  if (!(std::fabs(draw.width) >= 0.01) || !(std::fabs(draw.height) >= 0.01)) return plan;
  if (draw.info.size() >= 4) {
    const uint32_t header_size = uint32_t(draw.info[0] | draw.info[1] << 8 | draw.info[2] << 16 |
                                          uint32_t(draw.info[3]) << 24);
    if (header_size > kMaxDibHeaderSize) return plan;
  }
  if (draw.crop && draw.source && draw.source->width > 0 && draw.source->height > 0)
    request.decode.crop = draw.source;
  else
    request.decode.crop.reset();
  plan.image = makeDibImage(draw.info, draw.bits, request);
  const DecodedDib& g = plan.image->geometry;
  // Rows the bits did not hold leave their share of the rectangle empty, so
  // the rows we have land where they belong at the intended scale.
  const double full = g.full_height;
  plan.x = draw.x;
  plan.width = draw.width;
  plan.y = draw.y + draw.height * (g.missing_top / full);
  plan.height = draw.height * (double(g.full_height - g.missing_top - g.missing_bottom) / full);
  return plan;
}

}  // namespace pyra::images
