// The sfnt writer that lifts a face out of a collection: directory fields,
// alignment, checksums and head's adjustment, on tables built here.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/font_sfnt_builder.h"

namespace pyra::gdi {
namespace {

uint32_t be32(const std::vector<uint8_t>& d, size_t at) {
  return uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | uint32_t(d[at + 2]) << 8 | d[at + 3];
}

TEST(PlatformSfntBuilder, ChecksumPadsTheLastWord) {
  EXPECT_EQ(sfntChecksum(std::vector<uint8_t>{}), 0u);
  EXPECT_EQ(sfntChecksum(std::vector<uint8_t>{1, 2, 3, 4, 5}), 0x01020304u + 0x05000000u);
  EXPECT_EQ(sfntChecksum(std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1}), 0u) << "wraps";
}

TEST(PlatformSfntBuilder, WritesASortedAlignedCheckedFile) {
  std::vector<uint8_t> head(54, 0);
  head[8] = head[9] = head[10] = head[11] = 0x77;  // stale adjustment from the collection
  std::vector<SfntTable> tables = {
      {0x6D617870 /* maxp */, std::vector<uint8_t>(6, 1)},
      {0x68656164 /* head */, head},
      {0x636D6170 /* cmap */, std::vector<uint8_t>(3, 9)},
  };
  auto font = buildSfnt(0x00010000, tables);
  ASSERT_EQ(font.size(), 12u + 3 * 16 + 4 + 56 + 8);
  EXPECT_EQ(be32(font, 0), 0x00010000u);
  EXPECT_EQ(font[5], 3);                    // numTables
  EXPECT_EQ(font[6] << 8 | font[7], 32);    // searchRange
  EXPECT_EQ(font[8] << 8 | font[9], 1);     // entrySelector
  EXPECT_EQ(font[10] << 8 | font[11], 16);  // rangeShift
  EXPECT_EQ(be32(font, 12), 0x636D6170u) << "cmap first";
  EXPECT_EQ(be32(font, 28), 0x68656164u);
  EXPECT_EQ(be32(font, 44), 0x6D617870u);
  for (int i = 0; i < 3; ++i) {
    uint32_t off = be32(font, 12 + 16 * i + 8), len = be32(font, 12 + 16 * i + 12);
    EXPECT_EQ(off % 4, 0u) << i;
    std::vector<uint8_t> data(font.begin() + off, font.begin() + off + len);
    if (i == 1) data[8] = data[9] = data[10] = data[11] = 0;
    EXPECT_EQ(be32(font, 12 + 16 * i + 4), sfntChecksum(data)) << i;
  }
  EXPECT_EQ(font[64 + 3], 0) << "padding after the 3-byte cmap is zero";
  EXPECT_EQ(sfntChecksum(font), 0xB1B0AFBAu);
}

TEST(PlatformSfntBuilder, RefusesWhatNoReaderCouldUse) {
  EXPECT_THROW(buildSfnt(0x00010000, {{1, {1}}, {1, {2}}}), std::invalid_argument);
  auto empty = buildSfnt(0x00010000, {});
  EXPECT_EQ(empty.size(), 12u);
}

}  // namespace
}  // namespace pyra::gdi
