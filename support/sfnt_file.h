#pragma once
// Writing sfnt (TrueType / OpenType) font files: big-endian fields, table
// checksums, the binary-search fields of sorted arrays, and a whole file
// from its tables. The font subsetter and the platform's face extractor
// both write files strict readers verify, so they share this code.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pyra::support {

inline void appendBe16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}
inline void appendBe32(std::vector<uint8_t>& out, uint32_t v) {
  appendBe16(out, v >> 16);
  appendBe16(out, v & 0xFFFF);
}
inline void storeBe16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = uint8_t(v >> 8);
  out[at + 1] = uint8_t(v);
}
inline void storeBe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  storeBe16(out, at, v >> 16);
  storeBe16(out, at + 2, v & 0xFFFF);
}

// The sum of the big-endian 32-bit words, the last one padded with zeros.
inline uint32_t sfntChecksum(std::span<const uint8_t> bytes) {
  uint32_t sum = 0;
  size_t i = 0;
  for (; i + 4 <= bytes.size(); i += 4)
    sum += uint32_t(bytes[i]) << 24 | uint32_t(bytes[i + 1]) << 16 | uint32_t(bytes[i + 2]) << 8 | bytes[i + 3];
  uint32_t last = 0;
  for (int shift = 24; i < bytes.size(); ++i, shift -= 8) last |= uint32_t(bytes[i]) << shift;
  return sum + last;
}

// searchRange, entrySelector and rangeShift of a sorted array of `count`
// entries of `unit` bytes (the table directory, cmap format 4 segments);
// all zero for an empty array.
struct SfntSearchFields {
  uint32_t search_range, entry_selector, range_shift;
};
constexpr SfntSearchFields sfntSearchFields(uint32_t count, uint32_t unit) {
  if (count == 0) return {0, 0, 0};
  uint32_t power = 1, log2 = 0;
  while (power * 2 <= count) {
    power *= 2;
    ++log2;
  }
  return {power * unit, log2, (count - power) * unit};
}

struct SfntTableBytes {
  uint32_t tag;  // the four tag bytes read big-endian ('head' = 0x68656164)
  std::span<const uint8_t> data;
};

// The file: directory, then each table 4-byte aligned and zero padded;
// "head" gets its checkSumAdjustment. The caller gives the tables sorted by
// tag, no tag twice, at most 65535 of them and under 4 GiB in all.
inline std::vector<uint8_t> writeSfnt(uint32_t sfnt_version, std::span<const SfntTableBytes> tables) {
  constexpr uint32_t kHeadTag = 0x68656164;
  const uint32_t count = uint32_t(tables.size());
  size_t total = 12 + 16 * size_t(count);
  for (const SfntTableBytes& t : tables) total += (t.data.size() + 3) & ~size_t(3);
  std::vector<uint8_t> out;
  out.reserve(total);
  const SfntSearchFields search = sfntSearchFields(count, 16);
  appendBe32(out, sfnt_version);
  appendBe16(out, count);
  appendBe16(out, search.search_range);
  appendBe16(out, search.entry_selector);
  appendBe16(out, search.range_shift);
  out.resize(out.size() + 16 * size_t(count));

  size_t head_at = 0;
  bool have_head = false;
  for (uint32_t i = 0; i < count; ++i) {
    const SfntTableBytes& t = tables[i];
    const size_t at = out.size();
    out.insert(out.end(), t.data.begin(), t.data.end());
    if (t.tag == kHeadTag && t.data.size() >= 12) {
      // The adjustment is figured over the finished file with itself zero.
      storeBe32(out, at + 8, 0);
      head_at = at;
      have_head = true;
    }
    const uint32_t checksum = sfntChecksum(std::span<const uint8_t>(out).subspan(at, t.data.size()));
    while (out.size() % 4 != 0) out.push_back(0);
    const size_t d = 12 + 16 * size_t(i);
    storeBe32(out, d, t.tag);
    storeBe32(out, d + 4, checksum);
    storeBe32(out, d + 8, uint32_t(at));
    storeBe32(out, d + 12, uint32_t(t.data.size()));
  }
  if (have_head) storeBe32(out, head_at + 8, 0xB1B0AFBAu - sfntChecksum(out));
  return out;
}

}  // namespace pyra::support
