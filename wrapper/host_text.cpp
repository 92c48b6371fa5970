#include "wrapper/host_text.h"

#include <cstdint>

namespace pyra::wrapper {

std::string_view withoutTrailingSpaces(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

namespace {

bool isContinuation(char c) { return (uint8_t(c) & 0xC0) == 0x80; }

// Length of the UTF-8 sequence a lead byte announces, 0 when it is no lead.
size_t sequenceLength(char c) {
  const uint8_t b = uint8_t(c);
  if (b >= 0xC2 && b <= 0xDF) return 2;
  if (b >= 0xE0 && b <= 0xEF) return 3;
  if (b >= 0xF0 && b <= 0xF4) return 4;
  return 0;
}

}  // namespace

void copyIntoBuffer(std::string_view text, std::span<char> buffer) {
  if (buffer.empty()) return;
  size_t keep = text.size();
  if (keep > buffer.size() - 1) {
    keep = buffer.size() - 1;
    // Only when the first dropped byte continues a sequence that began in
    // the kept part was a character split; 8-bit code-page text is cut as is.
    if (isContinuation(text[keep])) {
      size_t lead = keep;
      while (lead > 0 && keep - lead < 3 && isContinuation(text[lead - 1])) --lead;
      if (lead > 0 && sequenceLength(text[lead - 1]) > keep - lead + 1) keep = lead - 1;
    }
  }
  text.copy(buffer.data(), keep);
  buffer[keep] = '\0';
}

std::string pdfNameFromChosen(std::string chosen) {
  if (chosen.find('.') == std::string::npos) chosen += ".pdf";
  return chosen;
}

bool isEnhancedMetafileName(std::string_view name) {
  if (name.size() < 3) return false;
  const std::string_view tail = name.substr(name.size() - 3);
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
  return upper(tail[0]) == 'E' && upper(tail[1]) == 'M' && upper(tail[2]) == 'F';
}

}  // namespace pyra::wrapper
