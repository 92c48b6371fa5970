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

// Measures in a private memory context compatible with the target, so a
// recording target gets no selection records from the measuring.
class GdiMeasurer : public RichMeasurer {
 public:
  // Throws std::runtime_error when no context compatible with `target` can
  // be made.
  GdiMeasurer(HDC target, const RichDocument& document, int dpi_y);
  ~GdiMeasurer() override;
  GdiMeasurer(const GdiMeasurer&) = delete;
  GdiMeasurer& operator=(const GdiMeasurer&) = delete;

  LineMetrics metrics(uint32_t format) override;
  int advance(uint32_t format, char16_t unit) override;

 private:
  struct FontEntry {
    HFONT font = 0;
    LineMetrics metrics;
    int fallback_advance = 0;  // when the font cannot measure
    std::map<unsigned, std::unique_ptr<std::array<int, 256>>> blocks;
  };
  FontEntry& entry(uint32_t format);
  void select(uint32_t format, FontEntry& entry);

  const RichDocument& doc_;
  int dpi_y_;
  HDC dc_ = 0;
  HGDIOBJ original_font_ = 0;
  uint32_t selected_ = UINT32_MAX;
  std::unordered_map<uint32_t, FontEntry> entries_;
};

}  // namespace pyra::gdi
