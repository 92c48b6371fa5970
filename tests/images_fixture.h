#pragma once
// Small bitmaps built in code for the image tests: a test picture (four
// quadrants and a marker block in the top-left corner) written as DIBs of
// every depth and encoding, and a one-page PDF that shows an image.
#include <array>
#include <cstdlib>
#include <sstream>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/images/image_placement.h"
#include "engine/images/image_stream.h"
#include "testkit/mini_pdf.h"
#include "testkit/testkit.h"

namespace pyra::images::test {

using Rgb = std::array<uint8_t, 3>;

// Regions of the test picture, y = 0 at the top of the picture.
enum Region : int { kTopLeft = 0, kTopRight = 1, kBottomLeft = 2, kBottomRight = 3, kMarker = 4 };

inline int regionAt(uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
  if (x < w / 4 && y < h / 4) return kMarker;
  return (y < h / 2 ? 0 : 2) + (x < w / 2 ? 0 : 1);
}

// A pixel well inside each region.
inline std::array<uint32_t, 2> probePixel(int region, uint32_t w, uint32_t h) {
  switch (region) {
    case kMarker: return {w / 8, h / 8};
    case kTopLeft: return {3 * w / 8, 3 * h / 8};
    case kTopRight: return {3 * w / 4, h / 4};
    case kBottomLeft: return {w / 4, 3 * h / 4};
    default: return {3 * w / 4, 3 * h / 4};
  }
}

inline const std::array<Rgb, 5> kRegionColours = {{
    {255, 0, 0},     // top left: red
    {0, 255, 0},     // top right: green
    {0, 0, 255},     // bottom left: blue
    {255, 255, 0},   // bottom right: yellow
    {255, 255, 255}  // marker: white
}};

inline void put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}
inline void put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(uint8_t(x));
  v.push_back(uint8_t(x >> 8));
}

struct Dib {
  std::vector<uint8_t> info;  // header, masks, colour table
  std::vector<uint8_t> bits;
};

inline std::vector<uint8_t> infoHeader(int32_t w, int32_t h, uint16_t bpp, uint32_t compression,
                                       uint32_t size_image, uint32_t colours_used) {
  std::vector<uint8_t> v;
  put32(v, 40);
  put32(v, uint32_t(w));
  put32(v, uint32_t(h));
  put16(v, 1);
  put16(v, bpp);
  put32(v, compression);
  put32(v, size_image);
  put32(v, 2835);
  put32(v, 2835);
  put32(v, colours_used);
  put32(v, 0);
  return v;
}

inline void appendPalette(std::vector<uint8_t>& info, const std::vector<Rgb>& palette) {
  for (const Rgb& c : palette) {
    info.push_back(c[2]);
    info.push_back(c[1]);
    info.push_back(c[0]);
    info.push_back(0);
  }
}

// Value of each pixel (palette index or region), picture rows top to bottom.
using Picture = std::vector<std::vector<uint32_t>>;

// Packs an index picture into uncompressed DIB rows of `bpp` bits.
inline std::vector<uint8_t> packIndices(const Picture& pic, uint32_t bpp, bool top_down) {
  const uint32_t h = uint32_t(pic.size()), w = uint32_t(pic[0].size());
  const uint32_t stride = (w * bpp + 31) / 32 * 4;
  std::vector<uint8_t> bits(size_t(stride) * h, 0);
  for (uint32_t r = 0; r < h; ++r) {
    const auto& row = pic[top_down ? r : h - 1 - r];
    uint8_t* out = bits.data() + size_t(r) * stride;
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t bit = x * bpp;
      out[bit / 8] |= uint8_t(row[x] << (8 - bpp - bit % 8));
    }
  }
  return bits;
}

// Run-length rows (bottom-up): the first stored row as literal runs, the
// others as repeat runs, then end of bitmap.
inline std::vector<uint8_t> rleEncode(const Picture& pic, bool rle4) {
  const uint32_t h = uint32_t(pic.size()), w = uint32_t(pic[0].size());
  std::vector<uint8_t> out;
  for (uint32_t r = 0; r < h; ++r) {
    const auto& row = pic[h - 1 - r];
    if (r == 0 && w >= 3 && w <= 255) {
      out.push_back(0);
      out.push_back(uint8_t(w));
      size_t bytes = 0;
      if (rle4) {
        for (uint32_t x = 0; x < w; x += 2, ++bytes)
          out.push_back(uint8_t(row[x] << 4 | (x + 1 < w ? row[x + 1] : 0)));
      } else {
        for (uint32_t x = 0; x < w; ++x, ++bytes) out.push_back(uint8_t(row[x]));
      }
      if (bytes & 1) out.push_back(0);
    } else {
      for (uint32_t x = 0; x < w;) {
        uint32_t n = 1;
        while (x + n < w && n < 255 && row[x + n] == row[x]) ++n;
        out.push_back(uint8_t(n));
        out.push_back(rle4 ? uint8_t(row[x] << 4 | row[x]) : uint8_t(row[x]));
        x += n;
      }
    }
    out.push_back(0);
    out.push_back(r + 1 == h ? 1 : 0);
  }
  return out;
}

inline Picture regionPicture(uint32_t w, uint32_t h) {
  Picture pic(h, std::vector<uint32_t>(w));
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) pic[y][x] = uint32_t(regionAt(x, y, w, h));
  return pic;
}

// One object, one page of 200 x 200 points, the image painted at
// (20, 20) - (180, 180). Returns the file name.
inline std::string writeImagePage(const testkit::TempDir& dir, const ImageStream& image,
                                  const std::string& name = "image.pdf", const std::string& underlay = "") {
  testkit::MiniPdf pdf;
  const int obj = pdf.add(dictionaryText(image, false), &image.body);
  PlacementFrame frame;
  frame.y_origin = 200;
  pdf.addPage(200, 200, underlay + placementOperators(1, 20, 20, 160, 160, frame),
              "<< /XObject << /pxo1 " + std::to_string(obj) + " 0 R >> >>");
  const std::string path = dir.file(name);
  pdf.save(path);
  return path;
}

// Raster position (72 dpi) of the centre of image pixel (x, y) of a w x h
// image painted by writeImagePage.
inline std::array<int, 2> rasterAt(uint32_t x, uint32_t y, uint32_t w, uint32_t h) {
  return {int(20 + (x + 0.5) * 160.0 / w), int(20 + (y + 0.5) * 160.0 / h)};
}

struct ImageListing {
  int width = 0, height = 0;
  std::string color, enc;
  int comp = 0, bpc = 0;
};

// The first row of `pdfimages -list`.
inline ImageListing listFirstImage(const std::string& pdf) {
  ImageListing l;
  auto res = testkit::run("pdfimages -list " + testkit::shellQuote(pdf));
  auto at = res.out.find("-\n");  // end of the dashed rule
  if (res.status != 0 || at == std::string::npos) return l;
  std::string page, num, type, interp;
  std::istringstream row(res.out.substr(at + 2));
  row >> page >> num >> type >> l.width >> l.height >> l.color >> l.comp >> l.bpc >> l.enc;
  return l;
}

inline bool near(const testkit::Raster::Rgb& got, const Rgb& want, int tolerance) {
  return std::abs(got.r - want[0]) <= tolerance && std::abs(got.g - want[1]) <= tolerance &&
         std::abs(got.b - want[2]) <= tolerance;
}

inline std::string describe(const testkit::Raster::Rgb& c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}
inline std::string describe(const Rgb& c) {
  return "(" + std::to_string(c[0]) + "," + std::to_string(c[1]) + "," + std::to_string(c[2]) + ")";
}

}  // namespace pyra::images::test
