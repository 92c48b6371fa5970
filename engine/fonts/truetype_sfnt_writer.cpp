#include "engine/fonts/truetype_sfnt_writer.h"

#include <algorithm>

namespace pyra::fonts {

void TrueTypeSfntWriter::add(uint32_t tag, std::vector<uint8_t> data) {
  for (auto& e : tables_)
    if (e.tag == tag) {
      e.data = std::move(data);
      return;
    }
  tables_.push_back({tag, std::move(data)});
}

std::vector<uint8_t> TrueTypeSfntWriter::finish(uint32_t sfnt_version) const {
  std::vector<support::SfntTableBytes> order;
  order.reserve(tables_.size());
  for (const auto& e : tables_) order.push_back({e.tag, e.data});
  std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.tag < b.tag; });
  return support::writeSfnt(sfnt_version, order);
}

}  // namespace pyra::fonts
