#include "platform/bitmap_object.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "support/checked_math.h"

namespace pyra::gdi {

using support::checkedMul;

namespace {

bool validDepth(int bpp) {
  return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
}

// One colour channel from a bit-field mask, widened to 8 bits.
inline uint32_t channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = std::countr_zero(mask);
  uint32_t v = (pixel & mask) >> shift;
  int bits = std::popcount(mask);
  if (bits >= 8) return v >> (bits - 8);
  uint32_t max = (1u << bits) - 1;
  return max ? v * 255 / max : 0;
}

size_t checkedBytes(uint64_t stride, uint64_t rows) {
  auto total = checkedMul(stride, rows);
  if (!total || *total > PYRA_MAX_BITMAP_BYTES) throw BitmapError("bitmap too large");
  return size_t(*total);
}

}  // namespace

std::vector<RGBQUAD> defaultPalette(int bpp) {
  std::vector<RGBQUAD> p;
  if (bpp == 1) {
    p = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  } else if (bpp == 4) {
    static constexpr uint8_t kVga[16][3] = {
        {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0}, {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},
        {255, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    for (auto& c : kVga) p.push_back(RGBQUAD{c[2], c[1], c[0], 0});
  } else if (bpp == 8) {
    for (int i = 0; i < 256; ++i) p.push_back(RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0});
  }
  return p;
}

std::shared_ptr<BitmapObject> BitmapObject::makeDibSection(const BITMAPINFOHEADER& h,
                                                           std::span<const RGBQUAD> colors,
                                                           const uint32_t* masks) {
  if (h.biWidth <= 0) throw BitmapError("bitmap width must be positive");
  if (h.biHeight == 0 || h.biHeight == INT32_MIN) throw BitmapError("bitmap height must not be 0");
  if (h.biPlanes != 1) throw BitmapError("bitmap must have one plane");
  if (!validDepth(h.biBitCount)) throw BitmapError("unsupported bits per pixel");
  if (h.biCompression == BI_BITFIELDS) {
    if (h.biBitCount != 16 && h.biBitCount != 32) throw BitmapError("bit fields need 16 or 32 bits");
    if (!masks) throw BitmapError("bit fields without masks");
  } else if (h.biCompression != BI_RGB) {
    throw BitmapError("compressed DIB sections are not supported");
  }
  auto stride = support::dibStride(uint64_t(h.biWidth), h.biBitCount);
  if (!stride) throw BitmapError("bitmap too large");
  const int height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  const size_t bytes = checkedBytes(*stride, uint64_t(height));

  std::shared_ptr<BitmapObject> b(new BitmapObject);
  b->dib_section_ = true;
  b->width_ = h.biWidth;
  b->height_ = height;
  b->top_down_ = h.biHeight < 0;
  b->bpp_ = h.biBitCount;
  b->stride_ = size_t(*stride);
  if (h.biBitCount <= 8) {
    size_t keep = std::min(colors.size(), size_t(1) << h.biBitCount);
    b->colors_.assign(colors.begin(), colors.begin() + ptrdiff_t(keep));
  }
  if (h.biCompression == BI_BITFIELDS) {
    std::memcpy(b->masks_, masks, sizeof b->masks_);
  } else if (h.biBitCount == 16) {
    b->masks_[0] = 0x7C00; b->masks_[1] = 0x03E0; b->masks_[2] = 0x001F;
  } else if (h.biBitCount == 32) {
    b->masks_[0] = 0xFF0000; b->masks_[1] = 0xFF00; b->masks_[2] = 0xFF;
  }
  b->header_ = h;
  b->header_.biSize = sizeof(BITMAPINFOHEADER);
  b->header_.biSizeImage = DWORD(bytes);
  b->header_.biClrUsed = DWORD(b->colors_.size());
  b->header_.biClrImportant = std::min(b->header_.biClrImportant, b->header_.biClrUsed);
  b->bits_.assign(bytes, 0);
  return b;
}

std::shared_ptr<BitmapObject> BitmapObject::makeDeviceBitmap(int width, int height, int bpp, const void* bits) {
  if (width <= 0 || height <= 0) throw BitmapError("bitmap size must be positive");
  if (!validDepth(bpp)) throw BitmapError("unsupported bits per pixel");
  auto row_bits = checkedMul(uint64_t(width), uint64_t(bpp));
  if (!row_bits) throw BitmapError("bitmap too large");
  const uint64_t stride = (*row_bits + 15) / 16 * 2;
  const size_t bytes = checkedBytes(stride, uint64_t(height));
  std::shared_ptr<BitmapObject> b(new BitmapObject);
  b->width_ = width;
  b->height_ = height;
  b->top_down_ = true;
  b->bpp_ = bpp;
  b->stride_ = size_t(stride);
  b->colors_ = defaultPalette(bpp);
  if (bpp == 16) { b->masks_[0] = 0x7C00; b->masks_[1] = 0x03E0; b->masks_[2] = 0x001F; }
  if (bpp == 32) { b->masks_[0] = 0xFF0000; b->masks_[1] = 0xFF00; b->masks_[2] = 0xFF; }
  b->header_.biSize = sizeof(BITMAPINFOHEADER);
  b->header_.biWidth = width;
  b->header_.biHeight = -height;
  b->header_.biPlanes = 1;
  b->header_.biBitCount = WORD(bpp);
  b->header_.biSizeImage = DWORD(bytes);
  if (bits) {
    b->bits_.assign(static_cast<const uint8_t*>(bits), static_cast<const uint8_t*>(bits) + bytes);
  } else {
    b->bits_.assign(bytes, 0);
  }
  return b;
}

void BitmapObject::rowIndices(int y, uint8_t* out) const {
  const uint8_t* row = rowFromTop(y);
  switch (bpp_) {
    case 1:
      for (int x = 0; x < width_; ++x) out[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
      break;
    case 4:
      for (int x = 0; x < width_; ++x) out[x] = (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
      break;
    case 8:
      std::memcpy(out, row, size_t(width_));
      break;
    default:
      std::memset(out, 0, size_t(width_));
  }
}

void BitmapObject::rowRgb(int y, uint32_t* out) const {
  const uint8_t* row = rowFromTop(y);
  auto rgb = [](const RGBQUAD& q) { return uint32_t(q.rgbRed) << 16 | uint32_t(q.rgbGreen) << 8 | q.rgbBlue; };
  switch (bpp_) {
    case 1: case 4: case 8: {
      // An index past the colour table takes its first entry: the table a
      // file brings may be shorter than its depth allows.
      std::vector<uint8_t> idx(static_cast<size_t>(width_));
      rowIndices(y, idx.data());
      const uint32_t fallback = colors_.empty() ? 0 : rgb(colors_[0]);
      for (int x = 0; x < width_; ++x)
        out[x] = idx[x] < colors_.size() ? rgb(colors_[idx[x]]) : fallback;
      break;
    }
    case 16:
      for (int x = 0; x < width_; ++x) {
        uint32_t p = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
        out[x] = channel(p, masks_[0]) << 16 | channel(p, masks_[1]) << 8 | channel(p, masks_[2]);
      }
      break;
    case 24:
      for (int x = 0; x < width_; ++x)
        out[x] = uint32_t(row[3 * x + 2]) << 16 | uint32_t(row[3 * x + 1]) << 8 | row[3 * x];
      break;
    case 32:
      for (int x = 0; x < width_; ++x) {
        uint32_t p;
        std::memcpy(&p, row + 4 * x, 4);
        out[x] = channel(p, masks_[0]) << 16 | channel(p, masks_[1]) << 8 | channel(p, masks_[2]);
      }
      break;
  }
}

int BitmapObject::describeA(int size, void* out) const {
  const int needed = dib_section_ ? int(sizeof(DIBSECTION)) : int(sizeof(BITMAP));
  if (!out) return needed;
  BITMAP bm{};
  bm.bmType = 0;
  bm.bmWidth = width_;
  bm.bmHeight = height_;
  bm.bmWidthBytes = LONG(stride_);
  bm.bmPlanes = 1;
  bm.bmBitsPixel = WORD(bpp_);
  bm.bmBits = dib_section_ ? const_cast<uint8_t*>(bits_.data()) : nullptr;
  if (dib_section_ && size >= int(sizeof(DIBSECTION))) {
    DIBSECTION ds{};
    ds.dsBm = bm;
    ds.dsBmih = header_;
    std::memcpy(ds.dsBitfields, masks_, sizeof ds.dsBitfields);
    std::memcpy(out, &ds, sizeof ds);
    return int(sizeof ds);
  }
  if (size < int(sizeof(BITMAP))) return 0;
  std::memcpy(out, &bm, sizeof bm);
  return int(sizeof bm);
}

std::shared_ptr<BitmapObject> findBitmap(HBITMAP handle) {
  return HandleTable::instance().findAs<BitmapObject>(handle, ObjectKind::Bitmap);
}

}  // namespace pyra::gdi
