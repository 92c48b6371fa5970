#include "engine/images/jpeg_header.h"

#include <cstring>
#include <string>

#include "engine/images/image_error.h"
#include "support/byte_reader.h"

namespace pyra::images {

JpegInfo readJpegInfo(std::span<const uint8_t> data) {
  using support::ByteReader;
  JpegInfo info;
  try {
    ByteReader r(data);
    if (r.u8() != 0xFF || r.u8() != 0xD8) throw ImageError("JPEG data does not start with SOI");
    for (;;) {
      // Markers may be preceded by any number of 0xFF fill bytes.
      if (r.u8() != 0xFF) throw ImageError("JPEG marker expected at offset " + std::to_string(r.offset() - 1));
      uint8_t marker = r.u8();
      while (marker == 0xFF) marker = r.u8();
      if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
      if (marker == 0xD9 || marker == 0xDA)
        throw ImageError("JPEG data has no frame header before its scan");
      const uint16_t length = r.be16();
      if (length < 2) throw ImageError("JPEG segment length " + std::to_string(length) + " is too small");
      ByteReader seg = r.sub(length - 2u);
      if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
        info.frame_marker = marker;
        info.precision = seg.u8();
        info.height = seg.be16();
        info.width = seg.be16();
        info.components = seg.u8();
        if (seg.remaining() < size_t(info.components) * 3)
          throw ImageError("JPEG frame header lists more components than it holds");
        return info;
      }
      if (marker == 0xE0 && seg.remaining() >= 5 && std::memcmp(seg.data(), "JFIF\0", 5) == 0) info.jfif = true;
      if (marker == 0xEE && seg.remaining() >= 12 && std::memcmp(seg.data(), "Adobe", 5) == 0) {
        info.adobe = true;
        info.adobe_transform = seg.data()[11];
      }
    }
  } catch (const ByteReader::Short& e) {
    throw ImageError(std::string("JPEG data truncated: ") + e.what());
  }
}

}  // namespace pyra::images
