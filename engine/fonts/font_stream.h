#pragma once
// A TrueType program embedded as a descriptor's "/FontFile2": read once per
// font name and document, shared by every font of that name, written whole
// or as a subset of the glyphs drawn when the document ends.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/fonts/font_subset_glyphs.h"
#include "engine/fonts/truetype_font.h"
#include "engine/pdf/pdf_stream.h"

namespace pyra::fonts {

class TPxPDFFontStream : public pdf::TPxPDFStream {
 public:
  // `full_font` is the document's flag (false: embedded programs are
  // subset); it is read when the stream is written.
  TPxPDFFontStream(pdf::TPxPDFDevice* owner, const bool& full_font, bool embed)
      : TPxPDFStream(owner), full_font_(full_font), embed_(embed) {}
  const char* className() const override { return "TPxPDFFontStream"; }

  // The upper-cased, trimmed FontName; empty until a program was read, so
  // no later font finds a stream without one.
  const std::string& key() const { return key_; }
  bool embed() const { return embed_; }
  void setEmbed(bool v) { embed_ = v; }

  // Takes the font file as read from the platform. False when the program
  // cannot be parsed; it is then kept as bytes only, never subset.
  bool load(std::vector<uint8_t> file, std::string key, std::string* why = nullptr);
  bool hasProgram() const { return !program_bytes_.empty() || font_ != nullptr; }
  // The parsed tables; null when the program was not read or not parsed.
  const TrueTypeFont* tables() const { return font_.get(); }
  SubsetGlyphs* glyphs() { return glyphs_.get(); }

  // Writes the program (only when flagged); nothing otherwise.
  void writeStream() override;

 private:
  const bool& full_font_;
  bool embed_;
  std::string key_;
  std::vector<uint8_t> program_bytes_;  // an unparsed program
  std::unique_ptr<TrueTypeFont> font_;
  std::unique_ptr<SubsetGlyphs> glyphs_;
};

}  // namespace pyra::fonts
