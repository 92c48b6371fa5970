#pragma once
// Validating reader of Windows metafile bytes, with or without the 22-byte
// placeable header in front. Records come out as bounded views; the size of
// each (in 16-bit words) is checked against the bytes that remain.
#include <cstdint>
#include <optional>
#include <span>

#include "support/byte_reader.h"

namespace pyra::gdi {

struct WmfPlaceable {
  int16_t hmf = 0;
  int16_t left = 0, top = 0, right = 0, bottom = 0;
  uint16_t inch = 0;
  uint32_t reserved = 0;
  uint16_t checksum = 0;
  bool checksum_ok = false;  // informative only: readers draw files with a wrong one
};

struct WmfHeader {
  uint16_t type = 0;         // 1 memory, 2 disk
  uint16_t header_words = 0;
  uint16_t version = 0;
  uint32_t size_words = 0;
  uint16_t objects = 0;
  uint32_t max_record_words = 0;
  uint16_t members = 0;
};

struct WmfRecordView {
  uint32_t index = 0;
  size_t offset = 0;  // from the start of the plain metafile
  uint16_t function = 0;
  std::span<const uint8_t> bytes;  // whole record
  // Parameter words after size and function.
  support::ByteReader params() const {
    support::ByteReader r(bytes);
    r.skip(6);
    return r;
  }
  size_t paramBytes() const { return bytes.size() - 6; }
};

// Reads a placeable header when the data starts with its key.
std::optional<WmfPlaceable> readPlaceable(std::span<const uint8_t> data);
// XOR of the first ten 16-bit words of a placeable header.
uint16_t placeableChecksum(std::span<const uint8_t> header22);

class WmfReader {
 public:
  // Throws MetafileError when the metafile header is missing or impossible.
  explicit WmfReader(std::span<const uint8_t> data);

  const std::optional<WmfPlaceable>& placeable() const { return placeable_; }
  const WmfHeader& header() const { return header_; }
  // The plain metafile (after any placeable header), cut to the header's size.
  std::span<const uint8_t> metafile() const { return mf_; }

  // The next record; false after META_EOF or at the end of the data (some
  // writers leave out the EOF record). Throws MetafileError for a record
  // whose size is below 3 words or runs past the end.
  bool next(WmfRecordView& record);

  // Reads all records.
  static WmfHeader validate(std::span<const uint8_t> data);

 private:
  std::span<const uint8_t> mf_;
  std::optional<WmfPlaceable> placeable_;
  WmfHeader header_;
  size_t pos_ = 0;
  uint32_t index_ = 0;
  bool done_ = false;
};

}  // namespace pyra::gdi
