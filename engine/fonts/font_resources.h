#pragma once
// The fonts of one document: finds or creates the PDF font resource for a
// logical Windows font, and answers the text path's questions about the
// current font (widths, extents, conversion to its code page, characters
// drawn). One per document: make it after the device began the document and
// keep it until the device ended it, since the resources borrow its fonts.
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fonts/encoding_vector.h"
#include "engine/fonts/font_metrics_source.h"
#include "engine/fonts/font_resource.h"
#include "engine/fonts/font_stream.h"

namespace pyra::pdf {
class TPxPDFDevice;
class TPxPDFResource;
}

namespace pyra::fonts {

class FontResources {
 public:
  // Borrows both; they must outlive this object.
  FontResources(pdf::TPxPDFDevice& device, FontMetricsSource& platform);
  ~FontResources();
  FontResources(const FontResources&) = delete;
  FontResources& operator=(const FontResources&) = delete;

  // Style bits from a logical font: 1 bold (weight 700 or more), 2 italic.
  static uint8_t styleFor(int32_t weight, bool italic) { return uint8_t((weight >= 700 ? 1 : 0) | (italic ? 2 : 0)); }

  // The font's number (its resource name is "/F" + number); it becomes the
  // current font. Throws pyra::Error "Cannot load font data!" or "Cannot
  // load font widths!" when the platform cannot measure the face; no font is
  // registered then and there is no current font.
  int32_t findOrCreateFont(std::string_view face, int32_t charset, uint8_t style);

  TPxPDFFont* currentFont() const { return current_; }
  // "/F3" for the current font; empty without one.
  std::string currentFontName() const;
  const std::vector<std::unique_ptr<TPxPDFFont>>& fonts() const { return fonts_; }
  bool fullFont() const { return full_font_; }

  // --- questions about the current font (answers for no font in brackets)
  int32_t fontAvgWidth() const;                               // [0]
  bool fontIsStandard() const;                                // [false]
  double textWidthA(std::string_view bytes, double size) const;        // [0]
  double textWidthW(std::u16string_view text, double size) const;      // [0]
  // Ascent and cell height at a size: [round(size * 4/5), round(size)].
  void fontExtents(double size, int32_t& ascent, int32_t& height) const;
  // One rounded advance per character (per byte, per UTF-16 unit) in
  // `advances`, which must hold as many slots; false without widths.
  bool glyphAdvancesA(std::string_view bytes, double scale, std::span<int32_t> advances, double size) const;
  bool glyphAdvancesW(std::u16string_view text, double scale, std::span<int32_t> advances, double size) const;
  // UTF-16 to the bytes to show with the current font.
  std::string wideToAnsi(std::u16string_view text) const;
  // Records characters drawn, for subsets and for text extraction.
  void markUsedA(std::string_view bytes);
  void markUsedW(std::u16string_view text);

  // The "/Encoding" value for a charset (a shared encoding object's
  // reference, or "/WinAnsiEncoding" for symbol fonts).
  std::string encodingFor(int32_t charset);
  const std::vector<std::unique_ptr<TPxEncodingVector>>& encodingObjects() const { return encodings_; }
  // The font's text-extraction map, made when the font is written; null
  // where its encoding alone lets readers extract the text.
  pdf::TPxPDFStream* toUnicodeFor(TPxPDFFont& font);

 private:
  void buildStandardFont(TPxPDFFont& font, const std::string& compact);
  void loadFontMetrics(TPxPDFFont& font, const std::string& face, const std::string& compact);
  void fillFromProgram(TPxPDFFont& font, TPxFontDescriptor& d, TPxPDFFontStream& stream, bool mark_code_page);
  int32_t registerFont(std::unique_ptr<TPxPDFFont> font);
  bool marksGlyphs() const;
  void markChar(char16_t unit);
  uint16_t glyphForUnit(const TrueTypeFont& t, char16_t unit) const;
  std::u16string toWide(uint32_t code_page, std::string_view bytes) const;

  pdf::TPxPDFDevice& device_;
  FontMetricsSource& platform_;
  // False once the document these fonts belong to has ended. Shared with a
  // watch object in that document's resources, which may die first.
  std::shared_ptr<bool> document_alive_;
  std::vector<std::unique_ptr<TPxPDFFont>> fonts_;
  std::vector<std::unique_ptr<TPxEncodingVector>> encodings_;
  std::vector<std::unique_ptr<TPxPDFFontStream>> programs_;
  std::vector<std::unique_ptr<pdf::TPxPDFStream>> to_unicode_;
  TPxPDFFont* current_ = nullptr;
  bool full_font_ = true;
};

}  // namespace pyra::fonts
