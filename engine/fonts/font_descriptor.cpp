#include "engine/fonts/font_descriptor.h"

#include "engine/fonts/font_subset.h"
#include "engine/fonts/truetype_embedding.h"
#include "engine/pdf/number_text.h"
#include "engine/pdf/pdf_device.h"

namespace pyra::fonts {

namespace {

struct CjkCollection {
  const char* base_font;
  const char* ordering;
  int supplement;
  int charset;
};

CjkCollection collection(CjkKind kind) {
  switch (kind) {
    case CjkKind::Japanese: return {"HeiseiMin-W3", "Japan1", 2, 128};
    case CjkKind::Korean: return {"HYSMyeongJo-Medium", "Korea1", 1, 129};
    case CjkKind::SimplifiedChinese: return {"AdobeSongStd-Light-Acro", "GB1", 2, 134};
    default: return {"AdobeMingStd-Light-Acro", "CNS1", 0, 136};
  }
}

}  // namespace

void TPxFontDescriptor::setupCjk(CjkKind kind, std::string_view style_suffix) {
  if (kind == CjkKind::None || cjk_kind_ != CjkKind::None) return;
  cjk_kind_ = kind;
  const CjkCollection c = collection(kind);
  FontName = std::string(c.base_font) + std::string(style_suffix);
  embed_ = false;
  cid_system_info_ = std::make_unique<TPxPDFDictText>(owner(), "");
  cid_font_ = std::make_unique<TPxPDFDictText>(owner(), "");
  // The strings are hexadecimal and, in an encrypted document, encrypted
  // with the CIDSystemInfo object's own key.
  pdf::TPxPDFDevice* d = owner();
  TPxPDFDictText* info = cid_system_info_.get();
  auto hex = [d, info](std::string_view text) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    if (d && d->encrypted()) d->encryptBytes(info->objectNumber(), bytes);
    return pdf::hexString(std::span<const uint8_t>(bytes));
  };
  info->setText("/Registry " + hex("Adobe") + " /Ordering " + hex(c.ordering) + " /Supplement " +
                std::to_string(c.supplement));
  cid_font_->setText("/Type/Font\n/Subtype/CIDFontType2\n/BaseFont" + pdf::pdfName(FontName) + "\n/WinCharSet " +
                     std::to_string(c.charset) + "\n/CIDSystemInfo " + info->reference() + "\n/FontDescriptor " +
                     reference() + " ");
}

void TPxFontDescriptor::decide() {
  if (decided_) return;
  decided_ = true;
  ProgramState s;
  s.font_mode = owner() ? owner()->fontMode() : 0;
  s.full_font = full_font_;
  s.descriptor_embed = embed_;
  s.stream_embed = program_ && program_->embed();
  s.cjk = cjk_kind_ != CjkKind::None;
  s.program_read = program_ && program_->tables();
  s.visible_glyph = program_ && program_->glyphs() && program_->glyphs()->visibleGlyph();
  // A program we could not parse (CFF outlines, a damaged file) is not
  // embedded: as "/FontFile2" readers would reject it, and its bytes would
  // go into the document unchecked.
  const ProgramForm form = decideProgramForm(s);
  embeds_program_ = form != ProgramForm::Reference;
  embeds_subset_ = form == ProgramForm::Subset;
}

bool TPxFontDescriptor::embedsProgram() {
  decide();
  return embeds_program_;
}

bool TPxFontDescriptor::embedsSubset() {
  decide();
  return embeds_subset_;
}

std::string TPxFontDescriptor::pdfFontName() { return fontNameForPdf(FontName, embedsSubset()); }

std::string TPxFontDescriptor::asString() {
  auto line = [](const char* key, int32_t v) { return std::string("\n") + key + std::to_string(v); };
  std::string s = "/Type/FontDescriptor\n/FontName" + pdf::pdfName(pdfFontName());
  s += line("/Ascent ", Ascent);
  s += line("/CapHeight ", CapHeight);
  s += line("/Descent ", Descent);
  s += line("/Flags ", Flags);
  s += "\n/FontBBox [" + std::to_string(BoxLeft) + " " + std::to_string(BoxBottom) + " " +
       std::to_string(BoxRight) + " " + std::to_string(BoxTop) + "]";
  s += line("/ItalicAngle ", ItalicAngle);
  s += line("/StemV ", StemV);
  s += line("/AvgWidth ", AvgWidth);
  s += line("/Leading ", Leading);
  s += line("/MaxWidth ", MaxWidth);
  s += line("/XHeight ", XHeight);
  if (embedsProgram()) s += "\n/FontFile2 " + program_->reference();
  return s;
}

}  // namespace pyra::fonts
