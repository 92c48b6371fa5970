#include "engine/fonts/font_resource.h"

#include "engine/fonts/face_names.h"
#include "engine/fonts/font_resources.h"
#include "engine/pdf/error.h"
#include "engine/pdf/pdf_device.h"

namespace pyra::fonts {

int32_t TPxPDFFont::width(int32_t code) const {
  if (code < first_char_ || code > last_char_) return 0;
  const size_t i = size_t(code - first_char_);
  return i < widths_.size() ? widths_[i] : 0;
}

std::string TPxPDFFont::fontDictionaryText() {
  if (standard_) {
    return "Type/Font/Subtype/Type1/Name/F" + std::to_string(number_) + "/BaseFont/" + standard_base_font_ +
           "\n/Encoding/WinAnsiEncoding";
  }
  const CjkKind kind = descriptor_ ? descriptor_->cjkKind() : CjkKind::None;
  if (kind != CjkKind::None) {
    static constexpr const char* kBase[] = {"", "HeiseiMin-W3", "HYSMyeongJo-Medium", "AdobeSongStd-Light-Acro",
                                            "AdobeMingStd-Light-Acro"};
    static constexpr const char* kEncoding[] = {"", "/90msp-RKSJ-H", "/KSCms-UHC-H", "/GBK-EUC-H", "/ETenms-B5-H"};
    const int k = int(kind);
    return "Type/Font\n/Subtype/Type0\n/BaseFont/" + std::string(kBase[k]) + std::string(styleSuffix(style_)) +
           "\n/Encoding " + kEncoding[k] + "\n/DescendantFonts[" + descriptor_->cidFont()->reference() + "]\n";
  }
  std::string text = "Type/Font\n/Subtype/TrueType\n/BaseFont" + pdf::pdfName(descriptor_->pdfFontName()) + "\n";
  // A symbol font's bytes are codes of its symbol character map. With an
  // encoding beside them readers look the codes up as Latin glyph names and
  // draw nothing; without one they use the font's own map.
  if (!symbol()) text += "/Encoding " + encoding_ + "\n";
  return text;
}

std::string TPxPDFFont::asString() { return "/" + fontDictionaryText(); }

void TPxPDFFont::writeObject() {
  pdf::TPxPDFDevice& d = device();
  const bool cjk = descriptor_ && descriptor_->cjkKind() != CjkKind::None;
  std::unique_ptr<pdf::TPxCustomPDFType> widths_object;
  if (!widths_.empty() && !cjk) {
    auto array = std::make_unique<pdf::TPxPDFNumArray>(owner());
    for (int32_t w : widths_) array->add(w);
    array->setSelfDelimited(true);
    array->writeObject();
    widths_object = std::move(array);
  }
  if (descriptor_) {
    if (descriptor_->cidSystemInfo()) descriptor_->cidSystemInfo()->writeObject();
    if (descriptor_->cidFont()) descriptor_->cidFont()->writeObject();
    descriptor_->writeObject();
    // The program follows its first descriptor; later fonts sharing it
    // only refer to it.
    if (TPxPDFFontStream* p = descriptor_->program(); p && descriptor_->embedsProgram() && !p->written())
      p->writeObject();
  }
  // Encodings are shared; the first font that names one writes it.
  if (encoding_object_ && !encoding_object_->written()) encoding_object_->writeObject();
  if (!to_unicode_made_ && resources_) {
    to_unicode_ = resources_->toUnicodeFor(*this);
    to_unicode_made_ = true;
  }
  pdf::TPxPDFStream* to_unicode = to_unicode_;
  if (to_unicode && !to_unicode->written()) to_unicode->writeObject();

  const std::string text = asString();
  beginWrite();
  d.writeLine(headerText());
  d.write(text);
  if (!cjk && widths_object) {
    d.writeLine("/FirstChar " + std::to_string(first_char_));
    d.writeLine("/LastChar " + std::to_string(last_char_));
    d.writeLine("/Widths " + widths_object->reference());
  }
  if (!cjk && descriptor_) d.writeLine("/FontDescriptor " + descriptor_->reference());
  if (to_unicode) d.writeLine("/ToUnicode " + to_unicode->reference());
  d.writeLine(">> \rendobj");
}

}  // namespace pyra::fonts
