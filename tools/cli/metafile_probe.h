#pragma once
// Recognises an input by its bytes and checks its framing before anything is
// written, so a damaged file stops the run with a clear reason instead of a
// half-written PDF.
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/command_line.h"

namespace pyra::tools {

// An input that cannot be used; what() is the reason, without the file name.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class MetafileKind { Emf, Wmf, PlaceableWmf };

const char* kindName(MetafileKind kind);

struct MetafileProbe {
  MetafileKind kind = MetafileKind::Emf;
  // Size the metafile asks for, in points; none for a plain WMF or an EMF
  // whose frame is empty.
  std::optional<PageSize> natural_size;
  // Placeable files: the bounding box in .01 mm, as the WMF-to-EMF
  // conversion wants it.
  int32_t extent_x = 0, extent_y = 0;
  // Where the plain metafile records start (22 after a placeable header).
  size_t body_offset = 0;
  // Bytes of the metafile from there, as its header counts them; anything
  // after them is not part of the picture.
  size_t body_size = 0;
  // Set when the size was shrunk to what PDF viewers accept.
  bool shrunk = false;
};

// Throws InputError.
MetafileProbe probeMetafile(std::span<const uint8_t> bytes);

// Reads a whole input file; throws InputError (missing, a folder, unreadable,
// empty, too large).
std::vector<uint8_t> readInputFile(const std::string& path);

}  // namespace pyra::tools
