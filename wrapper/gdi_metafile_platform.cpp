#include "wrapper/metafile_platform.h"

#include <climits>

#include "pyra/gdi_metafile.h"

namespace pyra::wrapper {

namespace {

class GdiMetafilePlatform final : public MetafilePlatform {
 public:
  uint32_t loadEnhancedFile(const char* path) override { return GetEnhMetaFileA(path); }
  uint32_t loadWindowsFile(const char* path) override { return GetMetaFileA(path); }
  uint32_t windowsFromBytes(std::span<const uint8_t> bytes) override {
    if (bytes.empty() || bytes.size() > UINT_MAX) return 0;
    return SetMetaFileBitsEx(UINT(bytes.size()), bytes.data());
  }
  std::vector<uint8_t> windowsBits(uint32_t windows_metafile) override {
    if (windows_metafile == 0) return {};
    // Sized by what the platform reports for this metafile, not by the page
    // file: a file with trailing bytes or a header that under-reports its
    // size must not decide how much is written into the buffer.
    const UINT size = GetMetaFileBitsEx(windows_metafile, 0, nullptr);
    if (size == 0) return {};
    std::vector<uint8_t> bits(size);
    if (GetMetaFileBitsEx(windows_metafile, size, bits.data()) != size) return {};
    return bits;
  }
  uint32_t enhancedFromWindowsBits(std::span<const uint8_t> bits, uint32_t reference_dc,
                                   const PictureRecord& picture) override {
    if (bits.empty() || bits.size() > UINT_MAX) return 0;
    METAFILEPICT pict{picture.MM, picture.XEXT, picture.YEXT, HMETAFILE(picture.HMF)};
    return SetWinMetaFileBits(UINT(bits.size()), bits.data(), reference_dc, &pict);
  }
  void deleteEnhanced(uint32_t enhanced_metafile) override { DeleteEnhMetaFile(enhanced_metafile); }
  void deleteWindows(uint32_t windows_metafile) override { DeleteMetaFile(windows_metafile); }
};


}  // namespace

std::unique_ptr<MetafilePlatform> makeGdiMetafilePlatform() { return std::make_unique<GdiMetafilePlatform>(); }

}  // namespace pyra::wrapper
