#include "engine/pdf/filters.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <memory>

#include "engine/pdf/error.h"

namespace pyra::pdf {

namespace {

using CompressorPtr = std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)>;

CompressorPtr makeCompressor(int level) {
  CompressorPtr c(libdeflate_alloc_compressor(level), libdeflate_free_compressor);
  if (!c) throw Error("Flate compression failed (out of memory)");
  return c;
}

std::vector<uint8_t> compressWith(libdeflate_compressor* c, std::span<const uint8_t> data) {
  std::vector<uint8_t> out(libdeflate_zlib_compress_bound(c, data.size()));
  const size_t n = libdeflate_zlib_compress(c, data.data(), data.size(), out.data(), out.size());
  if (n == 0) throw Error("Flate compression failed");
  out.resize(n);
  return out;
}

}  // namespace

// libdeflate: the same zlib format at about twice zlib's speed and slightly
// smaller, because it compresses the whole buffer at once, which is how
// every stream here is made anyway.
std::vector<uint8_t> flateEncode(std::span<const uint8_t> data, int level) {
  return compressWith(makeCompressor(std::clamp(level, 1, 12)).get(), data);
}

struct FlateEncoder::Compressors {
  std::array<libdeflate_compressor*, 13> by_level{};
  Compressors() = default;
  Compressors(const Compressors&) = delete;
  Compressors& operator=(const Compressors&) = delete;
  ~Compressors() {
    for (libdeflate_compressor* c : by_level)
      if (c) libdeflate_free_compressor(c);
  }
};

FlateEncoder::FlateEncoder() : compressors_(std::make_unique<Compressors>()) {}
FlateEncoder::~FlateEncoder() = default;

std::vector<uint8_t> FlateEncoder::encode(std::span<const uint8_t> data, int level) {
  level = std::clamp(level, 1, 12);
  libdeflate_compressor*& c = compressors_->by_level[size_t(level)];
  if (!c) c = makeCompressor(level).release();
  return compressWith(c, data);
}

std::vector<uint8_t> runLengthEncode(std::span<const uint8_t> data) {
  std::vector<uint8_t> out;
  out.reserve(data.size() + data.size() / 128 + 2);
  size_t i = 0;
  const size_t n = data.size();
  while (i < n) {
    if (i + 1 < n && data[i] == data[i + 1]) {
      size_t run = 2;
      while (i + run < n && run < 127 && data[i + run] == data[i]) ++run;
      out.push_back(static_cast<uint8_t>(257 - run));
      out.push_back(data[i]);
      i += run;
    } else {
      size_t start = i;
      size_t len = 0;
      while (i < n && len < 128 && !(i + 1 < n && data[i] == data[i + 1])) {
        ++i;
        ++len;
      }
      out.push_back(static_cast<uint8_t>(len - 1));
      out.insert(out.end(), data.begin() + long(start), data.begin() + long(start + len));
    }
  }
  out.push_back(128);
  return out;
}

std::vector<uint8_t> ascii85Encode(std::span<const uint8_t> data) {
  std::vector<uint8_t> out;
  out.reserve(data.size() * 5 / 4 + data.size() / 64 + 8);
  int line = 1;
  auto lineCheck = [&] {
    if (line >= 80) {
      out.push_back('\n');
      line = 1;
    }
  };
  size_t full = data.size() / 4 * 4;
  for (size_t i = 0; i < full; i += 4) {
    uint32_t v = uint32_t(data[i]) << 24 | uint32_t(data[i + 1]) << 16 | uint32_t(data[i + 2]) << 8 | data[i + 3];
    if (v == 0) {
      out.push_back('z');
      line += 1;
    } else {
      char c[5];
      for (int k = 4; k >= 0; --k) {
        c[k] = static_cast<char>('!' + v % 85);
        v /= 85;
      }
      out.insert(out.end(), c, c + 5);
      line += 5;
    }
    lineCheck();
  }
  size_t rest = data.size() - full;
  if (rest) {
    uint8_t b[4] = {0, 0, 0, 0};
    for (size_t k = 0; k < rest; ++k) b[k] = data[full + k];
    uint32_t v = uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
    char c[5];
    for (int k = 4; k >= 0; --k) {
      c[k] = static_cast<char>('!' + v % 85);
      v /= 85;
    }
    out.insert(out.end(), c, c + rest + 1);
  }
  out.push_back('~');
  out.push_back('>');
  out.push_back('\n');
  return out;
}

std::vector<uint8_t> hexEncode(std::span<const uint8_t> data) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::vector<uint8_t> out;
  out.reserve(data.size() * 2 + data.size() / 40 + 1);
  for (size_t i = 0; i < data.size(); ++i) {
    out.push_back(kDigits[data[i] >> 4]);
    out.push_back(kDigits[data[i] & 15]);
    if ((i + 1) % 40 == 0) out.push_back('\n');
  }
  out.push_back('\n');
  return out;
}

}  // namespace pyra::pdf
