#include "engine/images/dib_decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "engine/images/image_error.h"
#include "support/checked_math.h"

namespace pyra::images {
namespace {

using Rgb = std::array<uint8_t, 3>;

// The colours behind every index the bit depth can hold. Indices the table
// does not cover take entry 0, so a short table never sends a reader (or
// us) outside it.
std::vector<Rgb> paletteFor(const DibHeader& h, std::span<const uint8_t> info,
                            const DibDecodeOptions& options) {
  const uint32_t full = 1u << h.bit_count;
  std::vector<Rgb> entries;
  if (options.palette_override) {
    const auto& o = *options.palette_override;
    entries.assign(o.begin(), o.begin() + std::min<size_t>(o.size(), full));
  } else {
    const uint64_t offset = h.colorTableOffset();
    const uint32_t entry_size = h.colorEntrySize();
    const uint64_t present = info.size() > offset ? (info.size() - offset) / entry_size : 0;
    const uint64_t count = std::min<uint64_t>(h.paletteEntries(), present);
    entries.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
      const uint8_t* e = info.data() + offset + i * entry_size;
      entries.push_back({e[2], e[1], e[0]});  // stored blue, green, red
    }
    if (entries.empty()) {
      // No table at all: a grey ramp (black and white for 1 bit) is the
      // least surprising reading of the indices.
      for (uint32_t i = 0; i < full; ++i) {
        const uint8_t v = uint8_t(i * 255 / (full - 1));
        entries.push_back({v, v, v});
      }
    }
  }
  const Rgb fill = entries.empty() ? Rgb{0, 0, 0} : entries[0];
  entries.resize(full, fill);
  return entries;
}

bool isGreyRamp(const std::vector<Rgb>& palette) {
  const uint32_t last = uint32_t(palette.size() - 1);
  for (uint32_t i = 0; i <= last; ++i) {
    const uint8_t v = uint8_t(i * 255 / last);
    if (palette[i] != Rgb{v, v, v}) return false;
  }
  return true;
}

// Copies `nbits` bits starting `bit_offset` bits into src (which holds
// exactly the bytes those bits touch) to dst, left-aligned, and clears the
// unused low bits of the last byte so the output does not depend on padding.
void copyBits(const uint8_t* src, size_t src_bytes, size_t bit_offset, size_t nbits, uint8_t* dst) {
  const size_t out_bytes = (nbits + 7) / 8;
  const size_t first = bit_offset / 8;
  const unsigned shift = unsigned(bit_offset % 8);
  if (shift == 0) {
    std::memcpy(dst, src + first, out_bytes);
  } else {
    for (size_t j = 0; j < out_bytes; ++j) {
      const size_t k = first + j;
      uint8_t b = uint8_t(src[k] << shift);
      if (k + 1 < src_bytes) b |= uint8_t(src[k + 1] >> (8 - shift));
      dst[j] = b;
    }
  }
  if (nbits % 8) dst[out_bytes - 1] &= uint8_t(0xFF << (8 - nbits % 8));
}

struct Channel {
  uint32_t mask = 0;
  unsigned shift = 0;
  unsigned bits = 0;
  uint8_t value(uint32_t p) const {
    if (!mask) return 0;
    const uint32_t v = (p & mask) >> shift;
    if (bits >= 8) return uint8_t(v >> (bits - 8));
    // Widen by shifting only: a 5-bit white (31) becomes 248, as bitmaps
    // of this kind have always been shown by us.
    return uint8_t(v << (8 - bits));
  }
};

Channel channelFor(uint32_t mask) {
  Channel c;
  c.mask = mask;
  if (!mask) return c;
  c.shift = unsigned(std::countr_zero(mask));
  c.bits = unsigned(std::countr_one(mask >> c.shift));
  c.mask = ((c.bits >= 32) ? 0xFFFFFFFFu : ((1u << c.bits) - 1)) << c.shift;
  return c;
}

// Decodes BI_RLE8 / BI_RLE4 data into one index byte per pixel, rows in
// storage order. Runs and literals are clipped to their row, deltas to the
// canvas; decoding ends at the end-of-bitmap escape, the end of the data or
// the last row.
void decodeRle(std::span<const uint8_t> data, bool rle4, uint32_t w, uint32_t h, uint8_t* out) {
  size_t p = 0;
  uint32_t x = 0, y = 0;
  const size_t n = data.size();
  while (p + 2 <= n && y < h) {
    const uint8_t count = data[p], value = data[p + 1];
    p += 2;
    uint8_t* row = out + size_t(y) * w;
    if (count > 0) {
      const uint32_t end = std::min<uint32_t>(w, x + count);
      if (rle4) {
        const uint8_t hi = value >> 4, lo = value & 15;
        for (uint32_t k = 0; x < end; ++x, ++k) row[x] = (k & 1) ? lo : hi;
      } else {
        std::memset(row + x, value, end - x);
        x = end;
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      break;
    } else if (value == 2) {  // delta; offsets are unsigned bytes
      if (p + 2 > n) break;
      x = std::min<uint32_t>(w, x + data[p]);
      y += data[p + 1];
      p += 2;
    } else {  // literal run of `value` pixels, padded to a 16-bit boundary
      const size_t bytes = rle4 ? (size_t(value) + 1) / 2 : value;
      const size_t have = std::min(bytes, n - p);
      const uint32_t pixels = rle4 ? uint32_t(std::min<size_t>(value, have * 2)) : uint32_t(have);
      for (uint32_t k = 0; k < pixels && x < w; ++k, ++x)
        row[x] = rle4 ? uint8_t((data[p + k / 2] >> ((k & 1) ? 0 : 4)) & 15) : data[p + k];
      if (have < bytes) break;
      p += bytes + (bytes & 1);
    }
  }
}

}  // namespace

DecodedDib decodeDib(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                     const DibDecodeOptions& options) {
  const DibHeader h = parseDibHeader(info);
  const uint32_t w = h.absWidth(), hh = h.absHeight();
  const bool rle = h.compression == kBiRle4 || h.compression == kBiRle8;

  // The part of the bitmap wanted, clipped to the bitmap.
  int64_t x0 = 0, y0 = 0, x1 = w, y1 = hh;
  if (options.crop && options.crop->width > 0 && options.crop->height > 0) {
    const SourceRect& c = *options.crop;
    x0 = std::max<int64_t>(0, c.x);
    y0 = std::max<int64_t>(0, c.y);
    x1 = std::min<int64_t>(w, int64_t(c.x) + c.width);
    y1 = std::min<int64_t>(hh, int64_t(c.y) + c.height);
    if (x0 >= x1 || y0 >= y1) throw ImageError("source rectangle lies outside the bitmap");
  }
  const uint32_t out_w = uint32_t(x1 - x0), want_rows = uint32_t(y1 - y0);

  DecodedDib result;
  result.full_height = want_rows;
  ImageSamples& s = result.samples;
  s.width = out_w;

  std::vector<Rgb> palette;
  if (h.paletted()) {
    palette = paletteFor(h, info, options);
    s.bits_per_component = uint8_t(h.bit_count);
    s.color_space = ColorSpace::Indexed;
  } else {
    s.bits_per_component = 8;
    s.color_space = ColorSpace::Rgb;
  }
  const size_t out_row = s.rowBytes();

  // Rows present: run-length data paints a canvas of the full size; plain
  // data has as many complete rows as its bytes hold.
  std::vector<uint8_t> canvas;
  std::span<const uint8_t> source = bits;
  uint64_t stride = 0;
  uint64_t rows_present = hh;
  if (rle) {
    const auto pixels = support::checkedMul(w, hh);
    if (!pixels || *pixels > options.max_decoded_bytes)
      throw ImageError("run-length bitmap of " + std::to_string(w) + " x " + std::to_string(hh) +
                       " pixels is too large");
    std::span<const uint8_t> data = bits;
    if (h.size_image && h.size_image < data.size()) data = data.first(h.size_image);
    canvas.assign(size_t(*pixels), 0);
    decodeRle(data, h.compression == kBiRle4, w, hh, canvas.data());
    source = canvas;
    stride = w;
  } else {
    const auto st = support::dibStride(w, h.bit_count);
    if (!st) throw ImageError("DIB row size overflows");
    stride = *st;
    const uint64_t need = (uint64_t(x1) * h.bit_count + 7) / 8;  // bytes read from the last row
    rows_present = bits.size() < need ? 0 : (bits.size() - need) / stride + 1;
  }
  const uint64_t kept_end = std::min<uint64_t>(y1, rows_present);
  const uint32_t kept = kept_end > uint64_t(y0) ? uint32_t(kept_end - y0) : 0;
  if (kept == 0) throw ImageError("DIB bits hold none of the rows wanted");
  const uint32_t missing = want_rows - kept;
  if (h.topDown()) result.missing_bottom = missing; else result.missing_top = missing;

  const auto out_size = support::checkedMul(out_row, kept);
  if (!out_size || *out_size > options.max_decoded_bytes)
    throw ImageError("decoded image of " + std::to_string(out_w) + " x " + std::to_string(kept) +
                     " pixels is too large");
  s.height = kept;
  s.data.resize(size_t(*out_size));

  // Output row i (top to bottom) comes from this storage row.
  auto storageRow = [&](uint32_t i) -> uint64_t {
    return h.topDown() ? uint64_t(y0) + i : uint64_t(y0) + kept - 1 - i;
  };

  if (h.paletted()) {
    if (rle) {
      for (uint32_t i = 0; i < kept; ++i) {
        const uint8_t* src = source.data() + storageRow(i) * stride + x0;
        uint8_t* dst = s.data.data() + size_t(i) * out_row;
        if (h.bit_count == 8) {
          std::memcpy(dst, src, out_w);
        } else {
          for (uint32_t x = 0; x < out_w; x += 2)
            dst[x / 2] = uint8_t(src[x] << 4 | (x + 1 < out_w ? src[x + 1] : 0));
        }
      }
    } else {
      const size_t row_bytes = size_t((uint64_t(x1) * h.bit_count + 7) / 8);
      for (uint32_t i = 0; i < kept; ++i) {
        const uint8_t* src = source.data() + storageRow(i) * stride;
        copyBits(src, row_bytes, size_t(x0) * h.bit_count, size_t(out_w) * h.bit_count,
                 s.data.data() + size_t(i) * out_row);
      }
    }
    // Black-and-white and grey-ramp tables need no palette: plain grey is
    // smaller and every reader handles it.
    if (h.bit_count == 1 && palette[0] == Rgb{255, 255, 255} && palette[1] == Rgb{0, 0, 0}) {
      for (uint32_t i = 0; i < kept; ++i) {
        uint8_t* row = s.data.data() + size_t(i) * out_row;
        for (size_t j = 0; j < out_row; ++j) row[j] = uint8_t(~row[j]);
        if (out_w % 8) row[out_row - 1] &= uint8_t(0xFF << (8 - out_w % 8));
      }
      s.color_space = ColorSpace::Gray;
    } else if (isGreyRamp(palette)) {
      s.color_space = ColorSpace::Gray;
    } else {
      s.palette.reserve(palette.size() * 3);
      for (const Rgb& c : palette) s.palette.insert(s.palette.end(), c.begin(), c.end());
    }
    if (options.mask_white_1bit && h.bit_count == 1) {
      if (s.color_space == ColorSpace::Gray) {
        s.color_key = 1;
      } else {
        for (uint32_t k = 0; k < 2; ++k)
          if (palette[k] == Rgb{255, 255, 255}) { s.color_key = k; break; }
      }
    }
    return result;
  }

  // 16, 24 and 32 bits per pixel become 8-bit RGB.
  uint8_t* out = s.data.data();
  const size_t bpp = h.bit_count / 8;
  const bool masks = h.compression == kBiBitfields || h.compression == kBiAlphaBitfields;
  if (h.bit_count == 24 || (h.bit_count == 32 && !masks)) {
    for (uint32_t i = 0; i < kept; ++i) {
      const uint8_t* src = source.data() + storageRow(i) * stride + size_t(x0) * bpp;
      uint8_t* dst = out + size_t(i) * out_row;
      for (uint32_t x = 0; x < out_w; ++x, src += bpp, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
      }
    }
    return result;
  }
  Channel r, g, b;
  if (masks) {
    r = channelFor(h.red_mask);
    g = channelFor(h.green_mask);
    b = channelFor(h.blue_mask);
  } else {  // 16 bits without masks: 5-5-5
    r = channelFor(0x7C00);
    g = channelFor(0x03E0);
    b = channelFor(0x001F);
  }
  for (uint32_t i = 0; i < kept; ++i) {
    const uint8_t* src = source.data() + storageRow(i) * stride + size_t(x0) * bpp;
    uint8_t* dst = out + size_t(i) * out_row;
    for (uint32_t x = 0; x < out_w; ++x, src += bpp, dst += 3) {
      const uint32_t p = bpp == 2 ? uint32_t(src[0] | src[1] << 8)
                                  : uint32_t(src[0] | src[1] << 8 | src[2] << 16 | uint32_t(src[3]) << 24);
      dst[0] = r.value(p);
      dst[1] = g.value(p);
      dst[2] = b.value(p);
    }
  }
  return result;
}

ImageSamples expandTo8Bit(const ImageSamples& in) {
  if (in.bits_per_component == 8 && in.color_space != ColorSpace::Indexed) return in;
  ImageSamples out;
  out.width = in.width;
  out.height = in.height;
  out.bits_per_component = 8;
  out.color_space = in.color_space == ColorSpace::Indexed ? ColorSpace::Rgb : in.color_space;
  const int comps = componentCount(out.color_space);
  out.data.resize(size_t(in.width) * in.height * comps);
  const unsigned bpc = in.bits_per_component;
  const unsigned max = (1u << bpc) - 1;
  const size_t in_row = in.rowBytes();
  uint8_t* dst = out.data.data();
  for (uint32_t y = 0; y < in.height; ++y) {
    const uint8_t* row = in.data.data() + size_t(y) * in_row;
    for (uint32_t x = 0; x < in.width; ++x) {
      const size_t bit = size_t(x) * bpc;
      const unsigned v = (row[bit / 8] >> (8 - bpc - bit % 8)) & max;
      if (in.color_space == ColorSpace::Indexed) {
        const size_t at = size_t(v) * 3;
        for (int c = 0; c < 3; ++c) *dst++ = at + 2 < in.palette.size() ? in.palette[at + c] : 0;
      } else {
        *dst++ = uint8_t(v * 255 / max);
      }
    }
  }
  return out;
}

}  // namespace pyra::images
