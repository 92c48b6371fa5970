#pragma once
// The cross-reference list: index = object number. Entries are kept as
// offsets and rendered to their 20-byte rows only when the table is written.
#include <cstdint>
#include <string>
#include <vector>

namespace pyra::pdf {

class XrefList {
 public:
  XrefList() { reset(); }
  void reset();
  int32_t count() const { return int32_t(offsets_.size()); }
  // Appends a placeholder for an object numbered before it is written.
  int32_t reserve(const std::string& placeholder);
  int32_t appendOffset(uint64_t offset);
  void setOffset(int32_t number, uint64_t offset);
  bool isWritten(int32_t number) const;
  // The entry text, 18 characters: "0000000000 65535 f", "0000012345 00000 n"
  // or "undef <class>" for a number reserved but never written.
  std::string entry(int32_t number) const;
  // Object numbers that were reserved but never written.
  std::vector<int32_t> unwritten() const;

 private:
  static constexpr uint64_t kReserved = UINT64_MAX;
  std::vector<uint64_t> offsets_;
  std::vector<std::pair<int32_t, std::string>> placeholders_;  // only while reserved
};

}  // namespace pyra::pdf
