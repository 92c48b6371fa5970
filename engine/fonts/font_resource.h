#pragma once
// A PDF font resource: one per distinct face, style and character set of a
// document, named "/F" + its number in the shared resources.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/fonts/encoding_vector.h"
#include "engine/fonts/font_descriptor.h"
#include "engine/pdf/pdf_object.h"
#include "engine/pdf/pdf_stream.h"

namespace pyra::fonts {

class FontResources;

class TPxPDFFont : public pdf::TPxCustomPDFType {
 public:
  TPxPDFFont(pdf::TPxPDFDevice* owner, FontResources* resources, int32_t charset, uint8_t style,
             uint32_t code_page)
      : TPxCustomPDFType(owner), resources_(resources), charset_(charset), style_(style), code_page_(code_page) {}
  const char* className() const override { return "TPxPDFFont"; }

  const std::string& face() const { return face_; }
  bool standard() const { return standard_; }
  uint8_t style() const { return style_; }
  // The request's charset, or 2 once the face proved to be a symbol font.
  int32_t charset() const { return charset_; }
  // The charset asked for when the font was made (before a symbol font
  // replaced it); the encoding follows it.
  int32_t requestedCharset() const { return requested_charset_; }
  bool charsetSubstituted() const { return charset_substituted_; }
  uint32_t codePage() const { return code_page_; }
  int32_t number() const { return number_; }
  int32_t firstChar() const { return first_char_; }
  int32_t lastChar() const { return last_char_; }
  // Width of a code in 1/1000 em; 0 outside FirstChar..LastChar or for a
  // font without widths.
  int32_t width(int32_t code) const;
  const std::vector<int32_t>& widths() const { return widths_; }
  TPxFontDescriptor* descriptor() const { return descriptor_.get(); }
  bool symbol() const { return charset_ == 2; }

  // "/F3 12 0 R": the font's entry in the resources' font dictionary.
  std::string valueText() override { return "/F" + std::to_string(number_) + " " + reference(); }
  std::string asString() override;
  void writeObject() override;

 private:
  friend class FontResources;
  std::string fontDictionaryText();

  FontResources* resources_;
  std::string face_;
  bool standard_ = false;
  std::string standard_base_font_;
  int32_t charset_;
  int32_t requested_charset_ = 0;
  uint8_t style_;
  bool charset_substituted_ = false;
  uint32_t code_page_;
  int32_t number_ = 0;
  int32_t first_char_ = 0, last_char_ = 0;
  std::vector<int32_t> widths_;
  std::unique_ptr<TPxFontDescriptor> descriptor_;
  std::string encoding_;  // the "/Encoding" value
  TPxEncodingVector* encoding_object_ = nullptr;  // shared, owned by the resources
  pdf::TPxPDFStream* to_unicode_ = nullptr;       // owned by the resources
  bool to_unicode_made_ = false;
};

}  // namespace pyra::fonts
