#pragma once
// Memory blocks of GlobalAlloc: owned by the handle table, addressed by
// handle, with a lock count.
#include <atomic>
#include <cstddef>
#include <memory>

#include "platform/handle_table.h"

namespace pyra::gdi {

class GlobalBlock : public GdiObject {
 public:
  explicit GlobalBlock(size_t size);
  size_t size() const { return size_; }
  void* data() { return data_.get(); }
  std::atomic<int> locks{0};

 private:
  std::unique_ptr<unsigned char[]> data_;
  size_t size_;
};

}  // namespace pyra::gdi
