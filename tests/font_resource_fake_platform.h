#pragma once
// A platform stand-in for the font resources' unit tests: faces with fixed
// metrics, widths that say which code was asked, and code pages 1251/1252
// (and a two-byte page 932 for a few characters) converted by table.
#include <map>
#include <string>

#include "engine/fonts/font_metrics_source.h"

namespace pyra::fonts::testing {

struct FakeFace {
  FontMetrics metrics;
  bool outline = true;
  bool widths_ok = true;
  std::vector<uint8_t> file;
};

class FakeFontSource final : public FontMetricsSource {
 public:
  std::map<std::string, FakeFace> faces;
  int open_fonts = 0;  // fonts open right now: every one must be released
  std::vector<std::string> opened;

  FakeFontSource() {
    FontMetrics m;
    m.height = 1150; m.ascent = 905; m.internal_leading = 150; m.external_leading = 33; m.ave_char_width = 441;
    m.first_char = 30; m.last_char = 0xFFFF; m.charset = 0;
    m.outline_ascent = 728; m.outline_descent = -210; m.cap_height = 716; m.x_height = 519; m.italic_angle = 0;
    m.box_left = -665; m.box_top = 1000; m.box_right = 2000; m.box_bottom = -210;
    for (const char* f : {"Arial", "Times New Roman", "Courier New", "MS Mincho", "Tahoma"}) faces[f].metrics = m;
    FontMetrics s = m;
    s.charset = 2;
    s.first_char = 32; s.last_char = 255;
    faces["Wingdings"].metrics = s;
    faces["Symbol"].metrics = s;
    faces["Bitmap Only"].outline = false;
    faces["No Widths"].metrics = m;
    faces["No Widths"].widths_ok = false;
  }

  std::unique_ptr<PlatformFont> openFont(std::string_view face, bool, bool) override;
  bool hasCodePage(uint32_t cp) override { return cp == 1252 || cp == 1251 || cp == 932; }
  std::u16string toWide(uint32_t cp, std::string_view bytes) override;
  std::string toAnsi(uint32_t cp, std::u16string_view text, bool& substituted) override;
  uint32_t defaultAnsiCodePage() override { return 1252; }
};

// Width of a UTF-16 unit: 500 + the unit's low byte, so a test can tell
// which character was measured. 8-bit widths are those of code page 1252,
// as a platform font made for the default character set gives them.
inline int32_t fakeWidth(char16_t u) { return 500 + (u & 0xFF) + ((u >> 8) ? 100 : 0); }

class FakePlatformFont final : public PlatformFont {
 public:
  FakePlatformFont(FakeFontSource& src, FakeFace& face) : src_(src), face_(face) { ++src_.open_fonts; }
  ~FakePlatformFont() override { --src_.open_fonts; }
  bool outlineMetrics(FontMetrics& out) override {
    if (!face_.outline) return false;
    out = face_.metrics;
    return true;
  }
  bool charWidthsA(uint32_t first, uint32_t last, std::vector<int32_t>& out) override {
    if (!face_.widths_ok) return false;
    out.clear();
    for (uint32_t c = first; c <= last; ++c) out.push_back(fakeWidth(char16_t(c)));
    return true;
  }
  bool charWidthsW(std::u16string_view units, std::vector<int32_t>& out) override {
    if (!face_.widths_ok) return false;
    out.clear();
    for (char16_t u : units) out.push_back(fakeWidth(u));
    return true;
  }
  std::vector<uint8_t> fontFile() override { return face_.file; }

 private:
  FakeFontSource& src_;
  FakeFace& face_;
};

inline std::unique_ptr<PlatformFont> FakeFontSource::openFont(std::string_view face, bool, bool) {
  opened.emplace_back(face);
  auto it = faces.find(std::string(face));
  // Like the platform's font mapper, an unknown face gets a stand-in.
  if (it == faces.end()) it = faces.find("Arial");
  return std::make_unique<FakePlatformFont>(*this, it->second);
}

inline std::u16string FakeFontSource::toWide(uint32_t cp, std::string_view bytes) {
  std::u16string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const uint8_t b = uint8_t(bytes[i]);
    if (cp == 1251 && b >= 0xC0) out += char16_t(0x0410 + (b - 0xC0));
    else if (cp == 932 && b == 0x82 && i + 1 < bytes.size()) out += char16_t(0x3000 + uint8_t(bytes[++i]));
    else if (cp == 1252 && b == 0x80) out += char16_t(0x20AC);
    else out += char16_t(b);
  }
  return out;
}

inline std::string FakeFontSource::toAnsi(uint32_t cp, std::u16string_view text, bool& substituted) {
  substituted = false;
  std::string out;
  for (char16_t u : text) {
    if (u < 0x80) out += char(u);
    else if (cp == 1251 && u >= 0x0410 && u < 0x0450) out += char(0xC0 + (u - 0x0410));
    else if (cp == 1252 && u == 0x20AC) out += char(0x80);
    else if (cp == 1252 && u < 0x100) out += char(u);
    else if (cp == 932 && u >= 0x3000 && u < 0x3100) { out += char(0x82); out += char(u & 0xFF); }
    else { out += ' '; substituted = true; }
  }
  return out;
}

}  // namespace pyra::fonts::testing
