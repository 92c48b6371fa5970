// Every DIB pixel format in every image encoding, judged by poppler: the
// colours and orientation of a test picture (pdftoppm probes) and what
// pdfimages reports about the image.
#include <gtest/gtest.h>

#include "engine/images/dib_image.h"
#include "engine/images/dib_header.h"
#include "images_fixture.h"

namespace pyra::images::test {
namespace {

struct FormatCase {
  std::string name;
  uint32_t w, h;
  uint16_t bpp;
  uint32_t compression;
  bool top_down;
  std::vector<Rgb> palette;                // palette formats: index -> colour
  std::array<uint32_t, 5> index_of{};      // region -> index (palette formats)
  std::array<uint32_t, 3> masks{};         // bit fields: red, green, blue
  std::string color;                       // pdfimages colour column
  int bpc;
};

std::vector<Rgb> greyRamp(int bits) {
  std::vector<Rgb> p;
  const int n = 1 << bits;
  for (int i = 0; i < n; ++i) {
    const uint8_t v = uint8_t(i * 255 / (n - 1));
    p.push_back({v, v, v});
  }
  return p;
}

// A palette with the region colours at scattered positions, so that a
// decoder reading the table in the wrong order shows wrong colours.
std::vector<Rgb> scatteredPalette(int entries, std::array<uint32_t, 5> index_of) {
  std::vector<Rgb> p(size_t(entries), Rgb{128, 0, 128});
  for (int r = 0; r < 5; ++r) p[index_of[r]] = kRegionColours[r];
  return p;
}

std::vector<FormatCase> formatCases() {
  const std::array<uint32_t, 5> idx8 = {200, 7, 255, 0, 31};
  const std::array<uint32_t, 5> idx4 = {9, 2, 15, 0, 5};
  const std::array<uint32_t, 5> two = {0, 1, 1, 0, 1};
  const std::array<uint32_t, 5> greys = {30, 90, 150, 200, 255};
  std::vector<FormatCase> c = {
      {"rgb24_bottom_up", 32, 32, 24, kBiRgb, false, {}, {}, {}, "rgb", 8},
      {"rgb24_top_down", 32, 32, 24, kBiRgb, true, {}, {}, {}, "rgb", 8},
      {"rgb24_odd_size", 13, 9, 24, kBiRgb, false, {}, {}, {}, "rgb", 8},
      {"rgb32", 32, 32, 32, kBiRgb, false, {}, {}, {}, "rgb", 8},
      {"rgb32_bitfields_rgba_order", 32, 32, 32, kBiBitfields, true, {}, {}, {0xFF, 0xFF00, 0xFF0000}, "rgb", 8},
      {"rgb16_555", 32, 32, 16, kBiRgb, false, {}, {}, {}, "rgb", 8},
      {"rgb16_565_bitfields", 31, 17, 16, kBiBitfields, false, {}, {}, {0xF800, 0x07E0, 0x001F}, "rgb", 8},
      {"pal8", 32, 32, 8, kBiRgb, false, scatteredPalette(256, idx8), idx8, {}, "index", 8},
      {"pal8_top_down", 32, 32, 8, kBiRgb, true, scatteredPalette(256, idx8), idx8, {}, "index", 8},
      {"pal4", 32, 32, 4, kBiRgb, false, scatteredPalette(16, idx4), idx4, {}, "index", 4},
      {"pal4_odd_width", 15, 11, 4, kBiRgb, false, scatteredPalette(16, idx4), idx4, {}, "index", 4},
      {"rle8", 32, 32, 8, kBiRle8, false, scatteredPalette(256, idx8), idx8, {}, "index", 8},
      {"rle4", 29, 32, 4, kBiRle4, false, scatteredPalette(16, idx4), idx4, {}, "index", 4},
      {"grey8_ramp", 32, 32, 8, kBiRgb, false, greyRamp(8), greys, {}, "gray", 8},
      {"mono_black_white", 32, 32, 1, kBiRgb, false, {{0, 0, 0}, {255, 255, 255}}, two, {}, "gray", 1},
      {"mono_white_black", 33, 32, 1, kBiRgb, false, {{255, 255, 255}, {0, 0, 0}}, two, {}, "gray", 1},
      {"mono_white_black_top_down", 32, 20, 1, kBiRgb, true, {{255, 255, 255}, {0, 0, 0}}, two, {}, "gray", 1},
      {"mono_coloured_table", 21, 32, 1, kBiRgb, false, {{200, 0, 0}, {0, 0, 200}}, two, {}, "index", 1},
  };
  return c;
}

Rgb expectedColour(const FormatCase& c, int region) {
  if (!c.palette.empty()) return c.palette[c.index_of[region]];
  Rgb col = kRegionColours[region];
  if (c.bpp == 16) {
    // Channels are widened by shifting: 5 bits give multiples of 8, 6 of 4.
    const bool six_green = c.masks[1] == 0x07E0;
    return {uint8_t(col[0] & 0xF8), uint8_t(col[1] & (six_green ? 0xFC : 0xF8)), uint8_t(col[2] & 0xF8)};
  }
  return col;
}

uint32_t pixelValue(const FormatCase& c, int region) {
  if (!c.palette.empty()) return c.index_of[region];
  const Rgb col = kRegionColours[region];
  if (c.bpp == 16) {
    if (c.compression == kBiBitfields) return uint32_t((col[0] >> 3) << 11 | (col[1] >> 2) << 5 | col[2] >> 3);
    return uint32_t((col[0] >> 3) << 10 | (col[1] >> 3) << 5 | col[2] >> 3);
  }
  if (c.compression == kBiBitfields) return uint32_t(col[0] | col[1] << 8 | col[2] << 16);
  return uint32_t(col[2] | col[1] << 8 | col[0] << 16);  // stored blue, green, red
}

Dib makeCaseDib(const FormatCase& c) {
  Dib d;
  Picture pic = regionPicture(c.w, c.h);
  for (auto& row : pic)
    for (auto& v : row) v = pixelValue(c, int(v));
  if (c.compression == kBiRle8 || c.compression == kBiRle4) {
    d.bits = rleEncode(pic, c.compression == kBiRle4);
  } else if (c.bpp <= 8) {
    d.bits = packIndices(pic, c.bpp, c.top_down);
  } else {
    const uint32_t stride = (c.w * c.bpp + 31) / 32 * 4;
    d.bits.assign(size_t(stride) * c.h, 0);
    for (uint32_t r = 0; r < c.h; ++r) {
      const auto& row = pic[c.top_down ? r : c.h - 1 - r];
      for (uint32_t x = 0; x < c.w; ++x)
        for (uint32_t b = 0; b < c.bpp / 8u; ++b)
          d.bits[size_t(r) * stride + x * (c.bpp / 8u) + b] = uint8_t(row[x] >> (8 * b));
    }
  }
  const uint32_t size_image = (c.compression == kBiRle8 || c.compression == kBiRle4) ? uint32_t(d.bits.size()) : 0;
  d.info = infoHeader(int32_t(c.w), c.top_down ? -int32_t(c.h) : int32_t(c.h), c.bpp, c.compression, size_image,
                      uint32_t(c.palette.size()));
  if (c.compression == kBiBitfields)
    for (uint32_t m : c.masks) put32(d.info, m);
  appendPalette(d.info, c.palette);
  return d;
}

struct Encoding {
  std::string name;
  Compression compression;
  bool jpeg;
};

const std::vector<Encoding> kEncodings = {
    {"flate", Compression::Flate, false},
    {"no_compression_setting", Compression::None, false},
    {"fast_flate", Compression::FastFlate, false},
    {"run_length", Compression::RunLength, false},
    {"jpeg", Compression::Flate, true},
};

TEST(ImageFormats, EveryFormatInEveryEncodingShowsThePictureUpright) {
  testkit::TempDir dir;
  for (const FormatCase& fc : formatCases()) {
    for (const Encoding& enc : kEncodings) {
      const std::string name = fc.name + "/" + enc.name;
      SCOPED_TRACE(name);
      const Dib dib = makeCaseDib(fc);
      DibImageRequest req;
      req.jpeg = enc.jpeg;
      req.jpeg_quality = 95;
      req.stream.number = 1;
      req.stream.compression = enc.compression;
      DibImage img;
      ASSERT_NO_THROW(img = makeDibImage(dib.info, dib.bits, req)) << name;
      const bool jpeg = enc.jpeg && fc.bpp != 1;
      const std::string pdf = writeImagePage(dir, img.stream, fc.name + "_" + enc.name + ".pdf");
      std::string report;
      EXPECT_TRUE(testkit::qpdfCheck(pdf, &report)) << name << ": " << report;

      const ImageListing l = listFirstImage(pdf);
      EXPECT_EQ(l.width, int(fc.w)) << name;
      EXPECT_EQ(l.height, int(fc.h)) << name;
      EXPECT_EQ(l.color, jpeg ? (fc.color == "gray" ? "gray" : "rgb") : fc.color) << name;
      EXPECT_EQ(l.bpc, jpeg ? 8 : fc.bpc) << name;
      EXPECT_EQ(l.enc, jpeg ? "jpeg" : "image") << name;
      if (!jpeg) {
        const bool rle = enc.compression == Compression::RunLength;
        const std::string want = rle ? "/RunLengthDecode" : "/FlateDecode";
        // Run-length only stays when it saves bytes.
        if (!rle || !img.stream.filters.empty()) {
          EXPECT_EQ(img.stream.filters.at(0), want) << name;
        }
      }

      const testkit::Raster raster = testkit::renderPage(pdf, 1);
      ASSERT_EQ(raster.width, 200) << name;
      // JPEG's subsampled chroma bleeds across the few pixels of a tiny
      // picture; its colours are probed on the 32 x 32 ones.
      if (jpeg && (fc.w < 32 || fc.h < 32)) continue;
      for (int region = 0; region < 5; ++region) {
        const auto [px, py] = probePixel(region, fc.w, fc.h);
        const auto [rx, ry] = rasterAt(px, py, fc.w, fc.h);
        const Rgb want = expectedColour(fc, region);
        const auto got = raster.at(rx, ry);
        EXPECT_TRUE(near(got, want, jpeg ? 48 : 3))
            << name << " region " << region << " at pixel (" << px << "," << py << "): got " << describe(got)
            << ", want " << describe(want);
      }
    }
  }
}

}  // namespace
}  // namespace pyra::images::test
