#pragma once
// The one failure an image operation reports to the host: error number 2,
// "Invalid bitmap". The detail says what was wrong for logs and tests; the
// host only ever sees the fixed text.
#include <string>

#include "engine/pdf/error.h"

namespace pyra::images {

inline constexpr const char* kInvalidBitmapText = "Invalid bitmap";

class ImageError : public Error {
 public:
  explicit ImageError(std::string detail) : Error(kErrInvalidBitmap, kInvalidBitmapText), detail_(std::move(detail)) {}
  const std::string& detail() const { return detail_; }

 private:
  std::string detail_;
};

}  // namespace pyra::images
