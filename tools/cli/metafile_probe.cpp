#include "cli/metafile_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>

#include <algorithm>
#include <cstdio>

namespace pyra::tools {

namespace {

constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kEmrHeader = 1, kEmrEof = 14;
constexpr size_t kEmfHeaderMin = 88;  // up to the reference size in millimetres
constexpr size_t kWmfHeaderSize = 18;
constexpr size_t kPlaceableSize = 22;
// The platform's metafile calls take 32-bit sizes.
constexpr uint64_t kMaxInput = 0x7FFFFFFF;

uint16_t le16(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t le32(std::span<const uint8_t> b, size_t at) {
  return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
         static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
int32_t les32(std::span<const uint8_t> b, size_t at) { return static_cast<int32_t>(le32(b, at)); }
int16_t les16(std::span<const uint8_t> b, size_t at) { return static_cast<int16_t>(le16(b, at)); }

std::string str(uint64_t v) { return std::to_string(v); }

// Points from a length in .01 mm or in units per inch; pages above what PDF
// viewers accept are shrunk as a whole so the drawing keeps its proportions.
std::optional<PageSize> pageFrom(double w_points, double h_points, bool& shrunk) {
  w_points = std::fabs(w_points);
  h_points = std::fabs(h_points);
  if (!(w_points >= 0.5) || !(h_points >= 0.5)) return std::nullopt;
  const double big = std::max(w_points, h_points);
  if (big > kMaxPagePoints) {
    const double f = kMaxPagePoints / big;
    w_points *= f;
    h_points *= f;
    shrunk = true;
  }
  auto clamp = [](double v) { return static_cast<int>(std::min<double>(kMaxPagePoints, std::max(1.0, std::round(v)))); };
  return PageSize{clamp(w_points), clamp(h_points)};
}

MetafileProbe probeEmf(std::span<const uint8_t> b) {
  if (b.size() < kEmfHeaderMin)
    throw InputError("truncated EMF header: " + str(b.size()) + " bytes, the header needs " + str(kEmfHeaderMin));
  if (le32(b, 40) != kEmfSignature) throw InputError("not an enhanced metafile: no \" EMF\" signature at offset 40");
  const uint32_t header_size = le32(b, 4);
  const uint32_t total = le32(b, 48);
  if (header_size < kEmfHeaderMin || header_size % 4 != 0 || header_size > b.size())
    throw InputError("damaged EMF header: header record size " + str(header_size) + " in a file of " +
                     str(b.size()) + " bytes");
  if (total < header_size || total > b.size())
    throw InputError("EMF header gives a file size of " + str(total) + " bytes, the file has " + str(b.size()) +
                     (total > b.size() ? " (truncated?)" : ""));
  // Walk the record sizes: a length that runs past the end is how a cut-off
  // or overwritten file shows.
  uint64_t at = header_size;
  uint64_t index = 1;
  bool eof = false;
  while (at < total) {
    if (total - at < 8) throw InputError("EMF record " + str(index) + " at offset " + str(at) + " is cut off");
    const uint32_t type = le32(b, at), size = le32(b, at + 4);
    if (size < 8 || size % 4 != 0 || size > total - at)
      throw InputError("EMF record " + str(index) + " at offset " + str(at) + " has a bad size " + str(size) +
                       " (" + str(total - at) + " bytes left)");
    if (type == kEmrHeader) throw InputError("EMF record " + str(index) + " at offset " + str(at) + " is a second header");
    at += size;
    ++index;
    if (type == kEmrEof) {
      eof = true;
      break;
    }
  }
  if (!eof) throw InputError("EMF has no end-of-file record (truncated?)");

  MetafileProbe p;
  p.kind = MetafileKind::Emf;
  p.body_size = total;
  const double fw = static_cast<double>(les32(b, 32)) - les32(b, 24);
  const double fh = static_cast<double>(les32(b, 36)) - les32(b, 28);
  p.natural_size = pageFrom(fw / 2540.0 * 72.0, fh / 2540.0 * 72.0, p.shrunk);
  return p;
}

// Returns the metafile's size as its header gives it.
size_t checkWmfBody(std::span<const uint8_t> all, size_t start) {
  const auto b = all.subspan(start);
  if (b.size() < kWmfHeaderSize)
    throw InputError("truncated WMF header: " + str(b.size()) + " bytes, the header needs " + str(kWmfHeaderSize));
  const uint16_t type = le16(b, 0), header_words = le16(b, 2), version = le16(b, 4);
  if ((type != 1 && type != 2) || header_words != 9)
    throw InputError("not a Windows metafile: bad header at offset " + str(start));
  if (version != 0x0100 && version != 0x0300)
    throw InputError("unknown WMF version 0x" + [&] {
      char t[8];
      std::snprintf(t, sizeof t, "%04X", version);
      return std::string(t);
    }());
  const uint64_t total = uint64_t{le32(b, 6)} * 2;
  if (total < kWmfHeaderSize + 6 || total > b.size())
    throw InputError("WMF header gives a size of " + str(total) + " bytes, the metafile has " + str(b.size()) +
                     (total > b.size() ? " (truncated?)" : ""));
  uint64_t at = kWmfHeaderSize;
  uint64_t index = 1;
  while (true) {
    if (total - at < 6)
      throw InputError("WMF has no end-of-file record (truncated?)");
    const uint64_t size = uint64_t{le32(b, at)} * 2;
    const uint16_t function = le16(b, at + 4);
    if (size < 6 || size > total - at)
      throw InputError("WMF record " + str(index) + " at offset " + str(start + at) + " has a bad size " +
                       str(size) + " (" + str(total - at) + " bytes left)");
    if (function == 0) return static_cast<size_t>(total);
    at += size;
    ++index;
  }
}

MetafileProbe probePlaceable(std::span<const uint8_t> b) {
  if (b.size() < kPlaceableSize)
    throw InputError("truncated placeable WMF header: " + str(b.size()) + " bytes, the header needs 22");
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= le16(b, i);
  if (sum != le16(b, 20))
    throw InputError("placeable WMF header checksum is " + str(le16(b, 20)) + ", the header adds up to " + str(sum));
  const int left = les16(b, 6), top = les16(b, 8), right = les16(b, 10), bottom = les16(b, 12);
  const int inch = le16(b, 14);
  if (inch == 0) throw InputError("placeable WMF header gives 0 units per inch");
  if (right == left || bottom == top)
    throw InputError("placeable WMF bounding box is empty (" + std::to_string(left) + "," + std::to_string(top) +
                     " to " + std::to_string(right) + "," + std::to_string(bottom) + ")");
  MetafileProbe p;
  p.body_size = checkWmfBody(b, kPlaceableSize);
  p.kind = MetafileKind::PlaceableWmf;
  p.body_offset = kPlaceableSize;
  const double w = std::abs(right - left), h = std::abs(bottom - top);
  p.natural_size = pageFrom(w / inch * 72.0, h / inch * 72.0, p.shrunk);
  p.extent_x = static_cast<int32_t>(std::lround(w / inch * 2540.0));
  p.extent_y = static_cast<int32_t>(std::lround(h / inch * 2540.0));
  return p;
}

}  // namespace

const char* kindName(MetafileKind kind) {
  switch (kind) {
    case MetafileKind::Emf: return "EMF";
    case MetafileKind::Wmf: return "WMF";
    case MetafileKind::PlaceableWmf: return "placeable WMF";
  }
  return "?";
}

MetafileProbe probeMetafile(std::span<const uint8_t> b) {
  if (b.empty()) throw InputError("empty file");
  if (b.size() >= 4 && le32(b, 0) == kPlaceableKey) return probePlaceable(b);
  if (b.size() >= 4 && le32(b, 0) == kEmrHeader) return probeEmf(b);
  if (b.size() >= 4 && (le16(b, 0) == 1 || le16(b, 0) == 2) && le16(b, 2) == 9) {
    MetafileProbe p;
    p.kind = MetafileKind::Wmf;
    p.body_size = checkWmfBody(b, 0);
    return p;
  }
  if (b.size() < 4) throw InputError("not a metafile: only " + str(b.size()) + " bytes");
  throw InputError("not a metafile: no EMF, WMF or placeable WMF header");
}

std::vector<uint8_t> readInputFile(const std::string& path) {
  // Non-blocking, so a named pipe is refused instead of waiting for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw InputError(std::strerror(errno));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st{};
  if (::fstat(fd, &st) != 0) throw InputError(std::strerror(errno));
  if (S_ISDIR(st.st_mode)) throw InputError("is a directory");
  if (!S_ISREG(st.st_mode)) throw InputError("not a regular file");
  if (static_cast<uint64_t>(st.st_size) > kMaxInput)
    throw InputError("too large (" + str(static_cast<uint64_t>(st.st_size)) + " bytes)");
  std::vector<uint8_t> data(static_cast<size_t>(st.st_size));
  size_t got = 0;
  while (got < data.size()) {
    const ssize_t n = ::read(fd, data.data() + got, data.size() - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw InputError(std::string("read error: ") + std::strerror(errno));
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  data.resize(got);  // a file that shrank while we read is judged as it is now
  return data;
}

}  // namespace pyra::tools
