#include "platform/richedit_document.h"

#include <algorithm>

namespace pyra::gdi {

RichDocument::RichDocument() { clear(); }

void RichDocument::clear() {
  text_.clear();
  formats_.clear();
  format_index_.clear();
  intern(CharFormat{});
  runs_.assign(1, Run{0, 0});
  paragraphs_.assign(1, Paragraph{0, Alignment::Left});
  truncated_ = false;
}

uint32_t RichDocument::intern(const CharFormat& format) {
  auto found = format_index_.find(format);
  if (found != format_index_.end()) return found->second;
  if (formats_.size() >= kMaxFormats) return 0;
  uint32_t index = uint32_t(formats_.size());
  formats_.push_back(format);
  format_index_.emplace(format, index);
  return index;
}

void RichDocument::appendUnit(char16_t unit, uint32_t format, Alignment alignment) {
  if (text_.size() >= kMaxUnits) {
    truncated_ = true;
    return;
  }
  if (runs_.back().format != format) {
    if (runs_.back().start == text_.size()) runs_.back().format = format;
    else runs_.push_back(Run{text_.size(), format});
    if (runs_.size() >= 2 && runs_[runs_.size() - 2].format == runs_.back().format) runs_.pop_back();
  }
  text_.push_back(unit);
  if (unit == kParagraphEnd) {
    paragraphs_.back().alignment = alignment;
    paragraphs_.push_back(Paragraph{text_.size(), Alignment::Left});
  }
}

void RichDocument::append(std::u16string_view text, const CharFormat& format, Alignment alignment) {
  if (text.empty()) return;
  uint32_t index = intern(format);
  for (char16_t unit : text) appendUnit(unit, index, alignment);
}

void RichDocument::setOpenAlignment(Alignment alignment) { paragraphs_.back().alignment = alignment; }

void RichDocument::setPlainText(std::u16string_view text, const CharFormat& format) {
  clear();
  uint32_t index = intern(format);
  text_.reserve(std::min(text.size(), kMaxUnits));
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r') {
      if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      appendUnit(kParagraphEnd, index, Alignment::Left);
    } else if (c == u'\n') {
      appendUnit(kParagraphEnd, index, Alignment::Left);
    } else if (c >= 0x20 || c == kTab || c == kLineBreak || c == kPageBreak) {
      appendUnit(c, index, Alignment::Left);
    }
  }
}

size_t RichDocument::runIndexAt(size_t position) const {
  auto it = std::upper_bound(runs_.begin(), runs_.end(), position,
                             [](size_t p, const Run& r) { return p < r.start; });
  return it == runs_.begin() ? 0 : size_t(it - runs_.begin()) - 1;
}

Alignment RichDocument::alignmentAt(size_t position) const {
  auto it = std::upper_bound(paragraphs_.begin(), paragraphs_.end(), position,
                             [](size_t p, const Paragraph& para) { return p < para.start; });
  return it == paragraphs_.begin() ? paragraphs_.front().alignment : std::prev(it)->alignment;
}

}  // namespace pyra::gdi
