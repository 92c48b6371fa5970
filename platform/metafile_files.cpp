#include "platform/metafile_files.h"

#include <cstdio>
#include <memory>

namespace pyra::gdi {

namespace {
struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;
}  // namespace

std::optional<std::vector<uint8_t>> readWholeFile(const char* name) {
  if (!name || !*name) return std::nullopt;
  File f(std::fopen(name, "rb"));
  if (!f) return std::nullopt;
  if (std::fseek(f.get(), 0, SEEK_END) != 0) return std::nullopt;
  const long size = std::ftell(f.get());
  if (size < 0 || uint64_t(size) > 0xFFFFFFFFull) return std::nullopt;
  std::rewind(f.get());
  std::vector<uint8_t> data(static_cast<size_t>(size));
  if (size && std::fread(data.data(), 1, data.size(), f.get()) != data.size()) return std::nullopt;
  return data;
}

bool writeWholeFile(const char* name, std::span<const uint8_t> a, std::span<const uint8_t> b) {
  if (!name || !*name) return false;
  File f(std::fopen(name, "wb"));
  if (!f) return false;
  if (!a.empty() && std::fwrite(a.data(), 1, a.size(), f.get()) != a.size()) return false;
  if (!b.empty() && std::fwrite(b.data(), 1, b.size(), f.get()) != b.size()) return false;
  return std::fclose(f.release()) == 0;
}

}  // namespace pyra::gdi
