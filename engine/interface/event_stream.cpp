#include "engine/interface/event_stream.h"

#include <algorithm>

namespace pyra::interface {

namespace {
constexpr size_t kBlock = 1 << 16;
}

void TPxEventStream::write(std::span<const uint8_t> bytes) {
  if (!on_write_) return;
  position_ += int64_t(bytes.size());
  size_ += int64_t(bytes.size());
  if (pending_.size() + bytes.size() > kBlock) flush();
  if (bytes.size() >= kBlock) {
    // Large bodies go out directly, in 32-bit sized pieces.
    while (!bytes.empty()) {
      size_t n = std::min<size_t>(bytes.size(), size_t(1) << 30);
      on_write_(identifier_, int32_t(n), bytes.data(), int32_t(n));
      bytes = bytes.subspan(n);
    }
    return;
  }
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
}

void TPxEventStream::flush() {
  if (pending_.empty() || !on_write_) return;
  // Clear before calling out: the host may call back into us.
  std::vector<uint8_t> block;
  block.swap(pending_);
  on_write_(identifier_, int32_t(block.size()), block.data(), int32_t(block.size()));
}

int64_t TPxEventStream::seek(int64_t offset, int origin) {
  if (origin == 0) position_ = offset;
  else if (origin == 1) position_ += offset;
  else position_ = size_ - offset;
  return position_;
}

void TPxEventStream::reset() {
  pending_.clear();
  position_ = 0;
  size_ = 0;
}

}  // namespace pyra::interface
