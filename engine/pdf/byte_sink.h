#pragma once
// Where PDF bytes go. A sink borrows whatever lies below it and owns nothing
// there; finish() flushes and forwards, destructors neither throw nor flush.
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pyra::pdf {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(std::span<const uint8_t> bytes) = 0;
  virtual void finish() {}

  void write(std::string_view text) {
    write(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  }
};

// Counts what passes through; object offsets are read from here, never
// computed beside the bytes.
class CountingSink final : public ByteSink {
 public:
  explicit CountingSink(ByteSink& next) : next_(next) {}
  using ByteSink::write;
  void write(std::span<const uint8_t> bytes) override {
    next_.write(bytes);
    count_ += bytes.size();
  }
  void finish() override { next_.finish(); }
  uint64_t count() const { return count_; }

 private:
  ByteSink& next_;
  uint64_t count_ = 0;
};

class MemorySink final : public ByteSink {
 public:
  using ByteSink::write;
  void write(std::span<const uint8_t> bytes) override { data_.insert(data_.end(), bytes.begin(), bytes.end()); }
  const std::vector<uint8_t>& data() const { return data_; }

 private:
  std::vector<uint8_t> data_;
};

// A file created (or truncated) at construction. Writes are buffered; any
// failure of the file system throws pyra::Error, so a full disk never passes
// for a finished document.
class FileSink final : public ByteSink {
 public:
  // Throws pyra::Error(kErrCannotOpenFile) when the file cannot be created.
  explicit FileSink(const std::string& path);
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  using ByteSink::write;
  void write(std::span<const uint8_t> bytes) override;
  // Flushes and closes; throws when the data did not reach the file.
  void finish() override;
  const std::string& path() const { return path_; }

 private:
  void flushBuffer();
  std::string path_;
  int fd_ = -1;
  std::vector<uint8_t> buffer_;
};

}  // namespace pyra::pdf
