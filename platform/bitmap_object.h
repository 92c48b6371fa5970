#pragma once
// A bitmap (HBITMAP): a device-independent pixel buffer. DIB sections keep
// their info header, colour table and row order; device bitmaps
// (CreateBitmap) keep Windows' device layout: rows top-down, each padded to
// 2 bytes. Every size is checked before anything is allocated.
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <vector>

#include "platform/handle_table.h"
#include "pyra/gdi.h"

namespace pyra::gdi {

struct BitmapError : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

class BitmapObject : public GdiObject {
 public:
  // A DIB section with the given header (biSize is normalised to 40),
  // colour table (at most 2^bpp entries kept) and, for BI_BITFIELDS, masks.
  // Throws BitmapError for a format it does not hold or a size beyond
  // PYRA_MAX_BITMAP_BYTES.
  static std::shared_ptr<BitmapObject> makeDibSection(const BITMAPINFOHEADER& header,
                                                      std::span<const RGBQUAD> colors,
                                                      const uint32_t* masks);
  // A device bitmap of 1, 4, 8, 16, 24 or 32 bits; `bits` (rows top-down,
  // 2-byte aligned) may be null for a zeroed bitmap.
  static std::shared_ptr<BitmapObject> makeDeviceBitmap(int width, int height, int bits_per_pixel,
                                                        const void* bits);

  int width() const { return width_; }
  int height() const { return height_; }  // always positive
  bool topDown() const { return top_down_; }
  int bitsPerPixel() const { return bpp_; }
  size_t stride() const { return stride_; }
  bool isDibSection() const { return dib_section_; }
  const BITMAPINFOHEADER& header() const { return header_; }
  std::span<const RGBQUAD> colors() const { return colors_; }
  const uint32_t* masks() const { return masks_; }
  uint8_t* bits() { return bits_.data(); }
  const uint8_t* bits() const { return bits_.data(); }
  size_t bitsSize() const { return bits_.size(); }

  // Row y counted from the top of the picture.
  const uint8_t* rowFromTop(int y) const {
    return bits_.data() + size_t(top_down_ ? y : height_ - 1 - y) * stride_;
  }
  uint8_t* rowFromTop(int y) {
    return bits_.data() + size_t(top_down_ ? y : height_ - 1 - y) * stride_;
  }
  // Row y as 0x00RRGGBB values, `out` holding width() entries.
  void rowRgb(int y_from_top, uint32_t* out) const;
  // Row y as palette indices (palette formats only).
  void rowIndices(int y_from_top, uint8_t* out) const;

  int describeA(int size, void* out) const override;

  // The memory DC this bitmap is selected into (0: none); a bitmap is
  // selectable into one DC at a time.
  std::atomic<uint32_t> selected_dc{0};

 private:
  BitmapObject() : GdiObject(ObjectKind::Bitmap) {}

  int width_ = 0, height_ = 0, bpp_ = 0;
  bool top_down_ = false, dib_section_ = false;
  size_t stride_ = 0;
  BITMAPINFOHEADER header_{};
  std::vector<RGBQUAD> colors_;
  uint32_t masks_[3] = {0, 0, 0};
  std::vector<uint8_t> bits_;
};

// The palette a device bitmap of this depth shows (black and white for 1
// bit, the 16 VGA colours for 4, a grey ramp for 8).
std::vector<RGBQUAD> defaultPalette(int bits_per_pixel);

std::shared_ptr<BitmapObject> findBitmap(HBITMAP handle);

}  // namespace pyra::gdi
