// BMP files into DIB sections, then every pixel out again at 24 and 1 bit:
// the reader and the row extraction see the same hostile bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pyra/gdi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  HBITMAP bm = pyraLoadBitmapMemory(data, size);
  if (!bm) return 0;
  HDC dc = GetDC(0);
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[256];
  } info{};
  info.h.biSize = sizeof info.h;
  if (GetDIBits(dc, bm, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) &&
      uint64_t(info.h.biWidth) * uint64_t(info.h.biHeight) <= 1u << 18) {
    for (int bpp : {24, 1, 8}) {
      const int w = info.h.biWidth, h = info.h.biHeight;
      info.h.biBitCount = uint16_t(bpp);
      info.h.biCompression = BI_RGB;
      std::vector<uint8_t> rows(size_t((uint64_t(w) * bpp + 31) / 32 * 4) * size_t(h));
      GetDIBits(dc, bm, 0, UINT(h), rows.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
      info.h.biHeight = h;
      info.h.biWidth = w;
    }
  }
  DIBSECTION ds;
  GetObjectA(bm, sizeof ds, &ds);
  ReleaseDC(0, dc);
  DeleteObject(bm);
  return 0;
}
