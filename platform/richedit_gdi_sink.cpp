// Drawing placed runs onto a device context with the platform's own text
// calls. The layout is in the target's device units; the output may have
// another resolution (a printer laid out for, a screen drawn on), so
// positions are scaled and every glyph is placed by an advance array rather
// than left to the output font's own rounding.
#include <cmath>
#include <unordered_map>
#include <vector>

#include "platform/richedit_gdi.h"
#include "platform/richedit_object.h"
#include "pyra/gdi.h"

namespace pyra::gdi {

namespace {

class GdiRunSink : public RunSink {
 public:
  GdiRunSink(HDC out, int saved, const RichDocument& document, double scale_x, double scale_y, int dpi_y)
      : out_(out), saved_(saved), doc_(document), scale_x_(scale_x), scale_y_(scale_y), dpi_y_(dpi_y) {}

  ~GdiRunSink() override {
    // Restoring puts the caller's font back, so ours are free to go.
    RestoreDC(out_, saved_);
    for (auto& [format, font] : fonts_)
      if (font) DeleteObject(font);
  }

  void run(const PlacedRun& r) override {
    HFONT font = fontFor(r.format);
    if (font && font != selected_) {
      SelectObject(out_, font);
      selected_ = font;
    }
    const COLORREF color = doc_.format(r.format).color;
    if (!color_set_ || color != color_) {
      SetTextColor(out_, color);
      color_ = color;
      color_set_ = true;
    }
    dx_.resize(r.advances.size());
    double at = r.x * scale_x_;
    int placed = int(std::lround(at));
    const int x = placed;
    for (size_t i = 0; i < r.advances.size(); ++i) {
      at += r.advances[i] * scale_x_;
      int next = int(std::lround(at));
      dx_[i] = next - placed;
      placed = next;
    }
    ExtTextOutW(out_, x, int(std::lround(r.top * scale_y_)), 0, nullptr, reinterpret_cast<const WCHAR*>(r.text.data()),
                UINT(r.text.size()), dx_.data());
  }

 private:
  HFONT fontFor(uint32_t format) {
    auto found = fonts_.find(format);
    if (found != fonts_.end()) return found->second;
    LOGFONTW lf = logFontForFormat(doc_.format(format), dpi_y_);
    HFONT font = CreateFontIndirectW(&lf);
    fonts_.emplace(format, font);
    return font;
  }

  HDC out_;
  int saved_;
  const RichDocument& doc_;
  double scale_x_, scale_y_;
  int dpi_y_;
  std::unordered_map<uint32_t, HFONT> fonts_;
  HFONT selected_ = 0;
  COLORREF color_ = 0;
  bool color_set_ = false;
  std::vector<INT> dx_;
};

}  // namespace

std::unique_ptr<RunSink> makeGdiRunSink(HDC out, const RichDocument& document, int target_dpi_x, int target_dpi_y) {
  const int dpi_x = GetDeviceCaps(out, LOGPIXELSX);
  const int dpi_y = GetDeviceCaps(out, LOGPIXELSY);
  if (dpi_x <= 0 || dpi_y <= 0 || target_dpi_x <= 0 || target_dpi_y <= 0) return nullptr;
  const int saved = SaveDC(out);
  if (saved <= 0) return nullptr;
  // The layout is in device pixels; whatever mapping the caller set up is
  // put aside for the call (and restored with the context).
  SetMapMode(out, MM_TEXT);
  SetBkMode(out, TRANSPARENT);
  SetTextAlign(out, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  return std::make_unique<GdiRunSink>(out, saved, document, double(dpi_x) / target_dpi_x,
                                      double(dpi_y) / target_dpi_y, dpi_y);
}

}  // namespace pyra::gdi
