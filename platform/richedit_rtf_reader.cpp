#include "platform/richedit_rtf_reader.h"

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"
#include "pyra/gdi.h"

namespace pyra::gdi {

namespace {

// Deeper groups than this share the innermost saved state: real documents
// nest a few dozen levels, hostile ones a million.
constexpr size_t kMaxDepth = 256;
constexpr size_t kMaxFonts = 4096;
constexpr size_t kMaxColors = 4096;
constexpr size_t kMaxFontNameBytes = 256;
// Numeric parameters saturate here; nothing we read needs more.
constexpr int64_t kParamLimit = 1'000'000'000;
// The largest size Word accepts (1638 points), in half-points.
constexpr int kMaxHalfPoints = 3276;
constexpr int kDefaultHalfPoints = 24;
constexpr COLORREF kAutoColor = 0xFFFFFFFFu;
// Decoded text is handed to the document in slices of this size so that a
// document without control words does not sit in a second buffer.
constexpr size_t kFlushBytes = 4096;

enum class Destination : uint8_t { Text, FontTable, ColorTable, Skip };

struct GroupState {
  Destination destination = Destination::Text;
  int font = -1;   // -1: the default font (\deff)
  int color = -1;  // colour table index; -1: automatic
  int half_points = kDefaultHalfPoints;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  Alignment alignment = Alignment::Left;
  int unicode_skip = 1;  // \uc
};

struct FontEntry {
  std::u16string face;
  uint8_t charset = DEFAULT_CHARSET;
};

bool isLetter(uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }
int hexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Destinations whose content is not document text.
bool isSkippedDestination(std::string_view w) {
  static constexpr std::string_view kSkipped[] = {
      "annotation", "atnauthor", "atnid", "author", "bkmkend", "bkmkstart", "buptim", "colorschememapping",
      "comment", "company", "creatim", "datastore", "doccomm", "filetbl", "fldinst", "footer", "footerf",
      "footerl", "footerr", "footnote", "generator", "header", "headerf", "headerl", "headerr", "info",
      "keywords", "latentstyles", "listoverridetable", "listtable", "nonshppict", "object", "operator", "pict",
      "printim", "private", "revtbl", "revtim", "rsidtbl", "stylesheet", "subject", "template", "themedata",
      "title", "txe", "userprops", "xe", "xmlnstbl"};
  return std::find(std::begin(kSkipped), std::end(kSkipped), w) != std::end(kSkipped);
}

class RtfReader {
 public:
  RtfReader(std::span<const uint8_t> bytes, RichDocument& document) : in_(bytes), doc_(document) {}

  void read() {
    doc_.clear();
    while (pos_ < in_.size() && !done_) {
      uint8_t c = in_[pos_++];
      switch (c) {
        case '{': openGroup(); break;
        case '}': closeGroup(); break;
        case '\\': controlWord(); break;
        case '\r': case '\n': case 0: break;
        default: textByte(c); break;
      }
    }
    if (!done_) finish();  // a document cut short keeps what it said so far
  }

 private:
  // ---- groups ----------------------------------------------------------

  void openGroup() {
    flush();
    skip_ = 0;
    if (stack_.size() >= kMaxDepth) {
      ++overflow_;
      return;
    }
    stack_.push_back(state_);
  }

  void closeGroup() {
    flush();
    skip_ = 0;
    if (overflow_ > 0) {
      --overflow_;
      return;
    }
    if (stack_.empty()) {  // a stray closing brace ends the document
      done_ = true;
      return;
    }
    if (state_.destination == Destination::FontTable) commitFontEntry();
    if (stack_.size() == 1) {  // the document's own group: its state is the last paragraph's
      finish();
      done_ = true;
      return;
    }
    state_ = stack_.back();
    stack_.pop_back();
  }

  void finish() {
    flush();
    commitFontEntry();
    doc_.setOpenAlignment(state_.alignment);
  }

  // ---- text --------------------------------------------------------------

  void textByte(uint8_t c) {
    if (skip_ > 0) {
      --skip_;
      return;
    }
    switch (state_.destination) {
      case Destination::Text:
        if (c < 0x20 && c != '\t') return;
        pending_.push_back(char(c));
        if (pending_.size() >= kFlushBytes && c < 0x80) flush();
        return;
      case Destination::FontTable:
        if (c == ';') commitFontEntry();
        else if (entry_name_.size() < kMaxFontNameBytes && c >= 0x20) entry_name_.push_back(char(c));
        return;
      case Destination::ColorTable:
        if (c == ';') commitColor();
        return;
      case Destination::Skip:
        return;
    }
  }

  // A character given by a control word (\tab, \u, \emdash ...).
  void textUnit(char16_t unit) {
    if (state_.destination != Destination::Text) return;
    decodePending();
    units_.push_back(unit);
  }

  unsigned textCodePage() const {
    auto font = fonts_.find(state_.font >= 0 ? state_.font : default_font_);
    unsigned page = ansi_code_page_;
    if (font != fonts_.end() && font->second.charset != DEFAULT_CHARSET) page = codePageForCharset(font->second.charset);
    return page == 0 || !iconvNameForCodePage(page) ? 1252 : page;
  }

  std::u16string decode(std::string_view bytes, unsigned code_page) {
    std::u16string out;
    if (std::all_of(bytes.begin(), bytes.end(), [](char b) { return uint8_t(b) < 0x80; })) {
      out.assign(bytes.begin(), bytes.end());
      return out;
    }
    auto& converter = converters_[code_page];
    if (!converter) converter = std::make_unique<CodePageConverter>(code_page);
    bool invalid = false;
    return converter->decode({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, &invalid);
  }

  void decodePending() {
    if (pending_.empty()) return;
    units_ += decode(pending_, textCodePage());
    pending_.clear();
  }

  CharFormat currentFormat() const {
    CharFormat f;
    auto font = fonts_.find(state_.font >= 0 ? state_.font : default_font_);
    if (font != fonts_.end()) {
      f.face = font->second.face;
      f.charset = font->second.charset;
    }
    f.half_points = state_.half_points;
    f.bold = state_.bold;
    f.italic = state_.italic;
    f.underline = state_.underline;
    if (state_.color >= 0 && size_t(state_.color) < colors_.size() && colors_[size_t(state_.color)] != kAutoColor)
      f.color = colors_[size_t(state_.color)];
    return f;
  }

  void flush() {
    decodePending();
    if (units_.empty()) return;
    doc_.append(units_, currentFormat(), state_.alignment);
    units_.clear();
  }

  // ---- tables ------------------------------------------------------------

  void commitFontEntry() {
    if (entry_font_ >= 0 && (fonts_.size() < kMaxFonts || fonts_.count(entry_font_))) {
      std::string_view name(entry_name_);
      while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
      while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
      unsigned page = entry_charset_ == DEFAULT_CHARSET ? ansi_code_page_ : codePageForCharset(entry_charset_);
      if (page == 0 || !iconvNameForCodePage(page)) page = 1252;
      FontEntry entry;
      entry.face = decode(name, page).substr(0, 31);
      entry.charset = entry_charset_;
      fonts_[entry_font_] = std::move(entry);
    }
    entry_font_ = -1;
    entry_charset_ = DEFAULT_CHARSET;
    entry_name_.clear();
  }

  void commitColor() {
    if (colors_.size() < kMaxColors) colors_.push_back(color_set_ ? RGB(red_, green_, blue_) : kAutoColor);
    red_ = green_ = blue_ = 0;
    color_set_ = false;
  }

  // ---- control words -----------------------------------------------------

  void controlWord() {
    if (pos_ >= in_.size()) return;
    uint8_t c = in_[pos_];
    if (!isLetter(c)) {
      ++pos_;
      controlSymbol(c);
      return;
    }
    char word[33];
    size_t length = 0;
    while (pos_ < in_.size() && isLetter(in_[pos_])) {
      if (length < 32) word[length++] = char(in_[pos_]);
      ++pos_;
    }
    bool has_param = false;
    bool negative = false;
    int64_t param = 0;
    if (pos_ + 1 < in_.size() && in_[pos_] == '-' && isDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    while (pos_ < in_.size() && isDigit(in_[pos_])) {
      has_param = true;
      param = std::min<int64_t>(param * 10 + (in_[pos_] - '0'), kParamLimit);
      ++pos_;
    }
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    if (negative) param = -param;
    handleWord(std::string_view(word, length), has_param, int32_t(param));
  }

  void controlSymbol(uint8_t c) {
    if (c == '\'') {
      int value = -1;
      for (int i = 0; i < 2 && pos_ < in_.size(); ++i) {
        int h = hexValue(in_[pos_]);
        if (h < 0) break;
        value = (value < 0 ? 0 : value * 16) + h;
        ++pos_;
      }
      if (value >= 0) textByte(uint8_t(value));
      return;
    }
    if (c == '\\' || c == '{' || c == '}') {
      textByte(c);
      return;
    }
    if (c == '\r' || c == '\n') {
      handleWord("par", false, 0);
      return;
    }
    if (skip_ > 0) {
      --skip_;
      return;
    }
    switch (c) {
      case '~': textUnit(0x00A0); break;
      case '_': textUnit(0x2011); break;
      case '*':
        flush();
        state_.destination = Destination::Skip;
        break;
      default: break;  // \- (optional hyphen), \| and unknown symbols
    }
  }

  void handleWord(std::string_view w, bool has_param, int32_t param) {
    if (w == "bin") {  // binary data must not be read as RTF, even when skipped
      size_t n = has_param && param > 0 ? size_t(param) : 0;
      pos_ += std::min(n, in_.size() - pos_);
      return;
    }
    if (skip_ > 0) {
      --skip_;
      return;
    }
    // Characters first: they change no state, so the text need not be
    // handed over before them.
    if (w == "par" || w == "sect" || w == "row") return textUnit(RichDocument::kParagraphEnd);
    if (w == "line") return textUnit(RichDocument::kLineBreak);
    if (w == "page") return textUnit(RichDocument::kPageBreak);
    if (w == "tab" || w == "cell") return textUnit(RichDocument::kTab);
    if (w == "emdash") return textUnit(0x2014);
    if (w == "endash") return textUnit(0x2013);
    if (w == "bullet") return textUnit(0x2022);
    if (w == "lquote") return textUnit(0x2018);
    if (w == "rquote") return textUnit(0x2019);
    if (w == "ldblquote") return textUnit(0x201C);
    if (w == "rdblquote") return textUnit(0x201D);
    if (w == "emspace") return textUnit(0x2003);
    if (w == "enspace") return textUnit(0x2002);
    if (w == "qmspace") return textUnit(0x2005);
    if (w == "u") {
      int32_t v = has_param ? param : 0x3F;
      if (v < 0 && v >= -32768) v += 65536;
      textUnit(v >= 0 && v <= 0xFFFF ? char16_t(v) : char16_t(0xFFFD));
      skip_ = state_.unicode_skip;
      return;
    }

    flush();
    const bool on = !has_param || param != 0;
    if (state_.destination == Destination::FontTable) {
      if (w == "f") {
        commitFontEntry();
        entry_font_ = std::max(0, param);
        return;
      }
      if (w == "fcharset") {
        entry_charset_ = uint8_t(std::clamp(param, 0, 255));
        return;
      }
    }
    if (state_.destination == Destination::ColorTable) {
      uint8_t component = uint8_t(std::clamp(param, 0, 255));
      if (w == "red") red_ = component, color_set_ = true;
      else if (w == "green") green_ = component, color_set_ = true;
      else if (w == "blue") blue_ = component, color_set_ = true;
      return;
    }
    if (w == "fonttbl") state_.destination = Destination::FontTable;
    else if (w == "colortbl") state_.destination = Destination::ColorTable;
    else if (isSkippedDestination(w)) state_.destination = Destination::Skip;
    else if (w == "b") state_.bold = on;
    else if (w == "i") state_.italic = on;
    else if (w == "ulnone") state_.underline = false;
    else if (w.starts_with("ul") && w != "ulc") state_.underline = on;
    else if (w == "fs") state_.half_points = param <= 0 ? kDefaultHalfPoints : std::min(param, kMaxHalfPoints);
    else if (w == "f") state_.font = std::max(0, param);
    else if (w == "cf") state_.color = std::max(0, param);
    else if (w == "plain") {
      state_.font = -1;
      state_.color = -1;
      state_.half_points = kDefaultHalfPoints;
      state_.bold = state_.italic = state_.underline = false;
    } else if (w == "pard") state_.alignment = Alignment::Left;
    else if (w == "ql") state_.alignment = Alignment::Left;
    else if (w == "qc") state_.alignment = Alignment::Center;
    else if (w == "qr") state_.alignment = Alignment::Right;
    else if (w == "qj" || w == "qd") state_.alignment = Alignment::Justify;
    else if (w == "uc") state_.unicode_skip = std::clamp(param, 0, 255);
    else if (w == "deff") default_font_ = std::max(0, param);
    else if (w == "ansicpg") ansi_code_page_ = param > 0 && iconvNameForCodePage(unsigned(param)) ? unsigned(param) : 1252;
    // \ansi, \mac, \pc, \pca and every other word: nothing we draw.
  }

  std::span<const uint8_t> in_;
  RichDocument& doc_;
  size_t pos_ = 0;
  bool done_ = false;

  GroupState state_;
  std::vector<GroupState> stack_;
  size_t overflow_ = 0;
  int skip_ = 0;  // characters still to skip after \u

  std::string pending_;  // text bytes not yet decoded
  std::u16string units_; // decoded text not yet in the document

  std::map<int, FontEntry> fonts_;
  int default_font_ = 0;
  unsigned ansi_code_page_ = 1252;
  int entry_font_ = -1;
  uint8_t entry_charset_ = DEFAULT_CHARSET;
  std::string entry_name_;

  std::vector<COLORREF> colors_;
  uint8_t red_ = 0, green_ = 0, blue_ = 0;
  bool color_set_ = false;

  std::map<unsigned, std::unique_ptr<CodePageConverter>> converters_;
};

}  // namespace

CharFormat defaultRtfFormat() {
  CharFormat f;
  f.half_points = kDefaultHalfPoints;
  return f;
}

bool looksLikeRtf(std::span<const uint8_t> bytes) {
  size_t i = 0;
  while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) ++i;
  static constexpr std::string_view kMagic = "{\\rtf";
  if (bytes.size() - i < kMagic.size()) return false;
  return std::equal(kMagic.begin(), kMagic.end(), bytes.begin() + std::ptrdiff_t(i));
}

void readRtf(std::span<const uint8_t> bytes, RichDocument& document) { RtfReader(bytes, document).read(); }

}  // namespace pyra::gdi
