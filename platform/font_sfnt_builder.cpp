#include "platform/font_sfnt_builder.h"

#include <algorithm>
#include <stdexcept>

namespace pyra::gdi {

std::vector<uint8_t> buildSfnt(uint32_t sfnt_version, std::vector<SfntTable> tables) {
  if (tables.size() > 0xFFFF) throw std::invalid_argument("too many tables");
  std::sort(tables.begin(), tables.end(), [](const SfntTable& a, const SfntTable& b) { return a.tag < b.tag; });
  for (size_t i = 1; i < tables.size(); ++i)
    if (tables[i].tag == tables[i - 1].tag) throw std::invalid_argument("duplicate table tag");

  uint64_t total = 12 + 16ull * tables.size();
  for (auto& t : tables) total += (uint64_t(t.data.size()) + 3) & ~uint64_t(3);
  if (total > 0xFFFFFFFFull) throw std::invalid_argument("font beyond 4 GiB");

  std::vector<support::SfntTableBytes> sorted;
  sorted.reserve(tables.size());
  for (const SfntTable& t : tables) sorted.push_back({t.tag, t.data});
  return support::writeSfnt(sfnt_version, sorted);
}

}  // namespace pyra::gdi
