#include "platform/richedit_gdi.h"

#include <algorithm>
#include <cmath>

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

GdiMeasurer::GdiMeasurer(HDC target, const RichDocument& document, MeasureCache& cache)
    : target_(target), doc_(document), cache_(cache) {}

GdiMeasurer::~GdiMeasurer() {
  if (dc_) {
    if (original_font_) SelectObject(dc_, original_font_);
    DeleteDC(dc_);
  }
  for (auto& [format, handle] : handles_)
    if (handle) DeleteObject(handle);
}

bool GdiMeasurer::select(uint32_t format) {
  if (selected_ == format) return true;
  if (!dc_ && !dc_failed_) {
    dc_ = CreateCompatibleDC(target_);
    dc_failed_ = dc_ == 0;
  }
  if (!dc_) return false;
  auto [it, made] = handles_.try_emplace(format, 0);
  if (made) {
    LOGFONTW lf = logFontForFormat(doc_.format(format), cache_.dpi_y);
    it->second = CreateFontIndirectW(&lf);
  }
  if (!it->second) return false;
  HGDIOBJ previous = SelectObject(dc_, it->second);
  if (!previous) return false;
  if (!original_font_) original_font_ = previous;
  selected_ = format;
  return true;
}

MeasureCache::Font& GdiMeasurer::font(uint32_t format) {
  auto [it, made] = cache_.fonts.try_emplace(format);
  MeasureCache::Font& f = it->second;
  if (!made) return f;
  const int pixels = std::max(1, MulDiv(doc_.format(format).half_points, cache_.dpi_y, 144));
  // Without a usable face the text is still laid out, with plausible
  // proportions, rather than collapsing onto one spot.
  f.metrics = LineMetrics{int(std::lround(pixels * 0.905)), int(std::lround(pixels * 0.212))};
  f.fallback_advance = std::max(1, pixels / 2);
  TEXTMETRICA tm{};
  if (select(format) && GetTextMetricsA(dc_, &tm) && tm.tmAscent >= 0 && tm.tmDescent >= 0 &&
      tm.tmAscent + tm.tmDescent > 0)
    f.metrics = LineMetrics{tm.tmAscent, tm.tmDescent};
  return f;
}

LineMetrics GdiMeasurer::metrics(uint32_t format) { return font(format).metrics; }

int GdiMeasurer::advance(uint32_t format, char16_t unit) {
  MeasureCache::Font& f = font(format);
  auto found = f.blocks.find(unit >> 8);
  if (found == f.blocks.end() && cache_.blocks >= MeasureCache::kMaxBlocks) {
    INT width = 0;
    if (!select(format) || !GetCharWidth32W(dc_, unit, unit, &width)) width = f.fallback_advance;
    return std::max(0, width);
  }
  auto& block = found != f.blocks.end() ? found->second : f.blocks[unit >> 8];
  if (!block) {
    ++cache_.blocks;
    block = std::make_unique<std::array<int, 256>>();
    const unsigned first = unsigned(unit) & 0xFF00u;
    if (!select(format) || !GetCharWidth32W(dc_, first, first + 255, block->data())) block->fill(f.fallback_advance);
  }
  return std::max(0, (*block)[unit & 0xFFu]);
}

}  // namespace pyra::gdi
