#pragma once
// The platform's metafile services that the page-file methods use, behind
// one seam: the default goes to libpyragdi, and a host or a test can hand
// PyraControl its own.
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "wrapper/wrap_api.h"

namespace pyra::wrapper {

// The picture description of a Windows-to-enhanced metafile conversion.
struct PictureRecord {
  int32_t MM = 0;    // mapping mode, 8 = anisotropic
  int32_t XEXT = 0;  // extents of the picture
  int32_t YEXT = 0;
  int32_t HMF = 0;   // the Windows metafile handle
};

// Handles are the platform's 32-bit ids; 0 means "none" everywhere.
class PYRA_WRAP_API MetafilePlatform {
 public:
  virtual ~MetafilePlatform() = default;

  virtual uint32_t loadEnhancedFile(const char* path) = 0;
  virtual uint32_t loadWindowsFile(const char* path) = 0;
  virtual uint32_t windowsFromBytes(std::span<const uint8_t> bytes) = 0;
  // The metafile's bits; empty for a bad handle.
  virtual std::vector<uint8_t> windowsBits(uint32_t windows_metafile) = 0;
  virtual uint32_t enhancedFromWindowsBits(std::span<const uint8_t> bits, uint32_t reference_dc,
                                           const PictureRecord& picture) = 0;
  virtual void deleteEnhanced(uint32_t enhanced_metafile) = 0;
  virtual void deleteWindows(uint32_t windows_metafile) = 0;
};

// libpyragdi's GetEnhMetaFileA, GetMetaFileA, SetMetaFileBitsEx,
// GetMetaFileBitsEx, SetWinMetaFileBits, DeleteEnhMetaFile, DeleteMetaFile.
PYRA_WRAP_API std::unique_ptr<MetafilePlatform> makeGdiMetafilePlatform();

}  // namespace pyra::wrapper
