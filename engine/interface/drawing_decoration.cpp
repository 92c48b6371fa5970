#include "engine/interface/drawing_decoration.h"

#include <cstring>

#include "engine/images/image_error.h"
#include "engine/interface/drawing_images.h"
#include "pyra/gdi.h"

namespace pyra::interface {

namespace {

// Record layout (little-endian): image number 0, bitmap handle 4, file
// name pointer 8 (a 64-bit host's pointer takes the reserved field at 12
// too), flags 16, x y width height 20-32, link target 36 (char[100]), link
// dx dy 136 140, link width height 144 148.
int32_t field(const PyraEnvironment& e, size_t offset) {
  int32_t v;
  std::memcpy(&v, e.page_decoration.data() + offset, 4);
  return v;
}
void setField(PyraEnvironment& e, size_t offset, int32_t v) { std::memcpy(e.page_decoration.data() + offset, &v, 4); }

const char* fileName(const PyraEnvironment& e) {
  const char* p;
  std::memcpy(&p, e.page_decoration.data() + 8, sizeof p);
  return p;
}

// The image of the file, or 0 (a metafile is played instead of making one).
int32_t imageFromFile(PyraEnvironment& e, const std::string& name, bool& played) {
  if (!fileExists(name)) return 0;
  const std::string ext = upperExtension(name);
  if (ext == ".BMP") {
    HBITMAP bm = pyraLoadBitmapFileA(name.c_str());
    if (!bm) throw images::ImageError("the bitmap file cannot be read");
    struct Deleter {
      HBITMAP h;
      ~Deleter() { DeleteObject(h); }
    } deleter{bm};
    return imageFromBitmap(e, bm);
  }
  if (ext == ".JPG" || ext == ".JPEG") {
    std::string data;
    if (!readWholeFile(name, data)) throw images::ImageError("the JPEG file cannot be read");
    return imageFromJpeg(e, data.data(), int64_t(data.size()));
  }
  if (ext == ".EMF" || ext == ".WMF") {
    std::string data;
    if (!readWholeFile(name, data)) throw images::ImageError("the metafile cannot be read");
    std::vector<uint8_t> emf;
    if (ext == ".WMF") {
      HMETAFILE wmf = GetMetaFileA(name.c_str());
      if (!wmf) throw images::ImageError("the Windows metafile cannot be read");
      METAFILEPICT pict{};
      pict.mm = MM_ANISOTROPIC;
      UINT size = GetMetaFileBitsEx(wmf, 0, nullptr);
      std::vector<uint8_t> bits(size);
      if (size) GetMetaFileBitsEx(wmf, size, bits.data());
      DeleteMetaFile(wmf);
      HENHMETAFILE h = size ? SetWinMetaFileBits(size, bits.data(), 0, &pict) : 0;
      if (!h) throw images::ImageError("the Windows metafile cannot be converted");
      UINT n = GetEnhMetaFileBits(h, 0, nullptr);
      emf.resize(n);
      if (n) GetEnhMetaFileBits(h, n, emf.data());
      DeleteEnhMetaFile(h);
    } else {
      emf.assign(data.begin(), data.end());
    }
    if (!emf.empty()) {
      e.pages->setDeviceOptions(e.device->optionWord());
      e.pages->playMetafile(emf, 0, 0, 0, 0);
    }
    played = true;
  }
  return 0;
}

}  // namespace

void drawDecoration(PyraEnvironment& e, bool at_start) {
  if (!e.decoration_set) return;
  const int32_t flags = field(e, 16);
  if (((flags & 1) != 0) != at_start) return;
  int32_t number = field(e, 0);
  const uint32_t bitmap = uint32_t(field(e, 4));
  if (number == 0 && bitmap != 0) {
    try {
      number = imageFromBitmap(e, bitmap);
    } catch (const images::ImageError& err) {
      e.reportError(err.code(), err.what());
      number = 0;
    }
    setField(e, 0, number);
  }
  bool played = false;
  const char* file = fileName(e);
  if (number == 0 && (flags & 2) && file) {
    try {
      number = imageFromFile(e, file, played);
      setField(e, 0, number);
    } catch (...) {
      e.reportErrorData(kErrDecorationFile, file, 4);
      // Not tried again on the next pages.
      std::memset(e.page_decoration.data() + 8, 0, sizeof(const char*));
      number = 0;
    }
  }
  const int32_t x = field(e, 20), y = field(e, 24), w = field(e, 28), h = field(e, 32);
  if (number != 0 && isImageNumber(e, number)) {
    placeImage(e, number, x, y, w, h);
  } else if (!played) {
    // A metafile decoration has no image and is no failure.
    e.reportErrorData(kErrDecorationImage, e.page_decoration.data(), 152);
    return;
  }
  const std::string target = fixedText(reinterpret_cast<const char*>(e.page_decoration.data() + 36), 100);
  if (target.empty()) return;
  int32_t lw = field(e, 144), lh = field(e, 148);
  if (lw == 0) setField(e, 144, lw = w);
  if (lh == 0) setField(e, 148, lh = h);
  const int64_t left = int64_t(x) + field(e, 136), top = int64_t(y) + field(e, 140);
  const int32_t xres = e.xres > 0 ? e.xres : 72, yres = e.yres > 0 ? e.yres : 72;
  auto px = [&](int64_t v) { return int32_t(v * 72 / xres); };
  auto py = [&](int64_t v) { return int32_t(v * 72 / yres); };
  e.device->writerCommand(501, px(left), py(top), px(left + lw), py(top + lh), target);
}

}  // namespace pyra::interface
