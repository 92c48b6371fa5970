#pragma once
// Builds enhanced-metafile bytes record by record, for tests that need a
// precise (or precisely broken) metafile without going through a recorder.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace pyra::testkit {

class EmfBuilder {
 public:
  struct Rect { int32_t left, top, right, bottom; };
  static constexpr uint32_t kSignature = 0x464D4520;

  // frame in .01 mm, bounds in device pixels of a 96-dpi reference device.
  explicit EmfBuilder(Rect frame = {0, 0, 2540, 2540}, Rect bounds = {0, 0, 96, 96}) {
    std::vector<uint32_t> h(22, 0);
    h[0] = 1;
    h[1] = 88;
    h[2] = uint32_t(bounds.left); h[3] = uint32_t(bounds.top); h[4] = uint32_t(bounds.right); h[5] = uint32_t(bounds.bottom);
    h[6] = uint32_t(frame.left); h[7] = uint32_t(frame.top); h[8] = uint32_t(frame.right); h[9] = uint32_t(frame.bottom);
    h[10] = kSignature;
    h[11] = 0x10000;
    h[14] = 16;                // handles
    h[18] = 960; h[19] = 960;  // reference device: 960 px
    h[20] = 254; h[21] = 254;  // over 254 mm: 96 dpi
    for (uint32_t w : h) word(w);
  }
  EmfBuilder& record(uint32_t type, std::vector<uint32_t> fields) {
    word(type);
    word(uint32_t(8 + fields.size() * 4));
    for (uint32_t w : fields) word(w);
    ++records_;
    return *this;
  }
  EmfBuilder& raw(std::vector<uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    ++records_;
    return *this;
  }
  std::vector<uint8_t> bytes(bool with_eof = true) const {
    std::vector<uint8_t> out = bytes_;
    uint32_t count = records_ + 1;
    if (with_eof) {
      uint32_t eof[5] = {14, 20, 0, 16, 20};
      out.insert(out.end(), reinterpret_cast<uint8_t*>(eof), reinterpret_cast<uint8_t*>(eof) + 20);
      ++count;
    }
    uint32_t size = uint32_t(out.size());
    std::memcpy(&out[48], &size, 4);
    std::memcpy(&out[52], &count, 4);
    return out;
  }

  // A writer comment (code, private identifier, rectangle, payload).
  static std::vector<uint32_t> comment(int32_t code, Rect r, const std::string& payload, int32_t claimed = -1) {
    std::vector<uint8_t> data;
    auto put = [&](uint32_t w) { for (int i = 0; i < 4; ++i) data.push_back(uint8_t(w >> (8 * i))); };
    put(uint32_t(code)); put(0x0001D5CD);
    put(uint32_t(r.left)); put(uint32_t(r.top)); put(uint32_t(r.right)); put(uint32_t(r.bottom));
    put(uint32_t(claimed < 0 ? int32_t(payload.size()) : claimed));
    data.insert(data.end(), payload.begin(), payload.end());
    std::vector<uint32_t> fields = {uint32_t(data.size())};
    while (data.size() % 4) data.push_back(0);
    for (size_t i = 0; i < data.size(); i += 4)
      fields.push_back(uint32_t(data[i] | data[i + 1] << 8 | data[i + 2] << 16 | data[i + 3] << 24));
    return fields;
  }

 private:
  void word(uint32_t w) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(w >> (8 * i)));
  }
  std::vector<uint8_t> bytes_;
  uint32_t records_ = 0;
};

}  // namespace pyra::testkit
