// DIB decoding rules: cropping, rows the bits do not hold, 1-bit masks,
// run-length escapes, palettes, and the drawing plan's rectangle.
#include <gtest/gtest.h>

#include "engine/images/dib_decoder.h"
#include "engine/images/dib_image.h"
#include "engine/images/image_error.h"
#include "engine/images/image_key_list.h"
#include "images_fixture.h"

namespace pyra::images::test {
namespace {

// An index bitmap of the region picture with the region number as index.
Dib regionIndexDib(uint32_t w, uint32_t h, uint16_t bpp, bool top_down) {
  Dib d;
  const std::vector<Rgb> palette(kRegionColours.begin(), kRegionColours.end());
  Picture pic = regionPicture(w, h);
  if (bpp == 1)
    for (auto& row : pic)
      for (auto& v : row) v = (v == kTopLeft || v == kBottomRight) ? 0 : 1;
  d.bits = packIndices(pic, bpp, top_down);
  d.info = infoHeader(int32_t(w), top_down ? -int32_t(h) : int32_t(h), bpp, kBiRgb, 0, 0);
  if (bpp == 1) appendPalette(d.info, {{0, 0, 0}, {255, 255, 255}});
  else appendPalette(d.info, palette);
  return d;
}

// Sample value (index) at (x, y) of decoded samples.
uint32_t sampleAt(const ImageSamples& s, uint32_t x, uint32_t y) {
  const size_t bit = size_t(x) * s.bits_per_component;
  const uint8_t byte = s.data[size_t(y) * s.rowBytes() + bit / 8];
  return (byte >> (8 - s.bits_per_component - bit % 8)) & ((1u << s.bits_per_component) - 1);
}

TEST(DibCrop, SourceRectangleCutsEveryDepthAtAnyPixel) {
  // Source y counts stored rows: from the bottom of a bottom-up bitmap.
  for (uint16_t bpp : {1, 4, 8}) {
    for (bool top_down : {false, true}) {
      const std::string name = std::to_string(bpp) + (top_down ? "_top_down" : "_bottom_up");
      SCOPED_TRACE(name);
      const uint32_t w = 37, h = 23;
      const Dib d = regionIndexDib(w, h, bpp, top_down);
      const SourceRect rect{3, 5, 20, 9};
      DibDecodeOptions o;
      o.crop = rect;
      const DecodedDib out = decodeDib(d.info, d.bits, o);
      ASSERT_EQ(out.samples.width, 20u) << name;
      ASSERT_EQ(out.samples.height, 9u) << name;
      const Dib whole = regionIndexDib(w, h, bpp, top_down);
      const DecodedDib full = decodeDib(whole.info, whole.bits);
      // Picture row of the first (top) output row.
      const uint32_t top = top_down ? 5 : h - 5 - 9;
      for (uint32_t y = 0; y < 9; ++y)
        for (uint32_t x = 0; x < 20; ++x)
          ASSERT_EQ(sampleAt(out.samples, x, y), sampleAt(full.samples, x + 3, y + top))
              << name << " at " << x << "," << y;
    }
  }
  // 24-bit: the top-right quadrant of a bottom-up bitmap is rows 16..31.
  Dib d;
  const uint32_t w = 32, h = 32, stride = 96;
  d.info = infoHeader(32, 32, 24, kBiRgb, 0, 0);
  d.bits.assign(stride * h, 0);
  for (uint32_t r = 0; r < h; ++r)
    for (uint32_t x = 0; x < w; ++x) {
      const Rgb c = kRegionColours[regionAt(x, h - 1 - r, w, h)];
      for (int k = 0; k < 3; ++k) d.bits[r * stride + x * 3 + k] = c[2 - k];
    }
  DibDecodeOptions o;
  o.crop = SourceRect{16, 16, 16, 16};
  const DecodedDib q = decodeDib(d.info, d.bits, o);
  ASSERT_EQ(q.samples.data.size(), 16u * 16 * 3);
  for (size_t i = 0; i < q.samples.data.size(); i += 3)
    ASSERT_EQ((Rgb{q.samples.data[i], q.samples.data[i + 1], q.samples.data[i + 2]}), kRegionColours[kTopRight]);
  // A rectangle reaching past the bitmap is clipped; one outside it is an error.
  o.crop = SourceRect{24, 24, 100, 100};
  EXPECT_EQ(decodeDib(d.info, d.bits, o).samples.width, 8u);
  o.crop = SourceRect{40, 0, 5, 5};
  EXPECT_THROW(decodeDib(d.info, d.bits, o), ImageError);
  o.crop = SourceRect{-10, -10, 15, 15};
  EXPECT_EQ(decodeDib(d.info, d.bits, o).samples.width, 5u);
}

TEST(DibDraw, CropFlagDecidesWhetherTheSourceRectangleIsUsed) {
  const Dib d = regionIndexDib(32, 32, 8, false);
  DibDraw draw{d.info, d.bits, 10, 10, 100, 100, SourceRect{0, 0, 16, 16}, true};
  DibImageRequest req;
  req.stream.number = 4;
  EXPECT_EQ(planDibDraw(draw, req).image->stream.width, 16u);
  draw.crop = false;  // device option 0x0100: no source cropping
  EXPECT_EQ(planDibDraw(draw, req).image->stream.width, 32u);
}

TEST(DibDraw, RowsTheBitsDoNotHoldLeaveTheirShareOfTheRectangleEmpty) {
  for (bool top_down : {false, true}) {
    SCOPED_TRACE(top_down);
    Dib d = regionIndexDib(16, 40, 8, top_down);
    d.bits.resize(16 * 30);  // 30 of 40 stored rows
    DibDraw draw{d.info, d.bits, 10, 20, 80, 200, std::nullopt, false};
    DibImageRequest req;
    req.stream.number = 1;
    const DibDrawPlan plan = planDibDraw(draw, req);
    ASSERT_TRUE(plan.image);
    EXPECT_EQ(plan.image->stream.height, 30u);
    EXPECT_NE(plan.image->stream.entries.find("/Height 30\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(plan.height, 150);
    // Bottom-up bitmaps lose their top rows, top-down ones their bottom rows.
    EXPECT_DOUBLE_EQ(plan.y, top_down ? 20 : 70);
    EXPECT_DOUBLE_EQ(plan.x, 10);
    EXPECT_DOUBLE_EQ(plan.width, 80);
  }
}

TEST(DibDraw, DegenerateRectanglesAndHugeHeadersDrawNothingSilently) {
  const Dib d = regionIndexDib(8, 8, 8, false);
  DibImageRequest req;
  for (auto [w, h] : std::vector<std::pair<double, double>>{{0.005, 10}, {10, -0.009}, {0, 0}}) {
    DibDraw draw{d.info, d.bits, 0, 0, w, h, std::nullopt, false};
    EXPECT_FALSE(planDibDraw(draw, req).image) << w << " x " << h;
  }
  std::vector<uint8_t> big = d.info;
  big[0] = 0x01;  // header size 1025
  big[1] = 0x04;
  DibDraw draw{big, d.bits, 0, 0, 10, 10, std::nullopt, false};
  EXPECT_FALSE(planDibDraw(draw, req).image);
  // Negative extents (mirrored drawing) are drawn.
  DibDraw mirrored{d.info, d.bits, 0, 0, -10, -10, std::nullopt, false};
  EXPECT_TRUE(planDibDraw(mirrored, req).image);
}

TEST(DibMask, WhiteOfOneBitImagesBecomesTransparentUnderTheMaskRule) {
  EXPECT_FALSE(maskRuleHolds(0x0000, true));
  EXPECT_FALSE(maskRuleHolds(0x0200, false));
  EXPECT_TRUE(maskRuleHolds(0x0200, true));
  EXPECT_TRUE(maskRuleHolds(0x0204, false));
  EXPECT_FALSE(maskRuleHolds(0x0004, false));

  testkit::TempDir dir;
  struct Case {
    std::string name;
    std::vector<Rgb> table;
    std::string mask;
  };
  for (const Case& c : std::vector<Case>{{"black_white", {{0, 0, 0}, {255, 255, 255}}, "/Mask [1 1]"},
                                          {"white_black", {{255, 255, 255}, {0, 0, 0}}, "/Mask [1 1]"},
                                          {"white_red", {{255, 255, 255}, {255, 0, 0}}, "/Mask [0 0]"}}) {
    SCOPED_TRACE(c.name);
    Dib d = regionIndexDib(32, 32, 1, false);
    d.info.resize(40);
    appendPalette(d.info, c.table);
    DibImageRequest req;
    req.stream.number = 1;
    req.decode.mask_white_1bit = true;
    const DibImage img = makeDibImage(d.info, d.bits, req);
    EXPECT_NE(img.stream.entries.find(c.mask), std::string::npos) << c.name << ": " << img.stream.entries;
    // Over a green page the white pixels show green, the others their colour.
    const std::string pdf = writeImagePage(dir, img.stream, c.name + ".pdf", "0 1 0 rg 0 0 200 200 re f ");
    EXPECT_TRUE(testkit::qpdfCheck(pdf)) << c.name;
    const testkit::Raster r = testkit::renderPage(pdf, 1);
    ASSERT_EQ(r.width, 200) << c.name;
    for (int region = 0; region < 5; ++region) {
      const auto [px, py] = probePixel(region, 32, 32);
      const auto [rx, ry] = rasterAt(px, py, 32, 32);
      const uint32_t index = (region == kTopLeft || region == kBottomRight) ? 0 : 1;
      Rgb want = c.table[index];
      if (want == Rgb{255, 255, 255}) want = {0, 255, 0};
      EXPECT_TRUE(near(r.at(rx, ry), want, 3)) << c.name << " region " << region << ": " << describe(r.at(rx, ry));
    }
  }
  // Without the rule no mask is written.
  const Dib d = regionIndexDib(8, 8, 1, false);
  EXPECT_EQ(makeDibImage(d.info, d.bits, {}).stream.entries.find("/Mask"), std::string::npos);
}

TEST(DibDecode, SixteenBitWhiteIsWidenedByShifting) {
  std::vector<uint8_t> info = infoHeader(2, 1, 16, kBiRgb, 0, 0);
  const std::vector<uint8_t> bits = {0xFF, 0x7F, 0x00, 0x7C};
  const DecodedDib d = decodeDib(info, bits);
  EXPECT_EQ(d.samples.data, (std::vector<uint8_t>{248, 248, 248, 248, 0, 0}));
}

TEST(DibDecode, PaletteEntriesBeyondTheTableOrTheDepthAreNeverRead) {
  // 8-bit bitmap announcing 1000 colours but holding 2: indices 0..1 are
  // coloured, the rest take entry 0, and the 256-entry palette is whole.
  std::vector<uint8_t> info = infoHeader(4, 1, 8, kBiRgb, 0, 1000);
  appendPalette(info, {{10, 20, 30}, {40, 50, 60}});
  const std::vector<uint8_t> bits = {0, 1, 2, 255};
  const DecodedDib d = decodeDib(info, bits);
  ASSERT_EQ(d.samples.color_space, ColorSpace::Indexed);
  ASSERT_EQ(d.samples.palette.size(), 256u * 3);
  EXPECT_EQ((std::vector<uint8_t>(d.samples.palette.begin(), d.samples.palette.begin() + 9)),
            (std::vector<uint8_t>{10, 20, 30, 40, 50, 60, 10, 20, 30}));
  EXPECT_EQ(d.samples.data, bits);
  // A palette from the device context: RGB entries, limited count.
  DibDecodeOptions o;
  o.palette_override = std::vector<std::array<uint8_t, 3>>{{1, 2, 3}};
  const DecodedDib p = decodeDib(info, bits, o);
  EXPECT_EQ((std::vector<uint8_t>(p.samples.palette.begin(), p.samples.palette.begin() + 6)),
            (std::vector<uint8_t>{1, 2, 3, 1, 2, 3}));
}

TEST(DibDecode, RunLengthEscapesFollowTheirMeaning) {
  struct Case {
    std::string name;
    bool rle4;
    uint32_t w, h;
    std::vector<uint8_t> data;
    std::vector<uint8_t> want;  // indices, picture rows top to bottom
  };
  const std::vector<Case> cases = {
      // Stored rows: bottom first. End of bitmap right after the rows.
      {"rows_then_end", false, 3, 2, {3, 7, 0, 0, 3, 9, 0, 1}, {9, 9, 9, 7, 7, 7}},
      // End of line at column 0 leaves that row empty.
      {"empty_row", false, 2, 3, {0, 0, 2, 5, 0, 0, 0, 1}, {0, 0, 5, 5, 0, 0}},
      // Delta: two columns right and one row up, with unsigned offsets.
      {"delta", false, 4, 2, {1, 3, 0, 2, 2, 1, 1, 4, 0, 1}, {0, 0, 0, 4, 3, 0, 0, 0}},
      // Literal of three bytes, padded to a 16-bit boundary.
      {"literal_padded", false, 4, 2, {0, 3, 1, 2, 3, 0, 1, 6, 0, 0, 2, 8, 0, 1}, {8, 8, 0, 0, 1, 2, 3, 6}},
      // Runs longer than the row are clipped to it; deltas past the image end it.
      {"run_past_row", false, 2, 2, {200, 4, 0, 0, 0, 2, 255, 255, 9, 9}, {0, 0, 4, 4}},
      // Literal running past the end of the data keeps what is there.
      {"literal_past_data", false, 4, 1, {0, 8, 1, 2}, {1, 2, 0, 0}},
      // RLE4: runs alternate high and low nibble; literals hold nibbles.
      {"rle4_run_and_literal", true, 5, 2, {5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1}, {3, 4, 5, 0, 0, 1, 2, 1, 2, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> info = infoHeader(int32_t(c.w), int32_t(c.h), c.rle4 ? 4 : 8, c.rle4 ? kBiRle4 : kBiRle8,
                                           uint32_t(c.data.size()), 0);
    for (int i = 0; i < (c.rle4 ? 16 : 256); ++i) appendPalette(info, {{uint8_t(i), 0, 0}});
    const DecodedDib d = decodeDib(info, c.data);
    const ImageSamples s = expandTo8Bit(d.samples);
    std::vector<uint8_t> got;
    for (size_t i = 0; i < s.data.size(); i += 3) got.push_back(s.data[i]);
    EXPECT_EQ(got, c.want) << c.name;
  }
}

TEST(ImageData, FormatCodesMakeTheirImagesOrTheirErrors) {
  ImageStreamOptions o;
  o.number = 7;
  std::vector<uint8_t> rgb(6 * 4 * 3, 100), cmyk(6 * 4 * 4, 50), grey(6 * 4, 20);
  struct Row {
    int format;
    std::vector<uint8_t>* data;
    std::string colour;
  };
  for (const Row& r : std::vector<Row>{{8, &rgb, "/BitsPerComponent 8/ColorSpace/DeviceRGB\n"},
                                       {9, &cmyk, "/BitsPerComponent 8/ColorSpace/DeviceCMYK\n"},
                                       {10, &grey, "/BitsPerComponent 8/ColorSpace/DeviceGray\n"}}) {
    auto img = makeImageFromData(r.format, *r.data, 6, 4, o);
    ASSERT_TRUE(img) << r.format;
    EXPECT_EQ(img->entries, "\n/Type/XObject\n/Subtype/Image\n/Name/pxo7\n/Width 6\n/Height 4\n" + r.colour)
        << r.format;
    EXPECT_EQ(img->filters, std::vector<std::string>{"/FlateDecode"}) << r.format;
    EXPECT_THROW(makeImageFromData(r.format, std::span(*r.data).first(r.data->size() - 1), 6, 4, o), ImageError)
        << r.format;
  }
  EXPECT_FALSE(makeImageFromData(8, rgb, 0, 4, o));  // silently no image
  EXPECT_FALSE(makeImageFromData(0, rgb, 6, 0, o));
  EXPECT_THROW(makeImageFromData(0, rgb, 6, 4, o), ImageError);
  EXPECT_THROW(makeImageFromData(11, rgb, 6, 4, o), ImageError);
  EXPECT_THROW(makeImageFromData(8, {}, 6, 4, o), ImageError);
  EXPECT_THROW(makeImageFromData(8, rgb, 0x10000, 0x10000, o), ImageError);
  try {
    makeImageFromData(1, rgb, 6, 4, o);
    FAIL();
  } catch (const ImageError& e) {
    EXPECT_STREQ(e.what(), "Invalid bitmap");
    EXPECT_EQ(e.code(), 2);
  }
}

TEST(ImageData, CcittDataPassesThroughWithItsParameters) {
  testkit::TempDir dir;
  // Group 4, 16 white rows of 16 pixels: one V0 code per row, then EOFB.
  const std::vector<uint8_t> g4 = {0xFF, 0xFF, 0x00, 0x10, 0x01};
  ImageStreamOptions o;
  o.number = 1;
  for (int format : {3, 4, 5}) {
    auto img = makeImageFromData(format, g4, 16, 16, o);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->body, g4);
    EXPECT_EQ(img->filters, std::vector<std::string>{"/CCITTFaxDecode"});
    const std::string k = format == 3 ? "-1" : format == 4 ? "0" : "1";
    EXPECT_EQ(img->decode_parms.at(0), "<< /K " + k + " /Columns 16 /Rows 16 >>");
  }
  // Under the writer's own ASCII base-85 or hex filter the parameters stay
  // with the fax filter.
  EXPECT_EQ(decodeParmsEntry(*makeImageFromData(3, g4, 16, 16, o), 1),
            "\n/DecodeParms [null << /K -1 /Columns 16 /Rows 16 >>]");
  const std::string pdf = writeImagePage(dir, *makeImageFromData(3, g4, 16, 16, o));
  EXPECT_TRUE(testkit::qpdfCheck(pdf));
  const ImageListing l = listFirstImage(pdf);
  EXPECT_EQ(l.enc, "ccitt");
  EXPECT_EQ(l.width, 16);
  const testkit::Raster r = testkit::renderPage(pdf, 1);
  ASSERT_EQ(r.width, 200);
  EXPECT_TRUE(r.isWhite(100, 100));
}

std::vector<uint8_t> runLengthDecode(const std::vector<uint8_t>& in) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < in.size();) {
    const uint8_t n = in[i++];
    if (n == 128) break;
    if (n < 128) {
      out.insert(out.end(), in.begin() + ptrdiff_t(i), in.begin() + ptrdiff_t(i + n + 1));
      i += n + 1u;
    } else {
      out.insert(out.end(), size_t(257 - n), in[i++]);
    }
  }
  return out;
}

TEST(ImageFilters, RunLengthRoundTripsAndIsDroppedWhenItDoesNotPay) {
  ImageSamples runs;
  runs.width = 300;
  runs.height = 4;
  runs.color_space = ColorSpace::Gray;
  for (int i = 0; i < 1200; ++i) runs.data.push_back(uint8_t((i / 7) % 3 == 0 ? 5 : i * 37));
  ImageStreamOptions rl;
  rl.compression = Compression::RunLength;
  const ImageStream coded = makeSampleImage(runs, rl);
  EXPECT_EQ(coded.filters, std::vector<std::string>{"/RunLengthDecode"});
  EXPECT_EQ(runLengthDecode(coded.body), runs.data);
  // Distinct bytes would grow: the samples stay unfiltered.
  ImageSamples s;
  s.width = 50;
  s.height = 1;
  s.color_space = ColorSpace::Gray;
  for (int i = 0; i < 50; ++i) s.data.push_back(uint8_t(i));
  ImageStreamOptions o;
  o.compression = Compression::RunLength;
  const ImageStream img = makeSampleImage(s, o);
  EXPECT_TRUE(img.filters.empty());
  EXPECT_EQ(img.body, s.data);
  // A writer that compresses by itself gets the samples and the demand.
  o.defer_compression = true;
  const ImageStream deferred = makeSampleImage(runs, o);
  EXPECT_TRUE(deferred.force_compression);
  EXPECT_TRUE(deferred.filters.empty());
  EXPECT_EQ(deferred.body, runs.data);
}

TEST(ImagePlacement, OperatorsUseTheContentNumberFormat) {
  EXPECT_EQ(placementOperators(1, 20, 20, 160, 160, {200, false, 1}), "q 160 0 0 160 20 20 cm /pxo1 Do Q\n");
  EXPECT_EQ(placementOperators(12, 0.5, 1, 100.25, 50.0004, {0, false, 1}),
            "q 100.25 0 0 50 0.5 -51 cm /pxo12 Do Q\n");
  // y-up content: the height is negated before the y translation.
  EXPECT_EQ(placementOperators(3, 10, 10, 40, 30, {0, true, 1}), "q 40 0 0 -30 10 20 cm /pxo3 Do Q\n");
  // A divisor scales all four coordinates.
  EXPECT_EQ(placementOperators(3, 10, 10, 40, 30, {0, false, 10}), "q 4 0 0 3 1 -4 cm /pxo3 Do Q\n");
  EXPECT_EQ(placementOperators(0, 0, 0, 10, 10), "");
  EXPECT_EQ(placementOperators(-1, 0, 0, 10, 10), "");
  EXPECT_EQ(placementOperators(1, 0, 0, 0.009, 10), "");
  EXPECT_EQ(placementOperators(1, 0, 0, 10, -0.009), "");
  EXPECT_EQ(formatCoord(0.333333), "0.333");
  EXPECT_EQ(formatCoord(-0.0004), "0");
  EXPECT_EQ(formatCoord(12.3456), "12.346");
  EXPECT_EQ(formatCoord(1), "1");
  EXPECT_EQ(formatCoord(-2.5), "-2.5");
}

TEST(ImageKeys, KeysFindTheirImageWhateverTheCase) {
  ImageKeyList keys;
  EXPECT_FALSE(keys.find("logo"));
  keys.add("Logo", 4);
  keys.add("nothing", -1);  // no image was made
  EXPECT_EQ(keys.find("LOGO"), 4);
  EXPECT_EQ(keys.find("logo"), 4);
  EXPECT_FALSE(keys.find("nothing"));
  keys.add("LOGO", 9);
  EXPECT_EQ(keys.find("Logo"), 9);
  EXPECT_EQ(keys.size(), 1u);
}

}  // namespace
}  // namespace pyra::images::test
