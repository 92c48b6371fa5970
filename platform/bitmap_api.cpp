// The exported bitmap calls: creation, pixel extraction, BMP loading.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/api_guard.h"
#include "platform/bitmap_bmp_reader.h"
#include "platform/bitmap_object.h"
#include "platform/device_context.h"
#include "platform/stock_objects.h"
#include "support/checked_math.h"

using namespace pyra::gdi;

static_assert(sizeof(BITMAPFILEHEADER) == 14 && sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(BITMAPCOREHEADER) == 12 && sizeof(RGBQUAD) == 4);
static_assert(sizeof(void*) != 4 || (sizeof(BITMAP) == 24 && sizeof(DIBSECTION) == 84));
static_assert(offsetof(DIBSECTION, dsBmih) == sizeof(BITMAP));

namespace {

HBITMAP insert(std::shared_ptr<BitmapObject> b) { return HandleTable::instance().insert(std::move(b)); }

std::shared_ptr<DeviceContext> findDc(HDC hdc) {
  return HandleTable::instance().findAs<DeviceContext>(hdc, ObjectKind::Dc);
}

// Writes one destination row in the requested format from 0x00RRGGBB values
// (or palette indices, for the index-preserving 4/8-bit case).
void packRow(int bpp, const uint32_t* rgb, const uint8_t* indices, int width, const RGBQUAD* targets,
             uint8_t* out, size_t stride) {
  std::memset(out, 0, stride);
  switch (bpp) {
    case 1: {
      auto dist = [](uint32_t c, const RGBQUAD& q) {
        int dr = int(c >> 16 & 0xFF) - q.rgbRed, dg = int(c >> 8 & 0xFF) - q.rgbGreen, db = int(c & 0xFF) - q.rgbBlue;
        return dr * dr + dg * dg + db * db;
      };
      for (int x = 0; x < width; ++x)
        if (dist(rgb[x], targets[1]) < dist(rgb[x], targets[0])) out[x >> 3] |= uint8_t(0x80 >> (x & 7));
      break;
    }
    case 4:
      for (int x = 0; x < width; ++x) out[x >> 1] |= uint8_t((x & 1) ? indices[x] & 0x0F : indices[x] << 4);
      break;
    case 8:
      std::memcpy(out, indices, size_t(width));
      break;
    case 16:
      for (int x = 0; x < width; ++x) {
        uint32_t c = rgb[x];
        uint16_t p = uint16_t((c >> 19 & 0x1F) << 10 | (c >> 11 & 0x1F) << 5 | (c >> 3 & 0x1F));
        out[2 * x] = uint8_t(p);
        out[2 * x + 1] = uint8_t(p >> 8);
      }
      break;
    case 24:
      for (int x = 0; x < width; ++x) {
        out[3 * x] = uint8_t(rgb[x]);
        out[3 * x + 1] = uint8_t(rgb[x] >> 8);
        out[3 * x + 2] = uint8_t(rgb[x] >> 16);
      }
      break;
    case 32:
      for (int x = 0; x < width; ++x) {
        out[4 * x] = uint8_t(rgb[x]);
        out[4 * x + 1] = uint8_t(rgb[x] >> 8);
        out[4 * x + 2] = uint8_t(rgb[x] >> 16);
      }
      break;
  }
}

INT getDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT lines, void* bits, BITMAPINFO* bmi) {
  if (!bmi || !findDc(hdc)) return 0;
  auto b = findBitmap(hbm);
  if (!b) return 0;
  BITMAPINFOHEADER& h = bmi->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER)) return 0;
  if (!bits && h.biBitCount == 0) {
    // Describe the bitmap: its size and depth, as Windows fills them in.
    h.biWidth = b->width();
    h.biHeight = b->height();
    h.biPlanes = 1;
    h.biBitCount = WORD(b->bitsPerPixel());
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(*pyra::support::dibStride(uint64_t(b->width()), h.biBitCount) * uint64_t(b->height()));
    h.biClrUsed = 0;
    h.biClrImportant = 0;
    return b->height();
  }
  const int bpp = h.biBitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return 0;
  if (h.biCompression != BI_RGB) return 0;
  // Palette depths other than 1 keep the source's indices, so they need a
  // palette source no deeper than asked for.
  if ((bpp == 4 || bpp == 8) && (b->bitsPerPixel() > bpp || b->bitsPerPixel() > 8)) return 0;
  const int width = b->width(), height = b->height();
  const size_t stride = size_t(*pyra::support::dibStride(uint64_t(width), uint64_t(bpp)));
  if (!bits) {
    h.biSizeImage = DWORD(stride * size_t(height));
    return height;
  }
  if (start >= UINT(height)) return 0;
  const int count = int(std::min<uint64_t>(lines, uint64_t(height) - start));
  const bool dest_top_down = h.biHeight < 0;

  RGBQUAD targets[2] = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  if (bpp == 1) {
    const RGBQUAD* c = bmi->bmiColors;
    if (std::memcmp(&c[0], &c[1], sizeof(RGBQUAD)) != 0) {
      targets[0] = c[0];
      targets[1] = c[1];
    } else {
      bmi->bmiColors[0] = targets[0];
      // bmiColors is declared with one entry; the caller's block holds two.
      std::memcpy(reinterpret_cast<uint8_t*>(bmi->bmiColors) + sizeof(RGBQUAD), &targets[1], sizeof(RGBQUAD));
    }
  } else if (bpp == 4 || bpp == 8) {
    auto colors = b->colors();
    std::memcpy(bmi->bmiColors, colors.data(), colors.size() * sizeof(RGBQUAD));
    h.biClrUsed = DWORD(colors.size());
  }
  std::vector<uint32_t> rgb(static_cast<size_t>(width));
  std::vector<uint8_t> indices(static_cast<size_t>(width));
  auto* out = static_cast<uint8_t*>(bits);
  for (int i = 0; i < count; ++i) {
    // Scan line start + i counted from the bottom of the picture.
    const int from_bottom = int(start) + i;
    const int y_top = height - 1 - from_bottom;
    if (bpp == 4 || bpp == 8) b->rowIndices(y_top, indices.data());
    else b->rowRgb(y_top, rgb.data());
    const size_t out_row = dest_top_down ? size_t(count - 1 - i) : size_t(i);
    packRow(bpp, rgb.data(), indices.data(), width, targets, out + out_row * stride, stride);
  }
  h.biSizeImage = DWORD(stride * size_t(count));
  return count;
}

std::vector<uint8_t> readWholeFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  in.seekg(0, std::ios::end);
  std::streamoff size = in.tellg();
  // A BMP that large would be refused anyway; do not read it to find out.
  if (size <= 0 || uint64_t(size) > uint64_t(PYRA_MAX_BITMAP_BYTES) + (1u << 20)) return {};
  std::vector<uint8_t> data(static_cast<size_t>(size));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(data.data()), size);
  if (!in) return {};
  return data;
}

}  // namespace

extern "C" {

PYRA_GDI_API HBITMAP CreateBitmap(INT nWidth, INT nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
  return guarded<HBITMAP>(0, [&]() -> HBITMAP {
    if (nPlanes == 0 || nPlanes > 32 || nBitCount > 32) return 0;
    return insert(BitmapObject::makeDeviceBitmap(nWidth, nHeight, int(nPlanes * nBitCount), lpBits));
  });
}

PYRA_GDI_API HBITMAP CreateCompatibleBitmap(HDC hdc, INT cx, INT cy) {
  return guarded<HBITMAP>(0, [&]() -> HBITMAP {
    auto dc = findDc(hdc);
    if (!dc) return 0;
    if (cx == 0 || cy == 0) return insert(BitmapObject::makeDeviceBitmap(1, 1, 1, nullptr));
    int bpp = 32;
    if (dc->type() == DeviceContext::Type::Memory) {
      // A memory DC is as deep as the bitmap selected into it (the default
      // 1x1 bitmap makes it monochrome).
      auto selected = findBitmap(dc->bitmap ? dc->bitmap : stockObject(kStockDefaultBitmap));
      if (selected) bpp = selected->bitsPerPixel();
    }
    return insert(BitmapObject::makeDeviceBitmap(cx, cy, bpp, nullptr));
  });
}

PYRA_GDI_API HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                      HANDLE hSection, DWORD offset) {
  return guarded<HBITMAP>(0, [&]() -> HBITMAP {
    if (ppvBits) *ppvBits = nullptr;
    if (!pbmi || hSection != 0 || usage != DIB_RGB_COLORS) return 0;
    if (hdc != 0 && !findDc(hdc)) return 0;
    const BITMAPINFOHEADER& h = pbmi->bmiHeader;
    if (h.biSize < sizeof(BITMAPINFOHEADER)) return 0;
    // The colour table (or the masks) follows the header at biSize.
    const auto* after = reinterpret_cast<const uint8_t*>(pbmi) + h.biSize;
    std::span<const RGBQUAD> colors;
    if (h.biBitCount <= 8 && h.biBitCount > 0) {
      size_t n = h.biClrUsed ? std::min<size_t>(h.biClrUsed, size_t(1) << h.biBitCount) : size_t(1) << h.biBitCount;
      colors = std::span<const RGBQUAD>(reinterpret_cast<const RGBQUAD*>(after), n);
    }
    uint32_t masks[3] = {0, 0, 0};
    if (h.biCompression == BI_BITFIELDS) {
      // V4/V5 headers carry the masks inside; the 40-byte one after it.
      const auto* from = h.biSize >= 52 ? reinterpret_cast<const uint8_t*>(pbmi) + 40 : after;
      std::memcpy(masks, from, sizeof masks);
    }
    auto b = BitmapObject::makeDibSection(h, colors, masks);
    void* pixels = b->bits();
    HBITMAP handle = insert(std::move(b));
    if (handle && ppvBits) *ppvBits = pixels;
    return handle;
  });
}

PYRA_GDI_API INT GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits, BITMAPINFO* lpbmi,
                           UINT usage) {
  return guarded<INT>(0, [&] { return usage == DIB_RGB_COLORS ? getDIBits(hdc, hbm, start, cLines, lpvBits, lpbmi) : 0; });
}

PYRA_GDI_API HBITMAP pyraLoadBitmapMemory(const void* data, SIZE_T size) {
  return guarded<HBITMAP>(0, [&]() -> HBITMAP {
    if (!data) return 0;
    return insert(readBmp(std::span<const uint8_t>(static_cast<const uint8_t*>(data), size)));
  });
}

PYRA_GDI_API HBITMAP pyraLoadBitmapFileA(LPCSTR path) {
  return guarded<HBITMAP>(0, [&]() -> HBITMAP {
    if (!path) return 0;
    auto data = readWholeFile(path);
    if (data.empty()) return 0;
    return insert(readBmp(data));
  });
}

PYRA_GDI_API HANDLE LoadImageA(HANDLE hInst, LPCSTR name, UINT type, INT cx, INT cy, UINT fuLoad) {
  if (hInst != 0 || type != IMAGE_BITMAP || !(fuLoad & LR_LOADFROMFILE) || cx != 0 || cy != 0) return 0;
  return pyraLoadBitmapFileA(name);
}

}  // extern "C"
