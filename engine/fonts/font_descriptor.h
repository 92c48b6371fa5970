#pragma once
// A font's descriptor: metrics in 1/1000 em, flags, the program it embeds,
// and for CJK fonts the CIDFont and CIDSystemInfo objects that stand between
// the Type0 font and the descriptor.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/fonts/charset_code_page.h"
#include "engine/fonts/font_stream.h"
#include "engine/pdf/pdf_object.h"

namespace pyra::fonts {

// An object whose body is a fixed dictionary text.
class TPxPDFDictText : public pdf::TPxCustomPDFType {
 public:
  TPxPDFDictText(pdf::TPxPDFDevice* owner, std::string text) : TPxCustomPDFType(owner), text_(std::move(text)) {}
  const char* className() const override { return "TPxPDFName"; }
  std::string asString() override { return text_; }
  void setText(std::string text) { text_ = std::move(text); }

 private:
  std::string text_;
};

class TPxFontDescriptor : public pdf::TPxCustomPDFType {
 public:
  TPxFontDescriptor(pdf::TPxPDFDevice* owner, const bool& full_font)
      : TPxCustomPDFType(owner), full_font_(full_font) {}
  const char* className() const override { return "TPxFontDescriptor"; }

  std::string FontName;
  int32_t Ascent = 0, Height = 0, TextAscent = 0, CapHeight = 0, Descent = 0, Flags = 32;
  int32_t BoxLeft = 0, BoxTop = 0, BoxRight = 0, BoxBottom = 0;
  int32_t ItalicAngle = 0, StemV = 0, AvgWidth = 0, Leading = 0, MaxWidth = 0, XHeight = 0;
  // Glyph per code 0..257, filled only from a parsed program.
  std::vector<int32_t> glyphs;
  double scale = 1.0;

  TPxPDFFontStream* program() const { return program_; }
  void setProgram(TPxPDFFontStream* p) { program_ = p; }
  bool embed() const { return embed_; }
  void setEmbed(bool v) { embed_ = v; }
  CjkKind cjkKind() const { return cjk_kind_; }

  // Turns the descriptor into a CJK one: FontName becomes the collection's
  // base font plus the style suffix; the CIDFont and CIDSystemInfo objects
  // are made. Such fonts are never embedded.
  void setupCjk(CjkKind kind, std::string_view style_suffix);
  TPxPDFDictText* cidFont() const { return cid_font_.get(); }
  TPxPDFDictText* cidSystemInfo() const { return cid_system_info_.get(); }

  // Whether the program goes into the document, and in which form; decided
  // once, when the font is written, from the document's final state.
  bool embedsProgram();
  bool embedsSubset();
  // The name after "/FontName/" and "/BaseFont/", subset-tagged when a
  // subset is embedded.
  std::string pdfFontName();

  std::string asString() override;

 private:
  void decide();

  const bool& full_font_;
  TPxPDFFontStream* program_ = nullptr;
  bool embed_ = false;
  CjkKind cjk_kind_ = CjkKind::None;
  std::unique_ptr<TPxPDFDictText> cid_font_, cid_system_info_;
  bool decided_ = false;
  bool embeds_program_ = false, embeds_subset_ = false;
};

}  // namespace pyra::fonts
