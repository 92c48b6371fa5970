#pragma once
// A bounded little-endian cursor over borrowed bytes. Every read checks what
// remains; a short read throws ByteReader::Short, which each reader turns into
// its own error with the record and offset it was reading.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>

namespace pyra::support {

class ByteReader {
 public:
  struct Short : std::runtime_error {
    Short(size_t at, size_t want, size_t have)
        : std::runtime_error("need " + std::to_string(want) + " bytes at offset " +
                             std::to_string(at) + ", " + std::to_string(have) + " left"),
          offset(at) {}
    size_t offset;
  };

  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  ByteReader(const void* data, size_t size)
      : bytes_(static_cast<const uint8_t*>(data), size) {}

  size_t size() const { return bytes_.size(); }
  size_t offset() const { return pos_; }
  size_t remaining() const { return bytes_.size() - pos_; }
  bool atEnd() const { return pos_ >= bytes_.size(); }
  std::span<const uint8_t> bytes() const { return bytes_; }
  const uint8_t* data() const { return bytes_.data(); }

  void seek(size_t offset) {
    if (offset > bytes_.size()) throw Short(offset, 0, 0);
    pos_ = offset;
  }
  void skip(size_t n) { need(n); pos_ += n; }

  uint8_t u8() { need(1); return bytes_[pos_++]; }
  int8_t i8() { return static_cast<int8_t>(u8()); }
  uint16_t u16() { need(2); uint16_t v = uint16_t(bytes_[pos_] | bytes_[pos_ + 1] << 8); pos_ += 2; return v; }
  int16_t i16() { return static_cast<int16_t>(u16()); }
  uint32_t u32() {
    need(4);
    uint32_t v = uint32_t(bytes_[pos_]) | uint32_t(bytes_[pos_ + 1]) << 8 |
                 uint32_t(bytes_[pos_ + 2]) << 16 | uint32_t(bytes_[pos_ + 3]) << 24;
    pos_ += 4;
    return v;
  }
  int32_t i32() { return static_cast<int32_t>(u32()); }
  float f32() { uint32_t b = u32(); float f; std::memcpy(&f, &b, 4); return f; }

  // Big-endian reads, for TrueType and JPEG.
  uint16_t be16() { need(2); uint16_t v = uint16_t(bytes_[pos_] << 8 | bytes_[pos_ + 1]); pos_ += 2; return v; }
  uint32_t be32() {
    need(4);
    uint32_t v = uint32_t(bytes_[pos_]) << 24 | uint32_t(bytes_[pos_ + 1]) << 16 |
                 uint32_t(bytes_[pos_ + 2]) << 8 | uint32_t(bytes_[pos_ + 3]);
    pos_ += 4;
    return v;
  }

  std::span<const uint8_t> take(size_t n) {
    need(n);
    auto s = bytes_.subspan(pos_, n);
    pos_ += n;
    return s;
  }
  // A reader over the next n bytes; this one moves past them.
  ByteReader sub(size_t n) { return ByteReader(take(n)); }

 private:
  void need(size_t n) const {
    if (n > bytes_.size() - pos_) throw Short(pos_, n, bytes_.size() - pos_);
  }
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
};

}  // namespace pyra::support
