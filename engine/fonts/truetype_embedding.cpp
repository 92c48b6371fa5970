#include "engine/fonts/truetype_embedding.h"

#include <algorithm>

namespace pyra::fonts {
namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && uint8_t(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && uint8_t(s.back()) <= ' ') s.remove_suffix(1);
  return s;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

bool listed(std::span<const std::string> list, std::string_view face) {
  return std::any_of(list.begin(), list.end(),
                     [&](const std::string& item) { return equalsIgnoringCase(trim(item), face); });
}

}  // namespace

std::string fontProgramErrorText(std::string_view font_name) {
  return "internal error " + std::string(font_name);
}

std::vector<std::string> splitFontList(std::string_view text) {
  std::vector<std::string> items;
  if (trim(text).empty()) return items;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    std::string_view item = trim(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (item.size() >= 2 && item.front() == '"' && item.back() == '"') item = trim(item.substr(1, item.size() - 2));
    items.emplace_back(item);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return items;
}

bool isCjkCharset(int32_t charset) {
  return charset == 128 || charset == 129 || charset == 134 || charset == 136;
}

EmbeddingDecision decideEmbedding(const EmbeddingRequest& r) {
  EmbeddingDecision d;
  if (r.font_mode == kFontModeStandard) {
    d.standard_font = true;
    return d;
  }
  bool allowed;
  if (!r.embed_only.empty() && !trim(r.embed_only.front()).empty())
    allowed = listed(r.embed_only, r.face);
  else
    allowed = !listed(r.never_embed, r.face);
  const bool subset_mode = r.font_mode == kFontModeSubsetCodePage || r.font_mode == kFontModeSubsetUsed;
  if (isCjkCharset(r.charset)) {
    d.embed = false;
  } else if (allowed && (r.font_mode == kFontModeEmbed || subset_mode)) {
    d.embed = true;
  } else {
    d.embed = r.font_mode == kFontModeEmbedSymbol && r.symbol_font;
  }
  d.full_font = !subset_mode;
  d.mark_code_page = d.embed && r.font_mode == kFontModeSubsetCodePage && !r.symbol_font;
  // In mode 4 the code page's glyphs are all marked already; only symbol
  // fonts add what was drawn.
  d.marks_drawn = d.embed && (r.font_mode == kFontModeSubsetUsed ||
                              (r.font_mode == kFontModeSubsetCodePage && r.symbol_font));
  return d;
}

ProgramForm decideProgramForm(const ProgramState& s) {
  if (s.cjk || !s.descriptor_embed || !s.stream_embed) return ProgramForm::Reference;
  // A program that was not read, or that we could not parse, is not
  // embedded: its bytes would go unchecked into the document.
  if (!s.program_read) return ProgramForm::Reference;
  // A font drawn only with spaces and controls needs no program.
  if (s.font_mode == kFontModeSubsetUsed && !s.visible_glyph) return ProgramForm::Reference;
  return s.full_font ? ProgramForm::Whole : ProgramForm::Subset;
}

}  // namespace pyra::fonts
