#pragma once
// Validating reader of enhanced-metafile bytes. The header is checked on
// construction; records come out one at a time as bounded views, each
// checked against the file and against its own declared size (counts and
// offsets of the records that carry arrays, strings or bitmaps).
#include <cstdint>
#include <span>
#include <string>

#include "pyra/gdi_types.h"
#include "support/byte_reader.h"

namespace pyra::gdi {

struct EmfHeader {
  uint32_t header_size = 0;
  RECTL bounds{};
  RECTL frame{};
  uint32_t version = 0;
  uint32_t bytes = 0;
  uint32_t records = 0;
  uint16_t handles = 0;
  uint32_t description_chars = 0;
  uint32_t description_offset = 0;
  uint32_t palette_entries = 0;
  SIZEL device{};
  SIZEL millimeters{};
  std::u16string description;
};

struct EmfRecordView {
  uint32_t index = 0;    // 0 for the header
  size_t offset = 0;     // from the start of the metafile
  uint32_t type = 0;
  std::span<const uint8_t> bytes;  // the whole record, type and size included
  uint32_t size() const { return uint32_t(bytes.size()); }
  // A reader over the record positioned after type and size.
  support::ByteReader params() const {
    support::ByteReader r(bytes);
    r.skip(8);
    return r;
  }
};

class EmfReader {
 public:
  // Throws MetafileError when the header is not that of an enhanced
  // metafile or disagrees with the bytes present. Bytes past the header's
  // nBytes are ignored (file systems and some writers pad).
  // With check_records false only the framing of each record is checked
  // (size, alignment, bounds): what a loader needs so that one record with
  // lying counts costs that record, not the page.
  explicit EmfReader(std::span<const uint8_t> data, bool check_records = true);

  const EmfHeader& header() const { return header_; }
  // The metafile's own bytes (nBytes long).
  std::span<const uint8_t> bytes() const { return data_; }

  // The next record after the header; false after EMR_EOF. Throws
  // MetafileError for a record that does not fit or whose counts do not.
  bool next(EmfRecordView& record);

  // Reads every record: the EOF record must be the last one in nBytes and
  // the number of records must match nRecords.
  static EmfHeader validate(std::span<const uint8_t> data, bool check_records = true);

 private:
  std::span<const uint8_t> data_;
  EmfHeader header_;
  size_t pos_ = 0;
  uint32_t index_ = 0;
  bool done_ = false;
  bool check_records_ = true;
};

// Checks the counts, offsets and sizes inside one record against its size.
// Records of unknown type pass (only their framing is checked).
void checkEmfRecord(const EmfRecordView& record);

}  // namespace pyra::gdi
