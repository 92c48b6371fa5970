#pragma once
// Assembles an sfnt font file from whole tables: sorted directory with its
// binary-search fields, 4-byte aligned tables, table checksums and the
// "head" checksum adjustment, so strict readers accept what we write.
#include <cstdint>
#include <span>
#include <vector>

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

// The sfnt checksum: the sum of the big-endian 32-bit words, the last one
// padded with zeros.
uint32_t sfntChecksum(std::span<const uint8_t> bytes);

}  // namespace pyra::fonts
