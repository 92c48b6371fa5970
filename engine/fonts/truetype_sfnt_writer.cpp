#include "engine/fonts/truetype_sfnt_writer.h"

#include <algorithm>

#include "engine/fonts/truetype_tag.h"

namespace pyra::fonts {
namespace {

void put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v >> 8));
  out.push_back(uint8_t(v));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
  put16(out, v >> 16);
  put16(out, v & 0xFFFF);
}
void set32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  out[at] = uint8_t(v >> 24);
  out[at + 1] = uint8_t(v >> 16);
  out[at + 2] = uint8_t(v >> 8);
  out[at + 3] = uint8_t(v);
}

}  // namespace

uint32_t sfntChecksum(std::span<const uint8_t> bytes) {
  uint32_t sum = 0;
  size_t i = 0;
  for (; i + 4 <= bytes.size(); i += 4)
    sum += uint32_t(bytes[i]) << 24 | uint32_t(bytes[i + 1]) << 16 | uint32_t(bytes[i + 2]) << 8 | bytes[i + 3];
  uint32_t last = 0;
  for (int shift = 24; i < bytes.size(); ++i, shift -= 8) last |= uint32_t(bytes[i]) << shift;
  return sum + last;
}

void TrueTypeSfntWriter::add(uint32_t tag, std::vector<uint8_t> data) {
  for (auto& e : tables_)
    if (e.tag == tag) {
      e.data = std::move(data);
      return;
    }
  tables_.push_back({tag, std::move(data)});
}

std::vector<uint8_t> TrueTypeSfntWriter::finish(uint32_t sfnt_version) const {
  std::vector<const Entry*> order;
  for (const auto& e : tables_) order.push_back(&e);
  std::sort(order.begin(), order.end(), [](const Entry* a, const Entry* b) { return a->tag < b->tag; });

  const uint32_t count = uint32_t(order.size());
  uint32_t power = 1, log2 = 0;
  while (power * 2 <= count) {
    power *= 2;
    ++log2;
  }
  std::vector<uint8_t> out;
  size_t total = 12 + 16 * size_t(count);
  for (const Entry* e : order) total += (e->data.size() + 3) & ~size_t(3);
  out.reserve(total);
  put32(out, sfnt_version);
  put16(out, count);
  put16(out, power * 16);
  put16(out, log2);
  put16(out, count * 16 - power * 16);
  const size_t dir_at = out.size();
  out.resize(out.size() + 16 * size_t(count));

  size_t head_at = 0;
  bool have_head = false;
  for (uint32_t i = 0; i < count; ++i) {
    const Entry& e = *order[i];
    const size_t at = out.size();
    out.insert(out.end(), e.data.begin(), e.data.end());
    uint32_t checksum;
    if (e.tag == tableTag("head") && e.data.size() >= 12) {
      // The adjustment is figured over the finished file with itself zero.
      set32(out, at + 8, 0);
      head_at = at;
      have_head = true;
      checksum = sfntChecksum(std::span<const uint8_t>(out).subspan(at, e.data.size()));
    } else {
      checksum = sfntChecksum(e.data);
    }
    while (out.size() % 4 != 0) out.push_back(0);
    const size_t d = dir_at + 16 * size_t(i);
    set32(out, d, e.tag);
    set32(out, d + 4, checksum);
    set32(out, d + 8, uint32_t(at));
    set32(out, d + 12, uint32_t(e.data.size()));
  }
  if (have_head) set32(out, head_at + 8, 0xB1B0AFBAu - sfntChecksum(out));
  return out;
}

}  // namespace pyra::fonts
