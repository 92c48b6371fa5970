#pragma once
// A metafile page file opened for its placeable header and the plain
// metafile behind it.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "wrapper/placeable_header.h"

namespace pyra::wrapper {

class PageFile {
 public:
  // Opening never blocks and never fails loudly: a file that cannot be
  // opened, is not a regular file (a FIFO would hang the report) or is
  // shorter than the header leaves the header cleared, so the file is then
  // treated as a plain Windows metafile.
  explicit PageFile(const std::string& path);
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  const PlaceableHeader& header() const { return header_; }
  bool checksumOk() const { return checksum_ok_; }

  // Copies the bytes after the placeable header to `fd`; false when
  // reading or writing fails.
  bool copyBodyTo(int fd) const;
  // The bytes after the placeable header; never more than the file holds.
  std::optional<std::vector<uint8_t>> readBody() const;

 private:
  int fd_ = -1;
  PlaceableHeader header_;
  bool checksum_ok_ = false;
};

// A uniquely named file with the prefix "mfx" in the system's temporary
// folder, holding a placeable page file's plain metafile for the platform's
// file-based loader. Removed when the object dies, whatever happened between.
class TempMetafileCopy {
 public:
  // Null when the temporary folder cannot take the copy.
  static std::unique_ptr<TempMetafileCopy> makeFrom(const PageFile& page);
  ~TempMetafileCopy();
  TempMetafileCopy(const TempMetafileCopy&) = delete;
  TempMetafileCopy& operator=(const TempMetafileCopy&) = delete;

  const std::string& path() const { return path_; }

 private:
  struct Token {};

 public:
  TempMetafileCopy(Token, std::string path) : path_(std::move(path)) {}

 private:
  std::string path_;
};

}  // namespace pyra::wrapper
