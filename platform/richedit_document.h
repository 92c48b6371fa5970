#pragma once
// The content of a rich-text object: UTF-16 text with character formats in
// runs and paragraph alignments, in the character positions the format-range
// message counts (one CR per paragraph end, 0x0B line break, 0x0C page break).
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "pyra/gdi_types.h"

namespace pyra::gdi {

enum class Alignment : uint8_t { Left, Center, Right, Justify };

struct CharFormat {
  std::u16string face;       // at most 31 units; empty means the default face
  uint8_t charset = 1;       // DEFAULT_CHARSET
  int half_points = 20;      // font size in half-points
  bool bold = false;
  bool italic = false;
  bool underline = false;
  COLORREF color = 0;
  auto operator<=>(const CharFormat&) const = default;
};

class RichDocument {
 public:
  static constexpr char16_t kParagraphEnd = 0x0D;
  static constexpr char16_t kLineBreak = 0x0B;
  static constexpr char16_t kPageBreak = 0x0C;
  static constexpr char16_t kTab = 0x09;
  // Bounds memory on hostile input: text past this many units is dropped;
  // formats past kMaxFormats reuse format 0.
  static constexpr size_t kMaxUnits = size_t{1} << 26;
  static constexpr size_t kMaxFormats = size_t{1} << 16;

  RichDocument();

  void clear();
  // Appends text in one format. Paragraph ends inside `text` close the
  // current paragraph with `alignment`.
  void append(std::u16string_view text, const CharFormat& format, Alignment alignment = Alignment::Left);
  // Sets the alignment of the paragraph still open (the last one).
  void setOpenAlignment(Alignment alignment);
  // Plain text: CR LF, LF and CR end paragraphs; FF, VT and tab are kept;
  // other control characters are dropped.
  void setPlainText(std::u16string_view text, const CharFormat& format);

  const std::u16string& text() const { return text_; }
  size_t size() const { return text_.size(); }
  bool truncated() const { return truncated_; }
  const CharFormat& format(uint32_t index) const { return formats_[index]; }
  size_t formatCount() const { return formats_.size(); }
  uint32_t intern(const CharFormat& format);

  // Format runs: run i covers [runStart(i), runStart(i + 1)).
  size_t runIndexAt(size_t position) const;
  size_t runCount() const { return runs_.size(); }
  size_t runStart(size_t run) const { return run < runs_.size() ? runs_[run].start : text_.size(); }
  uint32_t runFormat(size_t run) const { return runs_[run].format; }
  uint32_t formatAt(size_t position) const { return runs_[runIndexAt(position)].format; }

  Alignment alignmentAt(size_t position) const;

 private:
  struct Run {
    size_t start;
    uint32_t format;
  };
  struct Paragraph {
    size_t start;
    Alignment alignment;
  };
  void appendUnit(char16_t unit, uint32_t format, Alignment alignment);

  std::u16string text_;
  std::vector<CharFormat> formats_;
  std::map<CharFormat, uint32_t> format_index_;
  std::vector<Run> runs_;              // never empty; runs_[0].start == 0
  std::vector<Paragraph> paragraphs_;  // never empty; the last one is open
  bool truncated_ = false;
};

}  // namespace pyra::gdi
