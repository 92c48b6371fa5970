#include "platform/metafile_object_table.h"

#include <algorithm>

#include "platform/handle_table.h"

namespace pyra::gdi {

std::optional<uint32_t> MetafileObjectTable::find(uint32_t handle) const {
  auto it = indexes_.find(handle);
  if (it == indexes_.end()) return std::nullopt;
  return it->second;
}

std::optional<uint32_t> MetafileObjectTable::take() {
  if (!free_.empty()) {
    const uint32_t index = *free_.begin();
    free_.erase(free_.begin());
    return index;
  }
  if (next_ >= 0xFFFF) return std::nullopt;
  return next_++;
}

std::optional<uint32_t> MetafileObjectTable::remove(uint32_t handle) {
  auto it = indexes_.find(handle);
  if (it == indexes_.end()) return std::nullopt;
  const uint32_t index = it->second;
  free_.insert(index);
  indexes_.erase(it);
  return index;
}

std::vector<uint32_t> MetafileObjectTable::deadHandles() const {
  std::vector<uint32_t> dead;
  for (const auto& [handle, index] : indexes_)
    if (!HandleTable::instance().find(handle)) dead.push_back(handle);
  std::sort(dead.begin(), dead.end());
  return dead;
}

}  // namespace pyra::gdi
