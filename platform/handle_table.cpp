#include "platform/handle_table.h"

namespace pyra::gdi {

HandleTable& HandleTable::instance() {
  static HandleTable table;
  return table;
}

uint32_t HandleTable::stock(int index, const std::function<std::shared_ptr<GdiObject>()>& make) {
  if (index < 0 || index >= kStockSlots) return 0;
  {
    std::lock_guard lock(mutex_);
    if (stock_[index] != 0) return stock_[index];
  }
  // Made outside the lock: making a stock font may itself look up handles.
  auto object = make();
  if (!object) return 0;
  object->markStock();
  std::lock_guard lock(mutex_);
  if (stock_[index] != 0) return stock_[index];  // another thread won
  uint32_t h = insertLocked(std::move(object));
  stock_[index] = h;
  return h;
}

uint32_t HandleTable::insert(std::shared_ptr<GdiObject> object) {
  if (!object) return 0;
  std::lock_guard lock(mutex_);
  return insertLocked(std::move(object));
}

uint32_t HandleTable::insertLocked(std::shared_ptr<GdiObject> object) {
  // Handles are not reused soon after deletion, so a stale handle held by a
  // caller does not silently reach a newer object.
  for (uint64_t tries = 0; tries < 0xFFFFFFFFull; ++tries) {
    uint32_t h = next_++;
    if (next_ == 0) next_ = 1;
    if (h == 0 || objects_.count(h)) continue;
    objects_.emplace(h, std::move(object));
    return h;
  }
  return 0;
}

std::shared_ptr<GdiObject> HandleTable::find(uint32_t handle) const {
  if (handle == 0) return nullptr;
  std::lock_guard lock(mutex_);
  auto it = objects_.find(handle);
  return it == objects_.end() ? nullptr : it->second;
}

bool HandleTable::erase(uint32_t handle) {
  std::shared_ptr<GdiObject> doomed;  // destroyed outside the lock
  {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(handle);
    if (it == objects_.end()) return false;
    if (it->second->isStock()) return true;  // stock objects outlive every caller
    doomed = std::move(it->second);
    objects_.erase(it);
  }
  return true;
}

size_t HandleTable::size() const {
  std::lock_guard lock(mutex_);
  return objects_.size();
}

}  // namespace pyra::gdi
