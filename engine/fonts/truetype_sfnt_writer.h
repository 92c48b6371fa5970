#pragma once
// Assembles an sfnt font file from whole tables: sorted directory with its
// binary-search fields, 4-byte aligned tables, table checksums and the
// "head" checksum adjustment, so strict readers accept what we write.
#include <cstdint>
#include <vector>

#include "support/sfnt_file.h"

namespace pyra::fonts {

class TrueTypeSfntWriter {
 public:
  // Adds or replaces a table.
  void add(uint32_t tag, std::vector<uint8_t> data);
  std::vector<uint8_t> finish(uint32_t sfnt_version = 0x00010000) const;

 private:
  struct Entry {
    uint32_t tag;
    std::vector<uint8_t> data;
  };
  std::vector<Entry> tables_;
};

using support::sfntChecksum;

}  // namespace pyra::fonts
