#pragma once
// The content buffer of one page: operators are formatted straight into one
// growable block, so a page of a million segments costs a handful of
// reallocations and no allocation per operator.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string_view>

namespace pyra::render {

class TPxPDFDeviceWorkBuffer {
 public:
  static constexpr size_t kInitialCapacity = 2000;
  static constexpr size_t kInitialGrowStep = 256;
  static constexpr int kDefaultDecimals = 3;

  TPxPDFDeviceWorkBuffer();

  size_t size() const { return size_; }
  size_t capacity() const { return capacity_; }
  const char* data() const { return data_.get(); }
  char* data() { return data_.get(); }
  std::string_view view() const { return {data_.get(), size_}; }
  std::span<const std::byte> bytes() const {
    return {reinterpret_cast<const std::byte*>(data_.get()), size_};
  }

  // Size 0 and the grow step back at its start; the block is kept.
  void resetBuffer();
  // Drops everything after `size` (used to take back operators not yet needed).
  void truncate(size_t size);
  // Makes sure n more bytes fit.
  void room(size_t n);

  // Digits after the point for writeFloat; writeCoord* use 1 while a divisor
  // is in force.
  int decimals() const { return decimals_; }
  void setDecimals(int d) { decimals_ = d; }
  // 0 and 1 both mean "no division".
  int divisor() const { return divisor_; }
  void setDivisor(int d) { divisor_ = d; }

  void writeText(std::string_view s);
  void writeChar(char c);
  // Decimal integer then one space.
  void writeInt(int64_t v);
  // Fixed-point with decimals() digits then one space.
  void writeFloat(double x);
  void writeFloat(double x, int decimals);
  // An integer coordinate, divided when a divisor is in force.
  void writeCoord(int64_t v);
  void writeCoordF(double x);
  // Values separated by one space, none after the last; exactly 0 and 1 are
  // written "0" and "1".
  void writeNumbers(std::span<const double> values);
  void writeNumbers(std::span<const double> values, int decimals);
  // Fill ("rg ") or stroke ("RG ") colour from a 0x00BBGGRR value.
  void writeColor(uint32_t rgb, bool stroke);

  // Moves the bytes [from, size()) to position `at`, shifting [at, from)
  // behind them. Lets state operators land before a path that is already
  // being built, where a reader would refuse them.
  void moveTailTo(size_t at, size_t from);
  // Appends a copy of [from, to) of this same buffer.
  void appendCopy(size_t from, size_t to);

 private:
  void grow(size_t n);
  char* end() { return data_.get() + size_; }

  struct Free {
    void operator()(char* p) const { std::free(p); }
  };
  // malloc'd so growth can use realloc: large blocks then move by remapping
  // pages instead of copying the whole stream.
  std::unique_ptr<char, Free> data_;
  size_t size_ = 0;
  size_t capacity_ = 0;
  size_t grow_step_ = kInitialGrowStep;
  int decimals_ = kDefaultDecimals;
  int divisor_ = 1;
};

}  // namespace pyra::render
