#include "engine/pdf/byte_sink.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/pdf/error.h"

namespace pyra::pdf {

namespace {
constexpr size_t kFileBuffer = 1 << 16;
}

FileSink::FileSink(const std::string& path) : path_(path) {
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) throw Error(kErrCannotOpenFile, "Cannot open file " + path);
  buffer_.reserve(kFileBuffer);
}

FileSink::~FileSink() {
  if (fd_ >= 0) {
    // Abandoned output: keep what was written so far, as far as the system
    // takes it, but never throw from here.
    if (!buffer_.empty()) {
      ssize_t ignored = ::write(fd_, buffer_.data(), buffer_.size());
      (void)ignored;
    }
    ::close(fd_);
  }
}

void FileSink::flushBuffer() {
  size_t done = 0;
  while (done < buffer_.size()) {
    ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Error(kErrCannotOpenFile, "Cannot write file " + path_ + ": " + std::strerror(errno));
    }
    done += size_t(n);
  }
  buffer_.clear();
}

void FileSink::write(std::span<const uint8_t> bytes) {
  if (fd_ < 0) throw Error("write after close of " + path_);
  if (buffer_.size() + bytes.size() > kFileBuffer) flushBuffer();
  if (bytes.size() >= kFileBuffer) {
    buffer_.assign(bytes.begin(), bytes.end());
    flushBuffer();
    return;
  }
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void FileSink::finish() {
  if (fd_ < 0) return;
  flushBuffer();
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw Error(kErrCannotOpenFile, "Cannot write file " + path_ + ": " + std::strerror(errno));
}

}  // namespace pyra::pdf
