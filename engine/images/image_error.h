#pragma once
// The one failure an image operation reports to the host: error number 2,
// "Invalid bitmap". The detail says what was wrong for logs and tests; the
// host only ever sees the fixed text.
#include <stdexcept>
#include <string>

namespace pyra::images {

inline constexpr int kInvalidBitmapCode = 2;
inline constexpr const char* kInvalidBitmapText = "Invalid bitmap";

class ImageError : public std::runtime_error {
 public:
  explicit ImageError(std::string detail)
      : std::runtime_error(kInvalidBitmapText), detail_(std::move(detail)) {}
  int code() const { return kInvalidBitmapCode; }
  const std::string& detail() const { return detail_; }

 private:
  std::string detail_;
};

}  // namespace pyra::images
