#pragma once
// Output handed to the host block by block through its stream-write
// callback, for documents begun in stream mode.
#include <cstdint>
#include <vector>

#include "engine/pdf/byte_sink.h"
#include "pyra/pyractl.h"

namespace pyra::interface {

class TPxEventStream final : public pdf::ByteSink {
 public:
  TPxEventStream(int32_t identifier, PyraCallback on_write) : identifier_(identifier), on_write_(on_write) {}

  using ByteSink::write;
  // Collects bytes and hands them on in blocks of up to 64 KiB; the host
  // sees the same bytes in the same order, in fewer calls.
  void write(std::span<const uint8_t> bytes) override;
  void finish() override { flush(); }

  // Read returns nothing; the output is never re-read.
  size_t read(void*, size_t) { return 0; }
  // Moves only the position (origin 0 begin, 1 current, 2 end).
  int64_t seek(int64_t offset, int origin);
  void reset();
  int64_t position() const { return position_; }
  int64_t size() const { return size_; }

 private:
  void flush();
  int32_t identifier_;
  PyraCallback on_write_;
  std::vector<uint8_t> pending_;
  int64_t position_ = 0;
  int64_t size_ = 0;
};

}  // namespace pyra::interface
