#pragma once
// Encoding dictionaries for 8-bit TrueType fonts: WinAnsiEncoding with the
// code page's own characters put in place by a Differences array. One per
// character set and document, shared by every font of that set.
#include <cstdint>
#include <string>

#include "engine/pdf/pdf_object.h"

namespace pyra::fonts {

class TPxEncodingVector : public pdf::TPxCustomPDFType {
 public:
  TPxEncodingVector(pdf::TPxPDFDevice* owner, int32_t charset, std::string text)
      : TPxCustomPDFType(owner), charset_(charset), text_(std::move(text)) {}
  const char* className() const override { return "TPxEncodingVector"; }
  std::string asString() override { return text_; }
  int32_t charset() const { return charset_; }

 private:
  int32_t charset_;
  std::string text_;
};

// The dictionary body for a character set: the Cyrillic (204), Baltic (186),
// Greek (161), Turkish (162) and Central European (238) tables, and for any
// other set WinAnsiEncoding with the Euro sign at 128.
std::string encodingDictionaryText(int32_t charset);

// A Differences body for codes 128-255 from the Unicode value each code has
// in its code page (0 for none): AGL-style "uniXXXX" names, which readers
// map back to the characters. For code pages no fixed table covers.
std::string encodingFromUnicode(const char16_t (&unicode)[128]);

}  // namespace pyra::fonts
