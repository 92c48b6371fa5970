#pragma once
// Helpers of the metafile tests: a record dump of EMF bytes and small
// builders of hostile metafiles.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/emf_reader.h"
#include "platform/metafile_records.h"

namespace pyra::gdi::test {

struct DumpedRecord {
  uint32_t type;
  std::vector<uint8_t> bytes;
  uint32_t u32(size_t at) const {
    uint32_t v = 0;
    if (at + 4 <= bytes.size()) std::memcpy(&v, bytes.data() + at, 4);
    return v;
  }
  int32_t i32(size_t at) const { return int32_t(u32(at)); }
};

// Every record after the header, EOF included.
inline std::vector<DumpedRecord> dumpEmf(const std::vector<uint8_t>& emf) {
  std::vector<DumpedRecord> out;
  EmfReader r(emf);
  EmfRecordView v;
  while (r.next(v)) out.push_back({v.type, std::vector<uint8_t>(v.bytes.begin(), v.bytes.end())});
  return out;
}

inline std::vector<uint32_t> typesOf(const std::vector<DumpedRecord>& recs) {
  std::vector<uint32_t> t;
  for (const auto& r : recs) t.push_back(r.type);
  return t;
}

inline std::string typeList(const std::vector<uint32_t>& t) {
  std::string s;
  for (uint32_t x : t) s += std::to_string(x) + " ";
  return s;
}

inline void put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  if (at + 4 > v.size()) v.resize(at + 4);
  std::memcpy(v.data() + at, &x, 4);
}
inline uint32_t get32(const std::vector<uint8_t>& v, size_t at) {
  uint32_t x;
  std::memcpy(&x, v.data() + at, 4);
  return x;
}
inline void put16(std::vector<uint8_t>& v, size_t at, uint16_t x) { std::memcpy(v.data() + at, &x, 2); }

// Offsets of each record in an EMF (header first).
inline std::vector<size_t> recordOffsets(const std::vector<uint8_t>& emf) {
  std::vector<size_t> offs;
  size_t at = 0;
  while (at + 8 <= emf.size()) {
    offs.push_back(at);
    const uint32_t size = get32(emf, at + 4);
    if (size < 8) break;
    at += size;
  }
  return offs;
}

inline std::u16string utf16(const std::vector<uint8_t>& b, size_t at, size_t n) {
  std::u16string s;
  for (size_t i = 0; i < n; ++i) s.push_back(char16_t(b[at + 2 * i] | b[at + 2 * i + 1] << 8));
  return s;
}

}  // namespace pyra::gdi::test
