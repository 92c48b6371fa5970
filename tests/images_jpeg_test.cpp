// JPEG: our encoder's output, the frame-header reader, and JPEG files
// embedded unchanged as their own DCT streams.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include "engine/images/image_error.h"
#include "engine/images/jpeg_encoder.h"
#include "engine/images/jpeg_header.h"
#include "images_fixture.h"

namespace pyra::images::test {
namespace {

ImageSamples regionSamples(uint32_t w, uint32_t h) {
  ImageSamples s;
  s.width = w;
  s.height = h;
  s.color_space = ColorSpace::Rgb;
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      const Rgb c = kRegionColours[regionAt(x, y, w, h)];
      s.data.insert(s.data.end(), c.begin(), c.end());
    }
  return s;
}

// JPEG files made with libjpeg directly, for the kinds our encoder does not
// write: progressive and Adobe CMYK.
std::vector<uint8_t> libjpegFile(uint32_t w, uint32_t h, int components, bool progressive,
                                 const std::vector<uint8_t>& samples) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr err{};
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buf = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buf, &size);
  cinfo.image_width = w;
  cinfo.image_height = h;
  cinfo.input_components = components;
  cinfo.in_color_space = components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < h) {
    JSAMPROW row = const_cast<JSAMPROW>(samples.data() + size_t(cinfo.next_scanline) * w * components);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(buf, buf + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buf);
  return out;
}

void expectRegions(const std::string& pdf, uint32_t w, uint32_t h, const std::array<Rgb, 5>& colours,
                   int tolerance, const std::string& name) {
  const testkit::Raster raster = testkit::renderPage(pdf, 1);
  ASSERT_EQ(raster.width, 200) << name;
  for (int region = 0; region < 5; ++region) {
    const auto [px, py] = probePixel(region, w, h);
    const auto [rx, ry] = rasterAt(px, py, w, h);
    const auto got = raster.at(rx, ry);
    EXPECT_TRUE(near(got, colours[region], tolerance))
        << name << " region " << region << ": got " << describe(got) << ", want " << describe(colours[region]);
  }
}

TEST(JpegEncoder, RgbAndGreyBecomeBaselineJfifThatReadersShowUpright) {
  testkit::TempDir dir;
  for (int quality : {1, 25, 100}) {
    SCOPED_TRACE(quality);
    const ImageSamples s = regionSamples(64, 48);
    const auto jpeg = encodeJpeg(s, quality);
    const JpegInfo info = readJpegInfo(jpeg);
    EXPECT_EQ(info.frame_marker, 0xC0);
    EXPECT_TRUE(info.jfif);
    EXPECT_EQ(info.width, 64u);
    EXPECT_EQ(info.height, 48u);
    EXPECT_EQ(info.components, 3);
    ImageStreamOptions o;
    o.number = 1;
    const std::string pdf = writeImagePage(dir, makeJpegImage(s, quality, o));
    EXPECT_TRUE(testkit::qpdfCheck(pdf));
    const ImageListing l = listFirstImage(pdf);
    EXPECT_EQ(l.enc, "jpeg");
    EXPECT_EQ(l.color, "rgb");
    if (quality >= 25) expectRegions(pdf, 64, 48, kRegionColours, quality == 100 ? 24 : 64, "q" + std::to_string(quality));
  }
  ImageSamples grey;
  grey.width = 40;
  grey.height = 40;
  grey.color_space = ColorSpace::Gray;
  grey.data.assign(40 * 40, 77);
  ImageStreamOptions o;
  o.number = 3;
  const ImageStream img = makeJpegImage(grey, 90, o);
  EXPECT_EQ(readJpegInfo(img.body).components, 1);
  EXPECT_NE(img.entries.find("/ColorSpace/DeviceGray"), std::string::npos);
  EXPECT_NE(img.entries.find("/Name/pxo3"), std::string::npos);
}

TEST(JpegEncoder, RefusesWhatLibjpegCannotTakeWithoutExiting) {
  ImageSamples s = regionSamples(4, 4);
  s.width = 70000;  // beyond JPEG's 65500-pixel limit
  EXPECT_THROW(encodeJpeg(s, 50), ImageError);
  ImageSamples cmyk = regionSamples(4, 4);
  cmyk.color_space = ColorSpace::Cmyk;
  EXPECT_THROW(encodeJpeg(cmyk, 50), ImageError);
  ImageSamples short_data = regionSamples(4, 4);
  short_data.data.resize(10);
  EXPECT_THROW(encodeJpeg(short_data, 50), ImageError);
}

TEST(JpegEmbedding, BaselineFileIsItsOwnStreamByteForByte) {
  testkit::TempDir dir;
  const auto file = encodeJpeg(regionSamples(48, 32), 80);
  ImageStreamOptions o;
  o.number = 2;
  auto img = makeImageFromData(2, file, 48, 32, o);
  ASSERT_TRUE(img);
  EXPECT_EQ(img->body, file);
  EXPECT_EQ(img->filters, std::vector<std::string>{"/DCTDecode"});
  EXPECT_EQ(img->entries,
            "\n/Type/XObject\n/Subtype/Image\n/Name/pxo2\n/Width 48\n/Height 32\n"
            "/BitsPerComponent 8/ColorSpace/DeviceRGB\n");
  const std::string pdf = writeImagePage(dir, *img);
  // The stream in the file is the JPEG itself, not a re-encoding of it.
  auto raw = testkit::run("qpdf --show-object=1 --raw-stream-data " + testkit::shellQuote(pdf));
  ASSERT_EQ(raw.status, 0);
  EXPECT_EQ(std::vector<uint8_t>(raw.out.begin(), raw.out.end()), file);
  EXPECT_EQ(listFirstImage(pdf).enc, "jpeg");
  expectRegions(pdf, 48, 32, kRegionColours, 40, "embedded");
}

TEST(JpegEmbedding, SizeAndColourSpaceComeFromTheFrameNotTheCaller) {
  // A caller who says RGB (format 2) and the wrong size for a grey JPEG
  // would otherwise get an image no reader can draw.
  ImageSamples grey;
  grey.width = 24;
  grey.height = 16;
  grey.color_space = ColorSpace::Gray;
  grey.data.assign(24 * 16, 200);
  const auto file = encodeJpeg(grey, 90);
  auto img = makeImageFromData(2, file, 100, 100, {});
  ASSERT_TRUE(img);
  EXPECT_NE(img->entries.find("/Width 24\n/Height 16\n"), std::string::npos);
  EXPECT_NE(img->entries.find("/ColorSpace/DeviceGray"), std::string::npos);
}

TEST(JpegEmbedding, ProgressiveAndAdobeCmykFilesShowTheirColours) {
  testkit::TempDir dir;
  const ImageSamples rgb = regionSamples(48, 48);
  const auto progressive = libjpegFile(48, 48, 3, true, rgb.data);
  EXPECT_TRUE(readJpegInfo(progressive).progressive());
  ImageStreamOptions o;
  o.number = 1;
  auto img = makeImageFromData(2, progressive, 48, 48, o);
  ASSERT_TRUE(img);
  std::string pdf = writeImagePage(dir, *img, "progressive.pdf");
  EXPECT_TRUE(testkit::qpdfCheck(pdf));
  expectRegions(pdf, 48, 48, kRegionColours, 40, "progressive");

  // Adobe-style CMYK: stored inverted (255 = no ink), flagged by APP14.
  // The oracle is the same inks given as raw CMYK samples, as readers show
  // them.
  std::vector<uint8_t> cmyk, inks;
  for (uint32_t y = 0; y < 48; ++y)
    for (uint32_t x = 0; x < 48; ++x) {
      const Rgb c = kRegionColours[regionAt(x, y, 48, 48)];
      cmyk.insert(cmyk.end(), {c[0], c[1], c[2], 255});
      inks.insert(inks.end(), {uint8_t(255 - c[0]), uint8_t(255 - c[1]), uint8_t(255 - c[2]), 0});
    }
  auto raw = makeImageFromData(9, inks, 48, 48, o);
  ASSERT_TRUE(raw);
  const testkit::Raster oracle = testkit::renderPage(writeImagePage(dir, *raw, "inks.pdf"), 1);
  ASSERT_EQ(oracle.width, 200);
  std::array<Rgb, 5> want{};
  for (int r = 0; r < 5; ++r) {
    const auto [px, py] = probePixel(r, 48, 48);
    const auto [rx, ry] = rasterAt(px, py, 48, 48);
    const auto c = oracle.at(rx, ry);
    want[r] = {uint8_t(c.r), uint8_t(c.g), uint8_t(c.b)};
  }
  const auto cmyk_file = libjpegFile(48, 48, 4, false, cmyk);
  const JpegInfo info = readJpegInfo(cmyk_file);
  EXPECT_EQ(info.components, 4);
  EXPECT_TRUE(info.adobe);
  img = makeImageFromData(6, cmyk_file, 48, 48, o);
  ASSERT_TRUE(img);
  EXPECT_NE(img->entries.find("/ColorSpace/DeviceCMYK\n/Decode [1 0 1 0 1 0 1 0]"), std::string::npos);
  pdf = writeImagePage(dir, *img, "cmyk.pdf");
  EXPECT_EQ(listFirstImage(pdf).color, "cmyk");
  expectRegions(pdf, 48, 48, want, 60, "adobe cmyk");
}

// Hand-made marker sequences for the header reader.
std::vector<uint8_t> jpegWithFrame(uint8_t marker, uint8_t precision, uint16_t h, uint16_t w, uint8_t comps) {
  std::vector<uint8_t> v = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
  const uint16_t len = uint16_t(8 + 3 * comps);
  v.insert(v.end(), {0xFF, marker, uint8_t(len >> 8), uint8_t(len), precision, uint8_t(h >> 8), uint8_t(h),
                     uint8_t(w >> 8), uint8_t(w), comps});
  for (uint8_t c = 0; c < comps; ++c) v.insert(v.end(), {uint8_t(c + 1), 0x11, 0});
  v.insert(v.end(), {0xFF, 0xD9});
  return v;
}

TEST(JpegHeader, MalformedAndUnsupportedFilesAreRefusedCleanly) {
  const auto good = jpegWithFrame(0xC0, 8, 10, 20, 3);
  EXPECT_NO_THROW(readJpegInfo(good));
  struct Row {
    std::string name;
    std::vector<uint8_t> data;
  };
  std::vector<Row> rows = {
      {"empty", {}},
      {"not_jpeg", {'B', 'M', 0, 0}},
      {"soi_only", {0xFF, 0xD8}},
      {"scan_before_frame", {0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x02}},
      {"segment_length_below_two", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01}},
      {"segment_longer_than_file", {0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xFF, 0, 0}},
      {"frame_with_missing_components", {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x0B, 8, 0, 10, 0, 20, 3, 1, 0x11, 0}},
  };
  for (size_t cut = 1; cut + 2 < good.size(); cut += 3)
    rows.push_back({"truncated_at_" + std::to_string(cut), {good.begin(), good.begin() + ptrdiff_t(cut)}});
  for (const Row& r : rows) {
    EXPECT_THROW(readJpegInfo(r.data), ImageError) << r.name;
    EXPECT_THROW(makeDctImage(r.data, {}), ImageError) << r.name;
  }
  // Frames PDF's DCT decoders do not take: a clear error, not a broken image.
  struct Unsupported {
    std::string name;
    std::vector<uint8_t> data;
  };
  for (const Unsupported& u : std::vector<Unsupported>{
           {"lossless", jpegWithFrame(0xC3, 8, 10, 20, 3)},
           {"arithmetic", jpegWithFrame(0xC9, 8, 10, 20, 3)},
           {"twelve_bit", jpegWithFrame(0xC1, 12, 10, 20, 3)},
           {"zero_height", jpegWithFrame(0xC0, 8, 0, 20, 3)},
           {"two_components", jpegWithFrame(0xC0, 8, 10, 20, 2)}}) {
    EXPECT_NO_THROW(readJpegInfo(u.data)) << u.name;
    EXPECT_THROW(makeDctImage(u.data, {}), ImageError) << u.name;
  }
}

}  // namespace
}  // namespace pyra::images::test
