#pragma once
// The one exception type of the engine. It carries the numbered error the
// host sees through its error callback, and a message saying where and what.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace pyra {

// Error numbers the host can receive (the ONERROR codes of pyractl.h).
enum ErrorCode : int32_t {
  kErrBookmarkNotFound = 1,
  kErrInvalidBitmap = 2,
  kErrCannotOpenFile = 3,
  kErrMetafile = 4,
  kErrImport = 6,
  kErrPageNotStarted = 7,
  kErrPageAlreadyStarted = 8,
  kErrInternal = 9,
  kErrNoDocument = 10,
  kErrNoPage = 11,
  kErrNoStreamWrite = 12,
  kErrDecorationFile = 13,
  kErrDecorationImage = 14,
};

class Error : public std::runtime_error {
 public:
  Error(int32_t code, const std::string& message) : std::runtime_error(message), code_(code) {}
  // An internal failure: the host sees "internal error " + detail.
  explicit Error(const std::string& detail) : Error(kErrInternal, "internal error " + detail) {}
  int32_t code() const { return code_; }

 private:
  int32_t code_;
};

}  // namespace pyra
