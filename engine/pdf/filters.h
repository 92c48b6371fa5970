#pragma once
// The stream filters the writer applies to a whole stream body at once.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace pyra::pdf {

// zlib format (header, deflate data, Adler-32), level 1..12 (6 is the
// usual trade-off, 1 the fast one).
std::vector<uint8_t> flateEncode(std::span<const uint8_t> data, int level);

// The same, keeping one compressor per level for a writer that makes many
// small streams: setting a compressor up costs about as much as packing a
// page's content.
class FlateEncoder {
 public:
  FlateEncoder();
  ~FlateEncoder();
  FlateEncoder(const FlateEncoder&) = delete;
  FlateEncoder& operator=(const FlateEncoder&) = delete;
  std::vector<uint8_t> encode(std::span<const uint8_t> data, int level);

 private:
  struct Compressors;
  std::unique_ptr<Compressors> compressors_;
};
// PDF run-length encoding, ending with the end-of-data byte 128.
std::vector<uint8_t> runLengthEncode(std::span<const uint8_t> data);
// PDF ASCII base-85, ending with "~>" and a line feed; lines stay under 80.
std::vector<uint8_t> ascii85Encode(std::span<const uint8_t> data);
// Lowercase hex, a line feed after every 40 input bytes and one at the end.
std::vector<uint8_t> hexEncode(std::span<const uint8_t> data);

}  // namespace pyra::pdf
