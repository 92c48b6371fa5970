// The font resources' platform access through libpyragdi.
#include <pyra/gdi.h>

#include <vector>

#include "engine/fonts/font_metrics_source.h"

namespace pyra::fonts {

namespace {

class GdiPlatformFont final : public PlatformFont {
 public:
  GdiPlatformFont(HDC dc, HFONT font) : dc_(dc), font_(font) { previous_ = SelectObject(dc_, font_); }
  ~GdiPlatformFont() override {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    DeleteObject(font_);
    ReleaseDC(0, dc_);
  }

  bool outlineMetrics(FontMetrics& m) override {
    const UINT need = GetOutlineTextMetricsA(dc_, 0, nullptr);
    if (need < sizeof(OUTLINETEXTMETRICA)) return false;
    std::vector<uint8_t> buffer(need);
    auto* otm = reinterpret_cast<OUTLINETEXTMETRICA*>(buffer.data());
    if (GetOutlineTextMetricsA(dc_, need, otm) == 0) return false;
    const TEXTMETRICA& tm = otm->otmTextMetrics;
    m.height = tm.tmHeight;
    m.ascent = tm.tmAscent;
    m.internal_leading = tm.tmInternalLeading;
    m.external_leading = tm.tmExternalLeading;
    m.ave_char_width = tm.tmAveCharWidth;
    m.first_char = tm.tmFirstChar;
    m.last_char = tm.tmLastChar;
    m.charset = tm.tmCharSet;
    m.outline_ascent = otm->otmAscent;
    m.outline_descent = otm->otmDescent;
    m.cap_height = int32_t(otm->otmsCapEmHeight);
    m.x_height = int32_t(otm->otmsXHeight);
    m.italic_angle = otm->otmItalicAngle;
    m.box_left = otm->otmrcFontBox.left;
    m.box_top = otm->otmrcFontBox.top;
    m.box_right = otm->otmrcFontBox.right;
    m.box_bottom = otm->otmrcFontBox.bottom;
    return true;
  }

  bool charWidthsA(uint32_t first, uint32_t last, std::vector<int32_t>& out) override {
    if (last < first || last > 0xFFFF) return false;
    out.assign(last - first + 1, 0);
    return GetCharWidthA(dc_, first, last, reinterpret_cast<INT*>(out.data())) != FALSE;
  }

  bool charWidthsW(std::u16string_view units, std::vector<int32_t>& out) override {
    out.assign(units.size(), 0);
    for (size_t i = 0; i < units.size(); ++i) {
      INT w = 0;
      if (!GetCharWidthW(dc_, units[i], units[i], &w)) return false;
      out[i] = w;
    }
    return true;
  }

  std::vector<uint8_t> fontFile() override {
    const DWORD size = GetFontData(dc_, 0, 0, nullptr, 0);
    // The size is a DWORD that a failure sets to GDI_ERROR; anything that
    // large is no font file.
    if (size == 0 || size == GDI_ERROR || size > (256u << 20)) return {};
    std::vector<uint8_t> data(size);
    if (GetFontData(dc_, 0, 0, data.data(), size) != size) return {};
    return data;
  }

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ previous_ = 0;
};

class GdiFontMetricsSource final : public FontMetricsSource {
 public:
  std::unique_ptr<PlatformFont> openFont(std::string_view face, bool bold, bool italic) override {
    std::string name(face.substr(0, LF_FACESIZE - 1));
    // A negative height asks for the character height (the em), so every
    // metric comes in 1/1000 em.
    HFONT font = CreateFontA(-1000, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? 1 : 0, 0, 0, DEFAULT_CHARSET,
                             OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, name.c_str());
    if (!font) return nullptr;
    HDC dc = GetDC(0);
    if (!dc) {
      DeleteObject(font);
      return nullptr;
    }
    return std::make_unique<GdiPlatformFont>(dc, font);
  }

  bool hasCodePage(uint32_t code_page) override { return IsValidCodePage(code_page) != FALSE; }

  std::u16string toWide(uint32_t code_page, std::string_view bytes) override {
    if (bytes.empty() || bytes.size() > 0x7FFFFFF) return {};
    const INT n = MultiByteToWideChar(code_page, 0, bytes.data(), INT(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::vector<WCHAR> units(static_cast<size_t>(n));
    const INT got = MultiByteToWideChar(code_page, 0, bytes.data(), INT(bytes.size()), units.data(), n);
    return std::u16string(units.begin(), units.begin() + (got > 0 ? got : 0));
  }

  std::string toAnsi(uint32_t code_page, std::u16string_view text, bool& substituted) override {
    substituted = false;
    if (text.empty() || text.size() > 0x3FFFFFF) return {};
    const std::vector<WCHAR> units(text.begin(), text.end());
    const WCHAR* src = units.data();
    const INT n = WideCharToMultiByte(code_page, 0, src, INT(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(size_t(n), '\0');
    BOOL used = FALSE;
    const INT got = WideCharToMultiByte(code_page, 0, src, INT(text.size()), out.data(), n, nullptr, &used);
    out.resize(got > 0 ? size_t(got) : 0);
    substituted = used != FALSE;
    return out;
  }

  uint32_t defaultAnsiCodePage() override { return GetACP(); }
};

}  // namespace

std::unique_ptr<FontMetricsSource> makeGdiFontMetricsSource() { return std::make_unique<GdiFontMetricsSource>(); }

}  // namespace pyra::fonts
