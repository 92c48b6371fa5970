#include "engine/fonts/font_stream.h"

#include "engine/fonts/font_subset.h"

namespace pyra::fonts {

bool TPxPDFFontStream::load(std::vector<uint8_t> file, std::string key, std::string* why) {
  key_ = std::move(key);
  std::optional<TrueTypeFont> parsed = parseTrueType(std::span<const uint8_t>(file), why);
  if (!parsed) {
    program_bytes_ = std::move(file);
    return false;
  }
  font_ = std::make_unique<TrueTypeFont>(std::move(*parsed));
  glyphs_ = std::make_unique<SubsetGlyphs>(*font_);
  return true;
}

void TPxPDFFontStream::writeStream() {
  // Only a program some descriptor refers to is written.
  if (!embed_ || written() || !numbered()) return;
  std::vector<uint8_t> program;
  if (font_ && !full_font_) program = subsetTrueType(*font_, glyphs_->glyphs());
  if (program.empty() && font_) {
    auto bytes = font_->bytes();
    program.assign(bytes.begin(), bytes.end());
  }
  if (program.empty()) program = program_bytes_;
  setLength1(int32_t(program.size()));
  data() = std::move(program);
  TPxPDFStream::writeStream();
  // The parsed tables stay: other descriptors sharing this program are
  // still to be written and decide on them.
  program_bytes_.clear();
}

}  // namespace pyra::fonts
