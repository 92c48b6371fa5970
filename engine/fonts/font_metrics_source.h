#pragma once
// What the font resources ask of the platform: metrics and widths of a face
// at an em of 1000, its font file, and code-page conversion. An interface so
// the resource logic can be driven by a fake in tests.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace pyra::fonts {

// The outline text metrics the resources use, in 1/1000 em.
struct FontMetrics {
  int32_t height = 0, ascent = 0, internal_leading = 0, external_leading = 0, ave_char_width = 0;
  int32_t first_char = 0, last_char = 0, charset = 0;
  int32_t outline_ascent = 0, outline_descent = 0, cap_height = 0, x_height = 0;
  int32_t italic_angle = 0;  // tenths of a degree, negative leaning right
  int32_t box_left = 0, box_top = 0, box_right = 0, box_bottom = 0;  // y-up font units
};

// One platform font, selected into a reference context while it lives; the
// destructor deselects and deletes it and releases the context.
class PlatformFont {
 public:
  virtual ~PlatformFont() = default;
  // False when the face is not an outline font.
  virtual bool outlineMetrics(FontMetrics& out) = 0;
  // One advance per code from first to last, through the font's own
  // character set; false on failure.
  virtual bool charWidthsA(uint32_t first, uint32_t last, std::vector<int32_t>& out) = 0;
  // One advance per UTF-16 unit; false on failure.
  virtual bool charWidthsW(std::u16string_view units, std::vector<int32_t>& out) = 0;
  // The whole font file; empty when the platform has none to give.
  virtual std::vector<uint8_t> fontFile() = 0;
};

class FontMetricsSource {
 public:
  virtual ~FontMetricsSource() = default;
  // The face at an em of 1000, weight 700 or 400, italic as asked; nullptr
  // when the platform cannot create a font at all.
  virtual std::unique_ptr<PlatformFont> openFont(std::string_view face, bool bold, bool italic) = 0;
  // Whether the platform converts this code page.
  virtual bool hasCodePage(uint32_t code_page) = 0;
  // 8-bit text in a code page to UTF-16, one unit per character.
  virtual std::u16string toWide(uint32_t code_page, std::string_view bytes) = 0;
  // UTF-16 to a code page; characters without a mapping become a space and
  // set `substituted`.
  virtual std::string toAnsi(uint32_t code_page, std::u16string_view text, bool& substituted) = 0;
  virtual uint32_t defaultAnsiCodePage() = 0;
};

// The platform stand-in (libpyragdi).
std::unique_ptr<FontMetricsSource> makeGdiFontMetricsSource();

}  // namespace pyra::fonts
