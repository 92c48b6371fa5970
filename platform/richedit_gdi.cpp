#include "platform/richedit_gdi.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace pyra::gdi {

LOGFONTW logFontForFormat(const CharFormat& format, int dpi_y) {
  LOGFONTW lf{};
  lf.lfHeight = -std::max(1, MulDiv(format.half_points, dpi_y, 144));
  lf.lfWeight = format.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = format.italic ? 1 : 0;
  lf.lfUnderline = format.underline ? 1 : 0;
  lf.lfCharSet = format.charset;
  lf.lfOutPrecision = OUT_TT_PRECIS;
  lf.lfQuality = PROOF_QUALITY;
  static constexpr char16_t kDefaultFace[] = u"Arial";
  std::u16string_view face = format.face.empty() ? std::u16string_view(kDefaultFace) : std::u16string_view(format.face);
  for (size_t i = 0; i < face.size() && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = face[i];
  return lf;
}

GdiMeasurer::GdiMeasurer(HDC target, const RichDocument& document, int dpi_y) : doc_(document), dpi_y_(dpi_y) {
  dc_ = CreateCompatibleDC(target);
  if (!dc_) throw std::runtime_error("rich text: no context compatible with the target");
}

GdiMeasurer::~GdiMeasurer() {
  if (original_font_) SelectObject(dc_, original_font_);
  DeleteDC(dc_);
  for (auto& [format, e] : entries_)
    if (e.font) DeleteObject(e.font);
}

void GdiMeasurer::select(uint32_t format, FontEntry& e) {
  if (selected_ == format || !e.font) return;
  HGDIOBJ previous = SelectObject(dc_, e.font);
  if (!original_font_) original_font_ = previous;
  selected_ = format;
}

GdiMeasurer::FontEntry& GdiMeasurer::entry(uint32_t format) {
  auto found = entries_.find(format);
  if (found != entries_.end()) return found->second;
  FontEntry& e = entries_[format];
  LOGFONTW lf = logFontForFormat(doc_.format(format), dpi_y_);
  const int pixels = -lf.lfHeight;
  // Without a usable face the text is still laid out, with plausible
  // proportions, rather than collapsing onto one spot.
  e.metrics = LineMetrics{int(std::lround(pixels * 0.905)), int(std::lround(pixels * 0.212))};
  e.fallback_advance = std::max(1, pixels / 2);
  e.font = CreateFontIndirectW(&lf);
  if (e.font) {
    select(format, e);
    TEXTMETRICA tm{};
    if (selected_ == format && GetTextMetricsA(dc_, &tm) && tm.tmAscent + tm.tmDescent > 0)
      e.metrics = LineMetrics{tm.tmAscent, tm.tmDescent};
  }
  return e;
}

LineMetrics GdiMeasurer::metrics(uint32_t format) { return entry(format).metrics; }

int GdiMeasurer::advance(uint32_t format, char16_t unit) {
  FontEntry& e = entry(format);
  auto& block = e.blocks[unit >> 8];
  if (!block) {
    block = std::make_unique<std::array<int, 256>>();
    const unsigned first = unsigned(unit) & 0xFF00u;
    select(format, e);
    if (selected_ != format || !GetCharWidth32W(dc_, first, first + 255, block->data())) block->fill(e.fallback_advance);
  }
  return std::max(0, (*block)[unit & 0xFFu]);
}

}  // namespace pyra::gdi
