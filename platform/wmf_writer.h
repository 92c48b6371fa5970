#pragma once
// Builds Windows-metafile bytes record by record, and the placeable header
// that page files carry in front of them.
#include <cstdint>
#include <span>
#include <vector>

namespace pyra::gdi {

struct WmfPlaceable;

class WmfWriter {
 public:
  void begin(uint16_t function);
  void u16(uint16_t v);
  void i16(int16_t v) { u16(static_cast<uint16_t>(v)); }
  void u32(uint32_t v) { u16(uint16_t(v)); u16(uint16_t(v >> 16)); }
  void bytes(std::span<const uint8_t> data);  // padded to a whole word at end()
  void end();

  // A record of 16-bit parameters, in the order they are stored.
  void simple(uint16_t function, std::initializer_list<int16_t> params);

  // The number of object slots the header declares (the recorder knows it).
  void setObjects(uint16_t n) { objects_ = n; }

  // Appends META_EOF and returns the plain metafile (disk type, version 3).
  std::vector<uint8_t> finish();

 private:
  std::vector<uint8_t> body_;
  size_t record_start_ = 0;
  bool open_ = false;
  uint32_t max_record_words_ = 3;
  uint16_t objects_ = 0;
};

// The 22-byte placeable header with its checksum filled in.
std::vector<uint8_t> makePlaceableHeader(int16_t left, int16_t top, int16_t right, int16_t bottom,
                                         uint16_t units_per_inch);

}  // namespace pyra::gdi
