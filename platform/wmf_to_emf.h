#pragma once
// Converts a Windows metafile into an enhanced metafile with the equivalent
// records, the way the engine wants to play it: anisotropic mapping whose
// window comes from the WMF and whose viewport is the picture size on the
// reference device.
#include <cstdint>
#include <span>
#include <vector>

namespace pyra::gdi {

struct WmfToEmfOptions {
  // From the caller's METAFILEPICT (mm 0 when none): for MM_ANISOTROPIC and
  // MM_ISOTROPIC, positive extents are the picture size in .01 mm.
  int32_t map_mode = 0;
  int32_t x_ext = 0, y_ext = 0;
  // Reference device resolution and size.
  int32_t dpi_x = 96, dpi_y = 96;
  int32_t device_px_x = 0, device_px_y = 0;  // 0: an A4 page at the resolution
};

// Throws MetafileError when the WMF cannot be read at all; records that are
// damaged on their own are skipped (the picture goes on without them).
std::vector<uint8_t> convertWmfToEmf(std::span<const uint8_t> wmf, const WmfToEmfOptions& options);

}  // namespace pyra::gdi
