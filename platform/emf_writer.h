#pragma once
// Builds enhanced-metafile bytes record by record. The header is written last
// (finish), because its byte and record counts and the handle count are only
// known then; records are appended to a body that follows it.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "pyra/gdi_types.h"

namespace pyra::gdi {

struct EmfHeaderFields {
  RECTL bounds{0, 0, -1, -1};  // device units, inclusive; empty when right < left
  RECTL frame{0, 0, 0, 0};     // .01 mm, inclusive
  SIZEL device{0, 0};          // reference device in pixels
  SIZEL millimeters{0, 0};     // reference device in millimetres
  SIZEL micrometers{0, 0};
  uint16_t handles = 1;        // object handles used + 1 (index 0 is the metafile)
  std::u16string description;  // written with its terminating zero(s) when not empty
};

class EmfWriter {
 public:
  // A record under construction: fields are appended in order; the size is
  // patched and padding added when it ends.
  void begin(uint32_t type);
  void u32(uint32_t v);
  void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
  void u16(uint16_t v);
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void f32(float v);
  void rect(const RECTL& r);
  void point(int32_t x, int32_t y) { i32(x); i32(y); }
  void bytes(std::span<const uint8_t> data);
  void zeros(size_t n);
  // Bytes of the current record so far (type and size included).
  uint32_t recordOffset() const;
  // Overwrites a 32-bit field of the current record at a byte offset.
  void patch(uint32_t record_offset, uint32_t v);
  void end();

  // A record of 32-bit parameters.
  void simple(uint32_t type, std::initializer_list<int32_t> params);

  void reserve(size_t bytes) { body_.reserve(bytes); }
  uint32_t records() const { return records_; }
  size_t bodySize() const { return body_.size(); }

  // Appends EMR_EOF and returns the whole metafile (header first).
  std::vector<uint8_t> finish(const EmfHeaderFields& header);

 private:
  std::vector<uint8_t> body_;
  size_t record_start_ = 0;
  bool open_ = false;
  uint32_t records_ = 0;
};

}  // namespace pyra::gdi
