#pragma once
// Writes a stand-alone sfnt (TrueType / OpenType) file from a set of tables:
// the table directory sorted by tag with its binary-search fields, each table
// 4-byte aligned and zero padded, table checksums, and head's
// checkSumAdjustment. Used to lift one face out of a font collection.
#include <cstdint>
#include <vector>

#include "support/sfnt_file.h"

namespace pyra::gdi {

struct SfntTable {
  uint32_t tag;  // big-endian reading of the four tag bytes ('head' = 0x68656164)
  std::vector<uint8_t> data;
};

using support::sfntChecksum;

// Throws std::invalid_argument for duplicate tags, more than 65535 tables or a
// file beyond 4 GiB.
std::vector<uint8_t> buildSfnt(uint32_t sfnt_version, std::vector<SfntTable> tables);

}  // namespace pyra::gdi
