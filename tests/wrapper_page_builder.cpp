// Tiny writers of metafile page files for the wrapper tests: a black filled
// rectangle over the middle of a 1000 x 1000 picture and a line near its
// foot, as a plain Windows metafile, a placeable one and an enhanced one.
// Written from the published record layouts, little-endian.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace pyra::wrapper_test {

using std::size_t;

namespace {

struct Bytes {
  std::vector<uint8_t> b;
  void u16(uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
  void u32(uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); }
  void at32(size_t pos, uint32_t v) { for (int i = 0; i < 4; ++i) b[pos + i] = uint8_t(v >> (8 * i)); }
};

// One WMF record: size in 16-bit words, function, parameters as stored.
void wmfRecord(Bytes& out, uint16_t function, std::initializer_list<uint16_t> params, uint32_t& max_words) {
  const uint32_t words = 3 + uint32_t(params.size());
  if (words > max_words) max_words = words;
  out.u32(words);
  out.u16(function);
  for (uint16_t p : params) out.u16(p);
}

}  // namespace

std::vector<uint8_t> plainWmfPage() {
  Bytes out;
  // META_HEADER: type 1 (memory), 9 words, version 3.0, size, objects, largest record, 0.
  out.u16(1); out.u16(9); out.u16(0x0300);
  out.u32(0); out.u16(1); out.u32(0); out.u16(0);
  uint32_t max_words = 0;
  wmfRecord(out, 0x0103, {8}, max_words);               // META_SETMAPMODE anisotropic
  wmfRecord(out, 0x020B, {0, 0}, max_words);            // META_SETWINDOWORG y, x
  wmfRecord(out, 0x020C, {1000, 1000}, max_words);      // META_SETWINDOWEXT y, x
  wmfRecord(out, 0x02FC, {0, 0, 0, 0}, max_words);      // META_CREATEBRUSHINDIRECT solid black
  wmfRecord(out, 0x012D, {0}, max_words);               // META_SELECTOBJECT 0
  wmfRecord(out, 0x041B, {750, 750, 250, 250}, max_words);  // META_RECTANGLE bottom, right, top, left
  wmfRecord(out, 0x0214, {900, 100}, max_words);        // META_MOVETO y, x
  wmfRecord(out, 0x0213, {900, 900}, max_words);        // META_LINETO y, x
  wmfRecord(out, 0x0000, {}, max_words);                // META_EOF
  out.at32(6, uint32_t(out.b.size() / 2));
  out.at32(12, max_words);
  return out.b;
}

std::vector<uint8_t> placeableWmfPage(bool good_checksum) {
  Bytes out;
  out.u32(0x9AC6CDD7u);
  out.u16(0);                                   // HMF
  out.u16(0); out.u16(0); out.u16(1000); out.u16(1000);  // BBOX
  out.u16(1000);                                // INCH
  out.u32(0);                                   // RESERVED
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= uint16_t(out.b[i] | out.b[i + 1] << 8);
  out.u16(good_checksum ? sum : uint16_t(sum ^ 0x5A5A));
  const std::vector<uint8_t> body = plainWmfPage();
  out.b.insert(out.b.end(), body.begin(), body.end());
  return out.b;
}

std::vector<uint8_t> emfPage() {
  Bytes out;
  // EMR_HEADER without description or pixel format (88 bytes): a 1000 x 1000
  // pixel reference device of 100 x 100 mm, so the frame is 0..9999 in .01 mm.
  out.u32(1); out.u32(88);
  out.u32(0); out.u32(0); out.u32(999); out.u32(999);      // rclBounds
  out.u32(0); out.u32(0); out.u32(9999); out.u32(9999);    // rclFrame
  out.u32(0x464D4520u); out.u32(0x10000);
  out.u32(0); out.u32(0);                                  // nBytes, nRecords (filled below)
  out.u16(2); out.u16(0);                                  // nHandles, reserved
  out.u32(0); out.u32(0); out.u32(0);                      // description, palette
  out.u32(1000); out.u32(1000);                            // szlDevice
  out.u32(100); out.u32(100);                              // szlMillimeters
  uint32_t records = 1;
  auto record = [&](uint32_t type, std::initializer_list<uint32_t> params) {
    out.u32(type);
    out.u32(8 + 4 * uint32_t(params.size()));
    for (uint32_t p : params) out.u32(p);
    ++records;
  };
  record(39, {1, 0, 0x000000, 0});     // EMR_CREATEBRUSHINDIRECT ih 1, solid black
  record(37, {1});                     // EMR_SELECTOBJECT 1
  record(43, {250, 250, 750, 750});    // EMR_RECTANGLE
  record(27, {100, 900});              // EMR_MOVETOEX
  record(54, {900, 900});              // EMR_LINETO
  record(14, {0, 16, 20});             // EMR_EOF
  out.at32(48, uint32_t(out.b.size()));
  out.at32(52, records);
  return out.b;
}

}  // namespace pyra::wrapper_test
