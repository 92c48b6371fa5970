#include "wrapper/page_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace pyra::wrapper {

namespace {

// pread that retries interrupted and partial reads; the byte count read,
// short only at the end of the file, or -1 on an error.
ssize_t readAt(int fd, uint8_t* data, size_t size, off_t offset) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, data + done, size - done, offset + off_t(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += size_t(n);
  }
  return ssize_t(done);
}

bool writeAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= size_t(n);
  }
  return true;
}

}  // namespace

PageFile::PageFile(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd_ < 0) return;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return;
  }
  std::array<uint8_t, kPlaceableHeaderSize> bytes{};
  if (readAt(fd_, bytes.data(), bytes.size(), 0) != ssize_t(bytes.size())) return;
  header_ = placeableHeaderFromBytes(bytes);
  checksum_ok_ = placeableChecksum(bytes) == uint16_t(header_.CHECKSUM);
}

PageFile::~PageFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool PageFile::copyBodyTo(int fd) const {
  if (fd_ < 0) return false;
  std::array<uint8_t, 64 * 1024> chunk;
  off_t offset = off_t(kPlaceableHeaderSize);
  for (;;) {
    const ssize_t n = readAt(fd_, chunk.data(), chunk.size(), offset);
    if (n < 0) return false;
    if (n == 0) return true;
    if (!writeAll(fd, chunk.data(), size_t(n))) return false;
    offset += n;
  }
}

std::optional<std::vector<uint8_t>> PageFile::readBody() const {
  if (fd_ < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || st.st_size < off_t(kPlaceableHeaderSize)) return std::nullopt;
  std::vector<uint8_t> body(size_t(st.st_size) - kPlaceableHeaderSize);
  const ssize_t n = readAt(fd_, body.data(), body.size(), off_t(kPlaceableHeaderSize));
  if (n < 0) return std::nullopt;
  body.resize(size_t(n));  // the file may have shrunk since fstat
  return body;
}

std::unique_ptr<TempMetafileCopy> TempMetafileCopy::makeFrom(const PageFile& page) {
  // An unusable temporary folder (TMPDIR naming nothing) is not replaced
  // by a guess: the caller then hands the bytes over from memory.
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
  if (ec) return nullptr;
  std::string name = (folder / "mfxXXXXXX").string();
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return nullptr;
  // Owned from here on, so every early return below removes the file.
  auto copy = std::make_unique<TempMetafileCopy>(Token{}, name);
  const bool copied = page.copyBodyTo(fd);
  const bool closed = ::close(fd) == 0;
  if (!copied || !closed) return nullptr;
  return copy;
}

TempMetafileCopy::~TempMetafileCopy() { ::unlink(path_.c_str()); }

}  // namespace pyra::wrapper
