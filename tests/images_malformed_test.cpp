// Hostile bitmaps: every row is a clear "Invalid bitmap" or a correct,
// contained image; none may crash or read outside what it was given.
#include <gtest/gtest.h>

#include <climits>

#include "engine/images/dib_decoder.h"
#include "engine/images/dib_image.h"
#include "engine/images/image_error.h"
#include "images_fixture.h"

namespace pyra::images::test {
namespace {

struct Row {
  std::string name;
  std::vector<uint8_t> info;
  std::vector<uint8_t> bits;
  // 0 x 0 expects ImageError; otherwise the decoded size.
  uint32_t want_w = 0, want_h = 0;
};

std::vector<uint8_t> withPalette(std::vector<uint8_t> info, int entries) {
  for (int i = 0; i < entries; ++i) appendPalette(info, {{uint8_t(i), uint8_t(i), 0}});
  return info;
}

std::vector<uint8_t> coreHeader(uint16_t w, uint16_t h, uint16_t bpp) {
  std::vector<uint8_t> v;
  put32(v, 12);
  put16(v, w);
  put16(v, h);
  put16(v, 1);
  put16(v, bpp);
  return v;
}

std::vector<Row> rows() {
  const std::vector<uint8_t> rgb4x4(48, 0x80);
  std::vector<Row> r = {
      {"empty_info", {}, rgb4x4},
      {"size_39", [] { auto v = infoHeader(4, 4, 24, 0, 0, 0); v[0] = 39; return v; }(), rgb4x4},
      {"size_13", [] { auto v = infoHeader(4, 4, 24, 0, 0, 0); v[0] = 13; return v; }(), rgb4x4},
      {"size_2000", [] { auto v = infoHeader(4, 4, 24, 0, 0, 0); v[0] = 0xD0; v[1] = 7; return v; }(), rgb4x4},
      {"size_claims_more_than_given", [] { auto v = infoHeader(4, 4, 24, 0, 0, 0); v[0] = 124; return v; }(), rgb4x4},
      {"width_0", infoHeader(0, 4, 24, 0, 0, 0), rgb4x4},
      {"width_negative", infoHeader(-4, 4, 24, 0, 0, 0), rgb4x4},
      {"height_0", infoHeader(4, 0, 24, 0, 0, 0), rgb4x4},
      {"height_int_min", infoHeader(4, INT32_MIN, 24, 0, 0, 0), rgb4x4},
      {"bpp_0", infoHeader(4, 4, 0, 0, 0, 0), rgb4x4},
      {"bpp_2", infoHeader(4, 4, 2, 0, 0, 0), rgb4x4},
      {"bpp_64", infoHeader(4, 4, 64, 0, 0, 0), rgb4x4},
      {"compression_jpeg", infoHeader(4, 4, 24, kBiJpeg, 0, 0), rgb4x4},
      {"compression_png", infoHeader(4, 4, 24, kBiPng, 0, 0), rgb4x4},
      {"compression_unknown", infoHeader(4, 4, 24, 77, 0, 0), rgb4x4},
      {"rle8_at_24_bits", infoHeader(4, 4, 24, kBiRle8, 0, 0), rgb4x4},
      {"rle4_at_8_bits", infoHeader(4, 4, 8, kBiRle4, 0, 0), rgb4x4},
      {"bitfields_at_24_bits", infoHeader(4, 4, 24, kBiBitfields, 0, 0), rgb4x4},
      {"bitfields_masks_missing", infoHeader(4, 4, 16, kBiBitfields, 0, 0), rgb4x4},
      // width x height x bits overflows 32 bits; the bits hold no whole row.
      {"overflow_65536_squared_32bpp", infoHeader(65536, 65536, 32, 0, 0, 0), rgb4x4},
      {"overflow_wide_row", infoHeader(INT32_MAX, 1, 32, 0, 0, 0), rgb4x4},
      {"overflow_rle_canvas", withPalette(infoHeader(100000, 100000, 8, kBiRle8, 4, 0), 2), {0, 0, 0, 1}},
      {"no_bits", infoHeader(4, 4, 24, 0, 0, 0), {}},
      {"bits_shorter_than_a_row", withPalette(infoHeader(64, 4, 1, 0, 0, 0), 2), {0xFF, 0xFF, 0xFF}},
      {"crop_outside", infoHeader(4, 4, 24, 0, 0, 0), rgb4x4},
      // Contained: images.
      {"truncated_bits_keep_whole_rows", infoHeader(4, 4, 24, 0, 0, 0), std::vector<uint8_t>(40, 1), 4, 3},
      {"last_row_without_padding", infoHeader(5, 2, 24, 0, 0, 0), std::vector<uint8_t>(16 + 15, 1), 5, 2},
      {"palette_larger_than_depth", withPalette(infoHeader(8, 1, 1, 0, 0, 256), 256), {0xAA, 0, 0, 0}, 8, 1},
      {"palette_count_huge_table_short", withPalette(infoHeader(4, 1, 8, 0, 0, 0xFFFFFFFF), 3), {0, 1, 2, 200}, 4, 1},
      {"no_colour_table", infoHeader(4, 1, 8, 0, 0, 0), {0, 1, 2, 200}, 4, 1},
      {"rle8_size_image_larger_than_data", withPalette(infoHeader(4, 2, 8, kBiRle8, 5000, 0), 4),
       {4, 1, 0, 0, 4, 2, 0, 1}, 4, 2},
      {"rle8_size_image_cuts_data", withPalette(infoHeader(4, 2, 8, kBiRle8, 2, 0), 4), {4, 1, 0, 0, 4, 2, 0, 1}, 4, 2},
      {"rle8_no_end_marker", withPalette(infoHeader(4, 2, 8, kBiRle8, 0, 0), 4), {4, 1, 0}, 4, 2},
      {"rle8_top_down", withPalette(infoHeader(4, -2, 8, kBiRle8, 0, 0), 4), {4, 1, 0, 0, 4, 2, 0, 1}, 4, 2},
      {"rle4_literal_past_row", withPalette(infoHeader(3, 1, 4, kBiRle4, 0, 0), 16),
       {0, 200, 0x12, 0x34, 0x56}, 3, 1},
      {"core_header_24", coreHeader(4, 4, 24), rgb4x4, 4, 4},
      {"core_header_8_three_byte_table", [] { auto v = coreHeader(4, 1, 8); v.insert(v.end(), 9, 7); return v; }(),
       {0, 1, 2, 3}, 4, 1},
      {"v5_header_bitfields",
       [] {
         auto v = infoHeader(2, 1, 32, kBiBitfields, 0, 0);
         v[0] = 124;
         put32(v, 0xFF0000);
         put32(v, 0xFF00);
         put32(v, 0xFF);
         v.resize(124, 0);
         return v;
       }(),
       std::vector<uint8_t>(8, 0x40), 2, 1},
      {"bitfields_zero_and_full_masks",
       [] {
         auto v = infoHeader(2, 1, 32, kBiBitfields, 0, 0);
         put32(v, 0);
         put32(v, 0xFFFFFFFF);
         put32(v, 0x80000001);
         return v;
       }(),
       std::vector<uint8_t>(8, 0xFF), 2, 1},
  };
  return r;
}

TEST(DibMalformed, EveryRowIsAnErrorOrAContainedImage) {
  for (const Row& row : rows()) {
    SCOPED_TRACE(row.name);
    DibDecodeOptions o;
    if (row.name == "crop_outside") o.crop = SourceRect{4, 0, 2, 2};
    if (row.want_w == 0) {
      try {
        decodeDib(row.info, row.bits, o);
        ADD_FAILURE() << row.name << ": decoded";
      } catch (const ImageError& e) {
        EXPECT_STREQ(e.what(), "Invalid bitmap") << row.name;
        EXPECT_EQ(e.code(), 2) << row.name;
        EXPECT_FALSE(e.detail().empty()) << row.name;
      }
    } else {
      DecodedDib d;
      ASSERT_NO_THROW(d = decodeDib(row.info, row.bits, o)) << row.name;
      EXPECT_EQ(d.samples.width, row.want_w) << row.name;
      EXPECT_EQ(d.samples.height, row.want_h) << row.name;
      EXPECT_EQ(d.samples.data.size(), d.samples.rowBytes() * d.samples.height) << row.name;
      ImageStreamOptions so;
      so.number = 1;
      EXPECT_NO_THROW(makeSampleImage(d.samples, so)) << row.name;
    }
  }
}

TEST(DibMalformed, TruncatingAnyBitmapAnywhereNeverEscapesItsBytes) {
  // Each cut lands in its own heap block, so ASan sees any read past it.
  std::vector<Dib> dibs;
  for (uint16_t bpp : {1, 4, 8, 16, 24, 32}) {
    Dib d;
    d.info = withPalette(infoHeader(7, 5, bpp, 0, 0, 0), bpp <= 8 ? 1 << bpp : 0);
    d.bits.assign(size_t((7 * bpp + 31) / 32 * 4) * 5, 0x5A);
    dibs.push_back(d);
  }
  Dib rle;
  rle.info = withPalette(infoHeader(9, 4, 8, kBiRle8, 0, 0), 256);
  rle.bits = {3, 1, 0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 2, 2, 1, 9, 7, 0, 0, 0, 1};
  dibs.push_back(rle);
  for (size_t k = 0; k < dibs.size(); ++k) {
    const Dib& d = dibs[k];
    for (size_t cut = 0; cut <= d.info.size(); ++cut) {
      std::vector<uint8_t> info(d.info.begin(), d.info.begin() + ptrdiff_t(cut));
      try {
        decodeDib(info, d.bits);
      } catch (const ImageError&) {
      }
    }
    for (size_t cut = 0; cut <= d.bits.size(); ++cut) {
      std::vector<uint8_t> bits(d.bits.begin(), d.bits.begin() + ptrdiff_t(cut));
      try {
        const DecodedDib out = decodeDib(d.info, bits);
        EXPECT_LE(out.samples.height, 5u) << "dib " << k << " cut " << cut;
      } catch (const ImageError&) {
      }
    }
  }
}

}  // namespace
}  // namespace pyra::images::test
