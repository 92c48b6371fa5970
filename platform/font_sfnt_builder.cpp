#include "platform/font_sfnt_builder.h"

#include <algorithm>
#include <stdexcept>

namespace pyra::gdi {

namespace {
constexpr uint32_t kHeadTag = 0x68656164;  // 'head'

void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = uint8_t(v >> 24);
  out[at + 1] = uint8_t(v >> 16);
  out[at + 2] = uint8_t(v >> 8);
  out[at + 3] = uint8_t(v);
}
void put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = uint8_t(v >> 8);
  out[at + 1] = uint8_t(v);
}
}  // namespace

uint32_t sfntChecksum(std::span<const uint8_t> data) {
  uint32_t sum = 0;
  size_t i = 0;
  for (; i + 4 <= data.size(); i += 4)
    sum += uint32_t(data[i]) << 24 | uint32_t(data[i + 1]) << 16 | uint32_t(data[i + 2]) << 8 | data[i + 3];
  if (i < data.size()) {
    uint32_t last = 0;
    for (size_t k = 0; i + k < data.size(); ++k) last |= uint32_t(data[i + k]) << (24 - 8 * k);
    sum += last;
  }
  return sum;
}

std::vector<uint8_t> buildSfnt(uint32_t sfnt_version, std::vector<SfntTable> tables) {
  if (tables.size() > 0xFFFF) throw std::invalid_argument("too many tables");
  std::sort(tables.begin(), tables.end(), [](const SfntTable& a, const SfntTable& b) { return a.tag < b.tag; });
  for (size_t i = 1; i < tables.size(); ++i)
    if (tables[i].tag == tables[i - 1].tag) throw std::invalid_argument("duplicate table tag");

  const uint16_t count = uint16_t(tables.size());
  uint16_t entry_selector = 0;
  while (count > 0 && (2u << entry_selector) <= count) ++entry_selector;
  const uint16_t search_range = count == 0 ? 0 : uint16_t(16u << entry_selector);
  const uint16_t range_shift = uint16_t(count * 16 - search_range);

  uint64_t total = 12 + 16ull * count;
  for (auto& t : tables) total += (uint64_t(t.data.size()) + 3) & ~uint64_t(3);
  if (total > 0xFFFFFFFFull) throw std::invalid_argument("font beyond 4 GiB");

  std::vector<uint8_t> out(size_t(total), 0);
  put32(out, 0, sfnt_version);
  put16(out, 4, count);
  put16(out, 6, search_range);
  put16(out, 8, entry_selector);
  put16(out, 10, range_shift);

  size_t offset = 12 + 16 * size_t(count);
  size_t head_at = SIZE_MAX;
  for (size_t i = 0; i < tables.size(); ++i) {
    auto& t = tables[i];
    if (t.tag == kHeadTag && t.data.size() >= 12) {
      // The adjustment is computed over the file with this field zeroed.
      t.data[8] = t.data[9] = t.data[10] = t.data[11] = 0;
      head_at = offset;
    }
    size_t dir = 12 + 16 * i;
    put32(out, dir, t.tag);
    put32(out, dir + 4, sfntChecksum(t.data));
    put32(out, dir + 8, uint32_t(offset));
    put32(out, dir + 12, uint32_t(t.data.size()));
    std::copy(t.data.begin(), t.data.end(), out.begin() + offset);
    offset += (t.data.size() + 3) & ~size_t(3);
  }
  if (head_at != SIZE_MAX) put32(out, head_at + 8, 0xB1B0AFBAu - sfntChecksum(out));
  return out;
}

}  // namespace pyra::gdi
