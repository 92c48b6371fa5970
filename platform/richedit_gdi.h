#pragma once
// The device side of rich-text layout: measuring with fonts made for the
// target device, and drawing placed runs onto the output device context.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <unordered_map>

#include "platform/richedit_document.h"
#include "platform/richedit_layout.h"
#include "pyra/gdi.h"

namespace pyra::gdi {

// The logical font of a format at `dpi_y` logical pixels per inch.
LOGFONTW logFontForFormat(const CharFormat& format, int dpi_y);

// What has been measured for one document at one resolution: plain data,
// no handles, so it may outlive the calls (and the handle table) safely.
// Page after page of one document then needs no font made again.
struct MeasureCache {
  struct Font {
    LineMetrics metrics;
    int fallback_advance = 0;  // when the font cannot measure
    std::map<unsigned, std::unique_ptr<std::array<int, 256>>> blocks;
  };
  // Width blocks kept at most (1 KiB each): a hostile document mixing
  // thousands of formats with characters from every block is measured
  // character by character past this point instead.
  static constexpr size_t kMaxBlocks = 16384;
  int dpi_y = 0;
  size_t blocks = 0;
  std::unordered_map<uint32_t, Font> fonts;
  void reset(int new_dpi_y = 0) {
    dpi_y = new_dpi_y;
    blocks = 0;
    fonts.clear();
  }
};

// Measures in a private memory context compatible with the target, so a
// recording target gets no selection records from the measuring. Fonts
// and the context are made only for what `cache` does not know yet.
class GdiMeasurer : public RichMeasurer {
 public:
  GdiMeasurer(HDC target, const RichDocument& document, MeasureCache& cache);
  ~GdiMeasurer() override;
  GdiMeasurer(const GdiMeasurer&) = delete;
  GdiMeasurer& operator=(const GdiMeasurer&) = delete;

  LineMetrics metrics(uint32_t format) override;
  int advance(uint32_t format, char16_t unit) override;

 private:
  MeasureCache::Font& font(uint32_t format);
  // Selects the format's font into the private context; false when that
  // cannot be done (the measurement then falls back).
  bool select(uint32_t format);

  HDC target_;
  const RichDocument& doc_;
  MeasureCache& cache_;
  HDC dc_ = 0;
  bool dc_failed_ = false;
  HGDIOBJ original_font_ = 0;
  uint32_t selected_ = UINT32_MAX;
  std::unordered_map<uint32_t, HFONT> handles_;
};

}  // namespace pyra::gdi
