#include "engine/interface/drawing_images.h"

#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <span>
#include <vector>

#include "engine/images/dib_header.h"
#include "engine/images/dib_image.h"
#include "engine/images/image_error.h"
#include "engine/images/image_xobject.h"
#include "pyra/gdi.h"

namespace pyra::interface {

namespace {

int32_t addDib(PyraEnvironment& e, std::span<const uint8_t> info, std::span<const uint8_t> bits,
               uint32_t jpeg_min_side) {
  pdf::TPxPDFDevice& doc = *e.device;
  images::DibImageRequest request;
  request.jpeg = doc.jpegOn();
  request.jpeg_quality = doc.jpegQuality();
  request.jpeg_min_side = jpeg_min_side;
  return images::addImageXObject(doc, [&](const images::ImageStreamOptions& o) {
    request.stream = o;
    return images::makeDibImage(info, bits, request).stream;
  });
}

}  // namespace

int32_t imageFromDib(PyraEnvironment& e, const void* info, const void* bits) {
  if (!info || !bits) throw images::ImageError("no bitmap info or bits");
  // The host gives bare pointers: the header says how far each reaches.
  const auto* p = static_cast<const uint8_t*>(info);
  uint32_t header_size = 0;
  std::memcpy(&header_size, p, 4);
  if (header_size < 12 || header_size > images::kMaxDibHeaderSize) throw images::ImageError("bad header size");
  const images::DibHeader h = images::parseDibHeader({p, header_size});
  const uint64_t info_size = images::dibInfoSize(h), bits_size = images::dibBitsSize(h);
  if (info_size == 0 || bits_size == 0 || info_size > (1u << 20) || bits_size > (uint64_t(1) << 31))
    throw images::ImageError("bitmap too large");
  return addDib(e, {p, size_t(info_size)}, {static_cast<const uint8_t*>(bits), size_t(bits_size)}, 0);
}

int32_t imageFromBitmap(PyraEnvironment& e, uint32_t bitmap, int32_t* width, int32_t* height) {
  BITMAP bm{};
  if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP || GetObjectA(bitmap, sizeof bm, &bm) == 0 ||
      bm.bmWidth <= 0 || bm.bmHeight == 0)
    throw images::ImageError("not a bitmap handle");
  const int32_t w = bm.bmWidth, h = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
  BITMAPINFOHEADER bih{};
  bih.biSize = sizeof bih;
  bih.biWidth = w;
  bih.biHeight = h;
  bih.biPlanes = 1;
  bih.biBitCount = 24;
  bih.biCompression = BI_RGB;
  const uint64_t stride = (uint64_t(w) * 3 + 3) & ~uint64_t(3);
  if (stride * uint64_t(h) > (uint64_t(1) << 31)) throw images::ImageError("bitmap too large");
  std::vector<uint8_t> bits(size_t(stride * uint64_t(h)));
  std::vector<uint8_t> info(sizeof(BITMAPINFO) + 256 * 4);
  std::memcpy(info.data(), &bih, sizeof bih);
  if (!e.screen_dc) e.screen_dc = CreateCompatibleDC(0);
  if (GetDIBits(e.screen_dc, bitmap, 0, UINT(h), bits.data(), reinterpret_cast<BITMAPINFO*>(info.data()),
                DIB_RGB_COLORS) == 0)
    throw images::ImageError("the bitmap's bits cannot be read");
  std::memcpy(info.data(), &bih, sizeof bih);  // 24 bits, no colour table
  info.resize(sizeof bih);
  if (width) *width = w;
  if (height) *height = h;
  return addDib(e, info, bits, 8);
}

int32_t imageFromJpeg(PyraEnvironment& e, const void* data, int64_t size, int32_t* width, int32_t* height) {
  if (!data || size <= 0) throw images::ImageError("no JPEG data");
  std::span<const uint8_t> bytes{static_cast<const uint8_t*>(data), size_t(size)};
  uint32_t w = 0, h = 0;
  const int32_t number = images::addImageXObject(*e.device, [&](const images::ImageStreamOptions& o) {
    images::ImageStream s = images::makeDctImage(bytes, o);
    w = s.width;
    h = s.height;
    return s;
  });
  if (width) *width = int32_t(w);
  if (height) *height = int32_t(h);
  return number;
}

bool isImageNumber(PyraEnvironment& e, int32_t number) {
  pdf::TPxPDFResource& res = e.device->resources();
  if (number < 1 || size_t(number) > res.xobjectCount()) return false;
  return dynamic_cast<images::TPxPDFImage*>(res.xobject(size_t(number) - 1)) != nullptr;
}

void placeImage(PyraEnvironment& e, int32_t number, double x, double y, double w, double h) {
  e.pages->setDeviceOptions(e.device->optionWord());
  e.pages->placeImage(number, x, y, w, h);
}

bool readWholeFile(const std::string& name, std::string& out) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0 || size > (std::streamoff(1) << 31)) return false;
  out.resize(size_t(size));
  in.seekg(0);
  in.read(out.data(), size);
  return bool(in);
}

bool fileExists(const std::string& name) {
  struct stat st{};
  return !name.empty() && stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string upperExtension(const std::string& name) {
  const size_t dot = name.find_last_of("./");
  if (dot == std::string::npos || name[dot] != '.') return {};
  std::string ext = name.substr(dot);
  for (char& c : ext) c = char(std::toupper(uint8_t(c)));
  return ext;
}

}  // namespace pyra::interface
