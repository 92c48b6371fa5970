#pragma once
// Small metafiles built in code for the converter's tests, and running the
// built `pyra` program.
#include <cstdint>
#include <string>
#include <vector>

#include "testkit/testkit.h"

namespace pyra::clitest {

inline void put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(std::vector<uint8_t>& b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
inline void set32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}
inline void set16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// An EMF whose frame is (0, 0, w, h) in .01 mm, holding one rectangle.
inline std::vector<uint8_t> makeEmf(int32_t frame_w = 21000, int32_t frame_h = 29700) {
  std::vector<uint8_t> b;
  put32(b, 1);    // EMR_HEADER
  put32(b, 88);   // header size
  for (int32_t v : {0, 0, 793, 1122}) put32(b, static_cast<uint32_t>(v));          // bounds, pixels
  for (int32_t v : {0, 0, frame_w, frame_h}) put32(b, static_cast<uint32_t>(v));   // frame
  put32(b, 0x464D4520);  // " EMF"
  put32(b, 0x10000);
  put32(b, 0);  // total size, below
  put32(b, 3);  // records
  put16(b, 1);  // handles
  put16(b, 0);
  put32(b, 0);  // description
  put32(b, 0);
  put32(b, 0);  // palette entries
  put32(b, 794);  // reference device, pixels
  put32(b, 1123);
  put32(b, 210);  // and millimetres
  put32(b, 297);
  put32(b, 43);  // EMR_RECTANGLE
  put32(b, 24);
  for (int32_t v : {100, 100, 300, 200}) put32(b, static_cast<uint32_t>(v));
  put32(b, 14);  // EMR_EOF
  put32(b, 20);
  put32(b, 0);
  put32(b, 16);
  put32(b, 20);
  set32(b, 48, static_cast<uint32_t>(b.size()));
  return b;
}

// A plain WMF: window extent, one rectangle, end of file.
inline std::vector<uint8_t> makeWmf() {
  std::vector<uint8_t> b;
  put16(b, 1);
  put16(b, 9);
  put16(b, 0x0300);
  put32(b, 0);  // size in words, below
  put16(b, 0);
  put32(b, 7);  // largest record, words
  put16(b, 0);
  // META_SETWINDOWEXT (y, x)
  put32(b, 5);
  put16(b, 0x020C);
  put16(b, 1000);
  put16(b, 2000);
  // META_RECTANGLE (bottom, right, top, left)
  put32(b, 7);
  put16(b, 0x041B);
  for (int v : {800, 1800, 200, 200}) put16(b, static_cast<uint32_t>(v));
  put32(b, 3);  // META_EOF
  put16(b, 0);
  set32(b, 6, static_cast<uint32_t>(b.size() / 2));
  return b;
}

// A placeable WMF with the box (0, 0, w, h) at `inch` units per inch.
inline std::vector<uint8_t> makePlaceable(int w, int h, int inch, bool good_checksum = true) {
  std::vector<uint8_t> b;
  put32(b, 0x9AC6CDD7);
  put16(b, 0);
  put16(b, 0);
  put16(b, 0);
  put16(b, static_cast<uint32_t>(w));
  put16(b, static_cast<uint32_t>(h));
  put16(b, static_cast<uint32_t>(inch));
  put32(b, 0);
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum = static_cast<uint16_t>(sum ^ (b[i] | b[i + 1] << 8));
  put16(b, good_checksum ? sum : static_cast<uint16_t>(sum ^ 0x5A5A));
  const auto body = makeWmf();
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& b) {
  testkit::writeFile(path, b.data(), b.size());
}

inline testkit::CommandResult runPyra(const std::string& args) {
  return testkit::run(testkit::shellQuote(PYRA_CLI) + " " + args);
}

// The engine of this build cannot play metafiles yet (or the platform cannot
// load them): conversion tests wait for it instead of failing.
inline bool drawingUnavailable(const testkit::CommandResult& r) {
  return r.status != 0 && r.out.find("not available in this build") != std::string::npos;
}

inline int lineCount(const std::string& s) {
  int n = 0;
  for (char c : s) n += c == '\n';
  if (!s.empty() && s.back() != '\n') ++n;
  return n;
}

}  // namespace pyra::clitest
