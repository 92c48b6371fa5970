#include "platform/bitmap_bmp_reader.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/byte_reader.h"
#include "support/checked_math.h"

namespace pyra::gdi {

using support::ByteReader;

namespace {

// Compressed pixels expand at most 127-fold per run pair; a header claiming
// more than that (plus slack for small pictures) is lying about its size.
constexpr uint64_t kMaxRleExpansion = 1024;
constexpr uint64_t kRleSlack = 1 << 20;

struct Layout {
  uint32_t header_size = 0;
  int32_t width = 0, height = 0;
  uint16_t planes = 0, bpp = 0;
  uint32_t compression = BI_RGB;
  uint32_t colors_used = 0;
  bool core = false;  // 3-byte colour table entries
  uint32_t masks[3] = {0, 0, 0};
  bool has_masks = false;
};

Layout readHeader(ByteReader& r) {
  Layout h;
  h.header_size = r.u32();
  if (h.header_size == 12) {
    h.core = true;
    h.width = r.u16();
    h.height = r.u16();
    h.planes = r.u16();
    h.bpp = r.u16();
    return h;
  }
  if (h.header_size < 16 || (h.header_size > 40 && h.header_size != 52 && h.header_size != 56 &&
                             h.header_size != 64 && h.header_size != 108 && h.header_size != 124))
    throw BmpError("unknown bitmap header size " + std::to_string(h.header_size));
  ByteReader body = r.sub(h.header_size - 4);
  h.width = body.i32();
  h.height = body.i32();
  h.planes = body.u16();
  h.bpp = body.u16();
  // OS/2 2.x headers end anywhere from here on; what they omit is zero.
  if (body.remaining() >= 4) h.compression = body.u32();
  if (body.remaining() >= 4) body.u32();  // image size: recomputed, never trusted
  if (body.remaining() >= 8) body.skip(8);
  if (body.remaining() >= 4) h.colors_used = body.u32();
  if (body.remaining() >= 4) body.u32();
  // OS/2 2.x headers (16..64 bytes, but not the Windows 40) number their
  // compressions differently: 3 is Huffman there, not bit fields.
  const bool os2 = h.header_size != 40 && h.header_size != 52 && h.header_size != 56 &&
                   h.header_size != 108 && h.header_size != 124;
  if (os2 && h.compression >= BI_BITFIELDS)
    throw BmpError("OS/2 compression " + std::to_string(h.compression) + " is not supported");
  if (!os2 && h.header_size >= 52) {
    for (auto& m : h.masks) m = body.u32();
    h.has_masks = true;
  }
  return h;
}

void decodeRle(std::span<const uint8_t> data, BitmapObject& b, bool four_bit) {
  ByteReader r(data);
  const int w = b.width(), h = b.height();
  int x = 0, y = 0;  // y counts rows from the bottom, as RLE does
  auto put = [&](int value) {
    if (x >= w) return;
    if (y < h) {
      uint8_t* row = b.rowFromTop(h - 1 - y);
      if (four_bit) {
        uint8_t& byte = row[x >> 1];
        byte = (x & 1) ? uint8_t((byte & 0xF0) | (value & 0x0F)) : uint8_t((byte & 0x0F) | (value << 4));
      } else {
        row[x] = uint8_t(value);
      }
    }
    ++x;
  };
  // Pixels are clipped at the row's end; rows beyond the picture end it.
  while (!r.atEnd() && y < h) {
    uint8_t count = r.u8();
    uint8_t value = r.u8();
    if (count > 0) {
      for (int i = 0; i < count; ++i) put(four_bit ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    switch (value) {
      case 0: x = 0; ++y; break;
      case 1: return;
      case 2: {
        uint8_t dx = r.u8(), dy = r.u8();
        x = std::min(x + dx, w);
        y = std::min(y + dy, h);
        break;
      }
      default: {
        const size_t bytes = four_bit ? (size_t(value) + 1) / 2 : value;
        auto run = r.take(bytes);
        for (int i = 0; i < value; ++i) put(four_bit ? ((i & 1) ? run[i / 2] & 0x0F : run[i / 2] >> 4) : run[i]);
        if (bytes & 1) r.skip(std::min<size_t>(1, r.remaining()));
      }
    }
  }
}

}  // namespace

std::shared_ptr<BitmapObject> readBmp(std::span<const uint8_t> file) {
  try {
    ByteReader r(file);
    if (r.u8() != 'B' || r.u8() != 'M') throw BmpError("not a BMP file");
    r.u32();  // file size: often wrong in the wild, never needed
    r.u32();
    const uint32_t pixel_offset = r.u32();
    Layout h = readHeader(r);

    if (h.width <= 0) throw BmpError("width must be positive");
    if (h.height == 0 || h.height == INT32_MIN) throw BmpError("height must not be 0");
    if (h.planes != 1) throw BmpError("planes must be 1");
    if (h.bpp != 1 && h.bpp != 4 && h.bpp != 8 && h.bpp != 16 && h.bpp != 24 && h.bpp != 32)
      throw BmpError("unsupported bits per pixel " + std::to_string(h.bpp));
    const bool top_down = h.height < 0;
    switch (h.compression) {
      case BI_RGB: break;
      case BI_RLE8:
        if (h.bpp != 8) throw BmpError("RLE8 needs 8 bits per pixel");
        break;
      case BI_RLE4:
        if (h.bpp != 4) throw BmpError("RLE4 needs 4 bits per pixel");
        break;
      case BI_BITFIELDS:
        if (h.bpp != 16 && h.bpp != 32) throw BmpError("bit fields need 16 or 32 bits per pixel");
        if (!h.has_masks) {
          for (auto& m : h.masks) m = r.u32();
          h.has_masks = true;
        }
        if (h.masks[0] == 0 && h.masks[1] == 0 && h.masks[2] == 0) throw BmpError("bit field masks are all 0");
        break;
      default:
        throw BmpError("compression " + std::to_string(h.compression) + " is not supported");
    }
    if (top_down && (h.compression == BI_RLE8 || h.compression == BI_RLE4))
      throw BmpError("compressed bitmaps cannot be top-down");

    // Colour table: never more entries than the depth can index, whatever
    // the header claims; the rest of a longer table is skipped.
    std::vector<RGBQUAD> colors;
    if (h.bpp <= 8) {
      uint64_t entries = h.colors_used == 0 ? (1u << h.bpp) : h.colors_used;
      const uint64_t entry_size = h.core ? 3 : 4;
      const uint64_t keep = std::min<uint64_t>(entries, 1u << h.bpp);
      if (keep * entry_size > r.remaining()) throw BmpError("colour table runs past the end of the file");
      for (uint64_t i = 0; i < keep; ++i) {
        RGBQUAD q{};
        q.rgbBlue = r.u8();
        q.rgbGreen = r.u8();
        q.rgbRed = r.u8();
        if (!h.core) r.u8();
        colors.push_back(q);
      }
    }

    auto stride = support::dibStride(uint64_t(h.width), h.bpp);
    const uint64_t rows = top_down ? uint64_t(-int64_t(h.height)) : uint64_t(h.height);
    auto image = stride ? support::checkedMul(*stride, rows) : std::nullopt;
    if (!image || *image > PYRA_MAX_BITMAP_BYTES) throw BmpError("bitmap dimensions too large");

    // A pixel offset of 0 or inside the headers is a common writer slip; the
    // pixels then follow the colour table.
    size_t start = r.offset();
    if (pixel_offset >= start && pixel_offset < file.size()) start = pixel_offset;
    else if (pixel_offset != 0 && pixel_offset >= file.size()) throw BmpError("pixel offset beyond the end of the file");
    auto pixels = file.subspan(start);

    const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
    if (rle) {
      if (*image > pixels.size() * kMaxRleExpansion + kRleSlack)
        throw BmpError("compressed data too short for the claimed size");
    } else if (pixels.size() < *image) {
      // Some writers drop the padding of the last row; anything shorter is
      // a truncated file.
      const uint64_t last_row = (uint64_t(h.width) * h.bpp + 7) / 8;
      if (pixels.size() < *image - *stride + last_row) throw BmpError("pixel data truncated");
    }

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = h.width;
    info.biHeight = h.height;
    info.biPlanes = 1;
    info.biBitCount = h.bpp;
    info.biCompression = h.compression == BI_BITFIELDS ? BI_BITFIELDS : BI_RGB;
    auto bitmap = BitmapObject::makeDibSection(info, colors, h.has_masks ? h.masks : nullptr);
    if (rle) {
      decodeRle(pixels, *bitmap, h.compression == BI_RLE4);
    } else {
      std::memcpy(bitmap->bits(), pixels.data(), std::min<size_t>(pixels.size(), bitmap->bitsSize()));
    }
    return bitmap;
  } catch (const ByteReader::Short& e) {
    throw BmpError(std::string("BMP file truncated: ") + e.what());
  }
}

}  // namespace pyra::gdi
