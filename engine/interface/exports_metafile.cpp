// Metafile handles played onto the page.
#include <cmath>
#include <vector>

#include "engine/interface/environment.h"
#include "pyra/gdi.h"
#include "pyra/pyractl.h"

using namespace pyra;
using namespace pyra::interface;

namespace {

// The enhanced-metafile bytes behind a handle; an old-style metafile is
// converted first, sized to the current page in hundredths of a millimetre.
std::vector<uint8_t> enhancedBytes(const PyraEnvironment& e, PYRA_HMETAFILE handle) {
  std::vector<uint8_t> bytes;
  switch (GetObjectType(handle)) {
    case OBJ_ENHMETAFILE: {
      UINT size = GetEnhMetaFileBits(handle, 0, nullptr);
      if (size == 0) break;
      bytes.resize(size);
      if (GetEnhMetaFileBits(handle, size, bytes.data()) != size) bytes.clear();
      break;
    }
    case OBJ_METAFILE: {
      UINT size = GetMetaFileBitsEx(handle, 0, nullptr);
      if (size == 0) break;
      std::vector<uint8_t> wmf(size);
      if (GetMetaFileBitsEx(handle, size, wmf.data()) != size) break;
      METAFILEPICT pict{};
      pict.mm = MM_ANISOTROPIC;
      pict.xExt = LONG(std::lround(double(e.page_width) / (e.xres > 0 ? e.xres : 72) * 2540.0));
      pict.yExt = LONG(std::lround(double(e.page_height) / (e.yres > 0 ? e.yres : 72) * 2540.0));
      HENHMETAFILE emf = SetWinMetaFileBits(size, wmf.data(), 0, &pict);
      if (!emf) throw Error(kErrMetafile, "Metafile error: the Windows metafile cannot be converted");
      UINT n = GetEnhMetaFileBits(emf, 0, nullptr);
      bytes.resize(n);
      if (n == 0 || GetEnhMetaFileBits(emf, n, bytes.data()) != n) bytes.clear();
      DeleteEnhMetaFile(emf);
      break;
    }
    default:
      throw Error(kErrMetafile, "Metafile error: handle " + std::to_string(handle) + " is not a metafile");
  }
  if (bytes.empty()) throw Error(kErrMetafile, "Metafile error: the metafile is empty");
  return bytes;
}

void drawMetafile(int32_t env, PYRA_HMETAFILE metafile, int32_t x, int32_t y, int32_t width, int32_t height,
                  int32_t xres, int32_t yres) {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    if (e.state < kDocumentBegun) return 0;
    std::vector<uint8_t> bytes = enhancedBytes(e, metafile);
    e.pages->setDeviceOptions(e.device->optionWord());
    // Played straight into the page, under anything the drawing surface
    // adds at page end.
    e.pages->playMetafile(bytes, x, y, width, height, xres > 0 ? xres : 0, yres > 0 ? yres : 0);
    return 0;
  });
}

}  // namespace

extern "C" PYRA_API void PYRA_DrawMetafile(int32_t env, PYRA_HMETAFILE metafile, int32_t x, int32_t y,
                                           int32_t width, int32_t height) noexcept {
  drawMetafile(env, metafile, x, y, width, height, 0, 0);
}

extern "C" PYRA_API void PYRA_DrawMetafileEx(int32_t env, PYRA_HMETAFILE metafile, int32_t x, int32_t y,
                                             int32_t width, int32_t height, int32_t xres, int32_t yres) noexcept {
  drawMetafile(env, metafile, x, y, width, height, xres, yres);
}
