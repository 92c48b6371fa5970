#include "engine/render/work_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "engine/render/number_format.h"

namespace pyra::render {

TPxPDFDeviceWorkBuffer::TPxPDFDeviceWorkBuffer()
    : data_(static_cast<char*>(std::malloc(kInitialCapacity))), capacity_(kInitialCapacity) {
  if (!data_) throw std::bad_alloc();
}

void TPxPDFDeviceWorkBuffer::resetBuffer() {
  size_ = 0;
  grow_step_ = kInitialGrowStep;
}

void TPxPDFDeviceWorkBuffer::truncate(size_t size) {
  if (size < size_) size_ = size;
}

void TPxPDFDeviceWorkBuffer::room(size_t n) {
  if (capacity_ - size_ <= n) grow(n);
}

void TPxPDFDeviceWorkBuffer::grow(size_t n) {
  // The step doubles on every small request, so the block grows
  // geometrically and a long page reallocates only a few dozen times.
  size_t step = grow_step_;
  if (n < step) {
    n = step;
    if (grow_step_ < (size_t{1} << 40)) grow_step_ *= 2;
  }
  size_t new_capacity = size_ + n + 1;
  char* block = static_cast<char*>(std::realloc(data_.get(), new_capacity));
  if (!block) throw std::bad_alloc();
  (void)data_.release();
  data_.reset(block);
  capacity_ = new_capacity;
}

void TPxPDFDeviceWorkBuffer::writeText(std::string_view s) {
  room(s.size());
  std::memcpy(end(), s.data(), s.size());
  size_ += s.size();
}

void TPxPDFDeviceWorkBuffer::writeChar(char c) {
  room(1);
  data_.get()[size_++] = c;
}

void TPxPDFDeviceWorkBuffer::writeInt(int64_t v) {
  room(22);
  char* e = formatInt(end(), v);
  *e++ = ' ';
  size_ = size_t(e - data_.get());
}

void TPxPDFDeviceWorkBuffer::writeFloat(double x) { writeFloat(x, decimals_); }

void TPxPDFDeviceWorkBuffer::writeFloat(double x, int decimals) {
  room(kMaxNumberChars + 1);
  char* e = formatFixed(end(), x, decimals);
  *e++ = ' ';
  size_ = size_t(e - data_.get());
}

void TPxPDFDeviceWorkBuffer::writeCoord(int64_t v) {
  if (divisor_ != 0 && divisor_ != 1)
    writeFloat(double(v) / divisor_, 1);
  else
    writeInt(v);
}

void TPxPDFDeviceWorkBuffer::writeCoordF(double x) {
  if (divisor_ != 0 && divisor_ != 1) x /= divisor_;
  writeFloat(x);
}

void TPxPDFDeviceWorkBuffer::writeNumbers(std::span<const double> values) {
  writeNumbers(values, decimals_);
}

void TPxPDFDeviceWorkBuffer::writeNumbers(std::span<const double> values, int decimals) {
  room(values.size() * (kMaxNumberChars + 1));
  char* e = end();
  bool first = true;
  for (double v : values) {
    if (!first) *e++ = ' ';
    first = false;
    if (v == 0.0)
      *e++ = '0';
    else if (v == 1.0)
      *e++ = '1';
    else
      e = formatFixed(e, v, decimals);
  }
  size_ = size_t(e - data_.get());
}

void TPxPDFDeviceWorkBuffer::writeColor(uint32_t rgb, bool stroke) {
  if (rgb == 0) {
    writeText(stroke ? " 0 G " : " 0 g ");
    return;
  }
  const double c[3] = {double(rgb & 0xFF) / 255.0, double((rgb >> 8) & 0xFF) / 255.0,
                       double((rgb >> 16) & 0xFF) / 255.0};
  writeNumbers(c);
  writeText(stroke ? " RG " : " rg ");
}

void TPxPDFDeviceWorkBuffer::moveTailTo(size_t at, size_t from) {
  if (at >= from || from > size_) return;
  std::rotate(data_.get() + at, data_.get() + from, data_.get() + size_);
}

void TPxPDFDeviceWorkBuffer::appendCopy(size_t from, size_t to) {
  if (from >= to || to > size_) return;
  size_t n = to - from;
  room(n);  // may move the block: copy by offset afterwards
  std::memcpy(end(), data_.get() + from, n);
  size_ += n;
}

}  // namespace pyra::render
