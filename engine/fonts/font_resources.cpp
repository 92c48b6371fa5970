#include "engine/fonts/font_resources.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/fonts/charset_code_page.h"
#include "engine/fonts/face_names.h"
#include "engine/fonts/standard_fonts.h"
#include "engine/fonts/truetype_embedding.h"
#include "engine/pdf/error.h"
#include "engine/pdf/pdf_device.h"

namespace pyra::fonts {

namespace {

std::string upperTrimmed(std::string_view s) {
  while (!s.empty() && uint8_t(s.front()) <= ' ') s.remove_prefix(1);
  while (!s.empty() && uint8_t(s.back()) <= ' ') s.remove_suffix(1);
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return out;
}

// Halves to the even neighbour, as the text path expects of advances.
int32_t roundEven(double v) {
  if (!std::isfinite(v)) return 0;
  const double r = std::nearbyint(v);
  if (r > 2147483647.0) return 2147483647;
  if (r < -2147483647.0) return -2147483647;
  return int32_t(r);
}

std::string hex2(uint8_t b) {
  char t[3];
  std::snprintf(t, sizeof t, "%02X", b);
  return t;
}

std::string hexUnit(char16_t u) {
  char t[5];
  std::snprintf(t, sizeof t, "%04X", unsigned(u));
  return t;
}

// A ToUnicode CMap body from (code bytes, UTF-16 unit) pairs, in blocks of
// at most 100 as the CMap syntax requires.
std::string toUnicodeCMap(const std::vector<std::pair<std::string, char16_t>>& pairs,
                          const std::vector<std::pair<std::string, std::string>>& codespace) {
  std::string s =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
      "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
      "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n";
  s += std::to_string(codespace.size()) + " begincodespacerange\n";
  for (auto& [lo, hi] : codespace) s += "<" + lo + "> <" + hi + ">\n";
  s += "endcodespacerange\n";
  for (size_t i = 0; i < pairs.size(); i += 100) {
    const size_t n = std::min<size_t>(100, pairs.size() - i);
    s += std::to_string(n) + " beginbfchar\n";
    for (size_t k = i; k < i + n; ++k) {
      std::string code;
      for (char c : pairs[k].first) code += hex2(uint8_t(c));
      s += "<" + code + "> <" + hexUnit(pairs[k].second) + ">\n";
    }
    s += "endbfchar\n";
  }
  s += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
  return s;
}

}  // namespace

namespace {

// Lives in the document's resources and says when they are gone, so fonts
// made for one document are never handed to the next one (whose resources
// may well sit at the same address).
class DocumentWatch final : public pdf::TPxCustomPDFType {
 public:
  DocumentWatch(pdf::TPxPDFDevice* owner, std::shared_ptr<bool> alive)
      : TPxCustomPDFType(owner), alive_(std::move(alive)) {}
  ~DocumentWatch() override { *alive_ = false; }
  void writeObject() override {}

 private:
  std::shared_ptr<bool> alive_;
};

}  // namespace

FontResources::FontResources(pdf::TPxPDFDevice& device, FontMetricsSource& platform)
    : device_(device), platform_(platform), document_alive_(std::make_shared<bool>(device.isOpen())) {
  if (*document_alive_)
    device.resources().objects().push_back(std::make_unique<DocumentWatch>(&device, document_alive_));
}

FontResources::~FontResources() {
  // Dropped while its document is still open: the document keeps the fonts
  // (its resources name them and numbers were handed out for them), so they
  // are written with it rather than lost.
  if (*document_alive_) {
    auto& keep = device_.resources().objects();
    for (auto& f : fonts_) {
      if (!f->to_unicode_made_) {
        f->to_unicode_ = toUnicodeFor(*f);
        f->to_unicode_made_ = true;
      }
      f->resources_ = nullptr;
      keep.push_back(std::move(f));
    }
    for (auto& e : encodings_) keep.push_back(std::move(e));
    for (auto& p : programs_) keep.push_back(std::move(p));
    for (auto& t : to_unicode_) keep.push_back(std::move(t));
  }
}

std::string FontResources::currentFontName() const {
  return current_ ? "/F" + std::to_string(current_->number()) : std::string();
}

std::u16string FontResources::toWide(uint32_t code_page, std::string_view bytes) const {
  if (!platform_.hasCodePage(code_page)) code_page = platform_.defaultAnsiCodePage();
  return platform_.toWide(code_page, bytes);
}

int32_t FontResources::findOrCreateFont(std::string_view requested_face, int32_t charset, uint8_t style) {
  current_ = nullptr;
  // Fonts belong to one document: its resources list borrows them.
  if (!*document_alive_)
    throw Error(kErrNoDocument, "Font selected outside the document its fonts belong to");
  style &= 3;
  std::string face = normaliseFaceName(requested_face);
  const uint32_t code_page = codePageForCharset(charset);
  const CjkKind cjk = cjkKindForCharset(charset);

  for (auto& f : fonts_) {
    // A symbol font's charset becomes 2 whatever was asked; the charset it
    // was asked with must find it again too, or every selection of, say,
    // "Symbol" with the ANSI charset would add another font.
    if ((f->charset() == charset || f->requestedCharset() == charset ||
         (charset == kDefaultCharset && f->charsetSubstituted())) &&
        f->style() == style && equalsIgnoringCase(f->face(), face)) {
      current_ = f.get();
      return f->number();
    }
  }

  const std::string compact = compactFaceName(face);
  auto font = std::make_unique<TPxPDFFont>(&device_, this, charset, style, code_page);
  font->requested_charset_ = charset;
  if (device_.fontMode() == kFontModeStandard) {
    font->number_ = int32_t(fonts_.size()) + 1;
    buildStandardFont(*font, compact);
  } else {
    loadFontMetrics(*font, face, compact);
    if (charset == kDefaultCharset && font->charset_ != kDefaultCharset) font->charset_substituted_ = true;
    if (cjk != CjkKind::None) font->descriptor_->setupCjk(cjk, styleSuffix(style));
    else if (!font->symbol()) {
      font->encoding_ = encodingFor(charset);
      for (auto& e : encodings_)
        if (e->charset() == charset) font->encoding_object_ = e.get();
    }
  }
  font->face_ = face;
  current_ = font.get();
  return registerFont(std::move(font));
}

int32_t FontResources::registerFont(std::unique_ptr<TPxPDFFont> font) {
  font->number_ = int32_t(fonts_.size()) + 1;
  device_.resources().fonts().push_back(font.get());
  fonts_.push_back(std::move(font));
  return fonts_.back()->number_;
}

void FontResources::buildStandardFont(TPxPDFFont& font, const std::string& compact) {
  font.standard_ = true;
  font.standard_base_font_ = standardBaseFont(compact, font.style_);
}

void FontResources::loadFontMetrics(TPxPDFFont& font, const std::string& face, const std::string& compact) {
  std::unique_ptr<PlatformFont> pf = platform_.openFont(face, font.style_ & 1, font.style_ & 2);
  if (!pf) throw Error(kErrInternal, "Cannot load font data!");
  FontMetrics m;
  if (!pf->outlineMetrics(m)) throw Error(kErrInternal, "Cannot load font data!");

  const int32_t first = std::clamp(m.first_char, 0, 255);
  const int32_t last = std::clamp(m.last_char, 0, 255);
  std::vector<int32_t> widths;
  if (last < first || !pf->charWidthsA(uint32_t(first), uint32_t(last), widths) ||
      widths.size() != size_t(last - first + 1))
    throw Error(kErrInternal, "Cannot load font widths!");

  const bool symbol = m.charset == kSymbolCharset || equalsIgnoringCase(face, "WebDings") ||
                      equalsIgnoringCase(face, "WingDings") || equalsIgnoringCase(face, "Symbol");
  const uint32_t code_page = platform_.hasCodePage(font.code_page_) ? font.code_page_ : platform_.defaultAnsiCodePage();
  if (!symbol) {
    // The platform font is made for the default character set, so its
    // 8-bit widths are those of its own code page; the codes this font
    // shows are in the request's code page, so measure those characters.
    std::u16string units;
    for (int32_t c = first; c <= last; ++c) {
      const char byte = char(c);
      std::u16string u = platform_.toWide(code_page, std::string_view(&byte, 1));
      units += (u.size() == 1 && u[0] != 0xFFFD) ? u[0] : char16_t(0);
    }
    std::vector<int32_t> wide;
    if (pf->charWidthsW(units, wide) && wide.size() == units.size())
      for (size_t i = 0; i < units.size(); ++i)
        if (units[i] != 0) widths[i] = wide[i];
  }

  font.first_char_ = first;
  font.last_char_ = last;
  auto d = std::make_unique<TPxFontDescriptor>(&device_, full_font_);
  d->FontName = compact + std::string(styleSuffix(font.style_));
  if (!d->FontName.empty() && d->FontName[0] >= 'a' && d->FontName[0] <= 'z') d->FontName[0] = char(d->FontName[0] - 32);
  d->Ascent = m.outline_ascent;
  d->Height = m.height;
  d->TextAscent = m.ascent;
  d->CapHeight = m.cap_height != 0 ? m.cap_height : 500;
  d->Descent = m.outline_descent;
  // The platform reports tenths of a degree; PDF readers expect degrees,
  // and an italic face written as -120 would be taken as lying on its side.
  d->ItalicAngle = m.italic_angle >= 0 ? (m.italic_angle + 5) / 10 : -((5 - m.italic_angle) / 10);
  d->StemV = 0;
  d->AvgWidth = m.ave_char_width;
  d->Leading = m.internal_leading + m.external_leading;
  d->MaxWidth = 0;
  d->XHeight = m.x_height;
  d->BoxLeft = m.box_left;
  d->BoxTop = m.box_top;
  d->BoxRight = m.box_right;
  d->BoxBottom = m.box_bottom;
  d->scale = m.height > 0 ? 1000.0 / m.height : 1.0;
  d->Flags = symbol ? 6 : 32;
  if (symbol) font.charset_ = kSymbolCharset;
  font.widths_ = std::move(widths);

  const std::vector<std::string> embed_only = splitFontList(device_.embedOnlyFaces());
  const std::vector<std::string> never_embed = splitFontList(device_.neverEmbedFaces());
  EmbeddingRequest request;
  request.font_mode = device_.fontMode();
  request.face = face;
  request.symbol_font = symbol;
  request.charset = font.charset_;
  request.embed_only = embed_only;
  request.never_embed = never_embed;
  const EmbeddingDecision decision = decideEmbedding(request);
  full_font_ = decision.full_font;
  d->setEmbed(decision.embed);

  // CJK fonts are never embedded and keep no program of their own: a
  // program shared with an embedded font of the same name must stay
  // written for that font.
  if (cjkKindForCharset(font.requested_charset_) == CjkKind::None) {
    const std::string key = upperTrimmed(d->FontName);
    TPxPDFFontStream* stream = nullptr;
    bool created = false;
    for (auto& p : programs_)
      if (!p->key().empty() && p->key() == key) stream = p.get();
    if (stream) {
      if (decision.embed) stream->setEmbed(true);
    } else {
      programs_.push_back(std::make_unique<TPxPDFFontStream>(&device_, full_font_, decision.embed));
      stream = programs_.back().get();
      created = true;
      if (decision.embed) {
        std::vector<uint8_t> file = pf->fontFile();
        if (!file.empty()) {
          device_.reportMessage(kMessageEmbeddingFont, d->FontName, 0);
          stream->load(std::move(file), key);
        }
      }
    }
    d->setProgram(stream);
    if (stream->tables()) fillFromProgram(font, *d, *stream, decision.mark_code_page);
    if (created && decision.embed && !stream->hasProgram())
      device_.reportError(kErrorInternal, fontProgramErrorText(d->FontName));
  }
  font.descriptor_ = std::move(d);
}

void FontResources::fillFromProgram(TPxPDFFont& font, TPxFontDescriptor& d, TPxPDFFontStream& stream,
                                    bool mark_code_page) {
  const TrueTypeFont& t = *stream.tables();
  d.glyphs.assign(258, 0);
  const bool symbol = font.charset_ == kSymbolCharset;
  const uint32_t code_page = platform_.hasCodePage(font.code_page_) ? font.code_page_ : platform_.defaultAnsiCodePage();
  for (int c = 1; c <= 255; ++c) {
    if (symbol) {
      d.glyphs[size_t(c)] = t.glyphForSymbolCode(uint8_t(c));
      continue;
    }
    const char byte = char(c);
    const std::u16string u = platform_.toWide(code_page, std::string_view(&byte, 1));
    if (u.size() != 1 || u[0] == 0xFFFD) continue;
    const uint16_t g = t.glyphForChar(u[0]);
    d.glyphs[size_t(c)] = g;
    if (mark_code_page && stream.glyphs()) stream.glyphs()->markGlyph(g, u[0]);
  }
  const int32_t upem = t.unitsPerEm() ? t.unitsPerEm() : 2048;
  for (int32_t c = font.first_char_; c <= font.last_char_; ++c)
    font.widths_[size_t(c - font.first_char_)] = pdf::mulDiv(t.advanceWidth(uint16_t(d.glyphs[size_t(c)])), 1000, upem);
}

std::string FontResources::encodingFor(int32_t charset) {
  if (charset == kSymbolCharset) return "/WinAnsiEncoding";
  for (auto& e : encodings_)
    if (e->charset() == charset) return e->reference();
  std::string text;
  const uint32_t cp = codePageForCharset(charset);
  if (cp == 1255) {
    // No fixed table covers Hebrew; name the code page's own characters.
    char16_t unicode[128] = {};
    for (int c = 128; c < 256; ++c) {
      const char byte = char(c);
      const std::u16string u = toWide(cp, std::string_view(&byte, 1));
      if (u.size() == 1 && u[0] != 0xFFFD) unicode[c - 128] = u[0];
    }
    text = encodingFromUnicode(unicode);
  } else {
    text = encodingDictionaryText(charset);
  }
  encodings_.push_back(std::make_unique<TPxEncodingVector>(&device_, charset, std::move(text)));
  return encodings_.back()->reference();
}

pdf::TPxPDFStream* FontResources::toUnicodeFor(TPxPDFFont& font) {
  if (font.standard_ || font.symbol() || !font.descriptor_) return nullptr;
  std::vector<std::pair<std::string, char16_t>> pairs;
  std::vector<std::pair<std::string, std::string>> space;
  // CJK fonts extract through their collection's own maps, which every
  // reader carries; a ToUnicode map beside a predefined CMap only confuses
  // some of them.
  if (font.descriptor_->cjkKind() != CjkKind::None) {
    return nullptr;  } else {
    // WinAnsiEncoding and its Euro sign extract by themselves.
    if (font.code_page_ == 1252) return nullptr;
    for (int c = 32; c <= 255; ++c) {
      const char byte = char(c);
      const std::u16string u = toWide(font.code_page_, std::string_view(&byte, 1));
      if (u.size() == 1 && u[0] != 0xFFFD && u[0] != 0) pairs.emplace_back(std::string(1, byte), u[0]);
    }
    space = {{"00", "FF"}};
  }
  auto stream = std::make_unique<pdf::TPxPDFStream>(&device_);
  stream->append(toUnicodeCMap(pairs, space));
  to_unicode_.push_back(std::move(stream));
  return to_unicode_.back().get();
}

int32_t FontResources::fontAvgWidth() const {
  return current_ && current_->descriptor_ ? current_->descriptor_->AvgWidth : 0;
}

bool FontResources::fontIsStandard() const { return current_ && current_->standard_; }

namespace {
const TrueTypeFont* parsedTables(const TPxPDFFont* f) {
  if (!f || !f->descriptor() || f->descriptor()->glyphs.size() < 256) return nullptr;
  TPxPDFFontStream* p = f->descriptor()->program();
  return p ? p->tables() : nullptr;
}
}  // namespace

uint16_t FontResources::glyphForUnit(const TrueTypeFont& t, char16_t unit) const { return t.glyphForChar(unit); }

double FontResources::textWidthA(std::string_view bytes, double size) const {
  if (!current_) return 0;
  double w = 0;
  if (const TrueTypeFont* t = parsedTables(current_)) {
    const double upem = t->unitsPerEm() ? t->unitsPerEm() : 2048;
    for (unsigned char b : bytes) w += t->advanceWidth(uint16_t(current_->descriptor_->glyphs[b])) * size / upem;
    return w;
  }
  for (unsigned char b : bytes) w += current_->width(b) / 1000.0 * size;
  return w;
}

double FontResources::textWidthW(std::u16string_view text, double size) const {
  if (!current_) return 0;
  if (const TrueTypeFont* t = parsedTables(current_)) {
    const double upem = t->unitsPerEm() ? t->unitsPerEm() : 2048;
    double w = 0;
    for (char16_t u : text) w += t->advanceWidth(glyphForUnit(*t, u)) * size / upem;
    return w;
  }
  return textWidthA(wideToAnsi(text), size);
}

void FontResources::fontExtents(double size, int32_t& ascent, int32_t& height) const {
  if (!current_ || !current_->descriptor_) {
    height = roundEven(size);
    ascent = roundEven(size * 4 / 5);
    return;
  }
  height = roundEven(current_->descriptor_->Height * size / 1000);
  ascent = roundEven(current_->descriptor_->TextAscent * size / 1000);
}

bool FontResources::glyphAdvancesA(std::string_view bytes, double scale, std::span<int32_t> advances,
                                   double size) const {
  if (!current_) return false;
  const size_t n = std::min(bytes.size(), advances.size());
  if (const TrueTypeFont* t = parsedTables(current_)) {
    const double upem = t->unitsPerEm() ? t->unitsPerEm() : 2048;
    for (size_t i = 0; i < n; ++i)
      advances[i] = roundEven(t->advanceWidth(uint16_t(current_->descriptor_->glyphs[uint8_t(bytes[i])])) * scale /
                              upem * size);
    return true;
  }
  if (current_->widths_.empty()) return false;
  for (size_t i = 0; i < n; ++i) {
    const int32_t code = uint8_t(bytes[i]);
    if (code >= current_->first_char_ && code <= current_->last_char_)
      advances[i] = roundEven(current_->width(code) / 1000.0 * scale * size);
  }
  return true;
}

bool FontResources::glyphAdvancesW(std::u16string_view text, double scale, std::span<int32_t> advances,
                                   double size) const {
  if (!current_) return false;
  if (const TrueTypeFont* t = parsedTables(current_)) {
    const double upem = t->unitsPerEm() ? t->unitsPerEm() : 2048;
    const size_t n = std::min(text.size(), advances.size());
    for (size_t i = 0; i < n; ++i) advances[i] = roundEven(t->advanceWidth(glyphForUnit(*t, text[i])) * scale / upem * size);
    return true;
  }
  return glyphAdvancesA(wideToAnsi(text), scale, advances, size);
}

std::string FontResources::wideToAnsi(std::u16string_view text) const {
  auto lowBytes = [&] {
    std::string s(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) s[i] = char(text[i] & 0xFF);
    return s;
  };
  if (!current_ || current_->symbol()) return lowBytes();
  if (text.empty()) return {};
  const uint32_t cp = platform_.hasCodePage(current_->code_page_) ? current_->code_page_ : platform_.defaultAnsiCodePage();
  bool substituted = false;
  std::string s = platform_.toAnsi(cp, text, substituted);
  if (substituted) {
    bool low = true;
    for (char16_t u : text) low = low && ((u >> 8) == 0x00 || (u >> 8) == 0xF0);
    if (low) s = lowBytes();
  }
  if (s.empty()) s = platform_.toAnsi(platform_.defaultAnsiCodePage(), text, substituted);
  return s;
}

bool FontResources::marksGlyphs() const {
  if (full_font_ || !current_ || !current_->descriptor_ || !current_->descriptor_->embed()) return false;
  TPxPDFFontStream* p = current_->descriptor_->program();
  if (!p || !p->tables() || !p->glyphs()) return false;
  if (device_.fontMode() == kFontModeSubsetCodePage && !current_->symbol()) return false;
  return true;
}

void FontResources::markUsedA(std::string_view bytes) {
  if (!current_ || bytes.empty()) return;
  if (!marksGlyphs()) return;
  SubsetGlyphs& g = *current_->descriptor_->program()->glyphs();
  if (current_->symbol()) {
    for (unsigned char b : bytes) g.markSymbolCode(b);
    return;
  }
  for (char16_t u : toWide(current_->code_page_, bytes)) g.markChar(u);
}

void FontResources::markUsedW(std::u16string_view text) {
  if (!current_ || text.empty()) return;
  if (!marksGlyphs()) return;
  SubsetGlyphs& g = *current_->descriptor_->program()->glyphs();
  for (char16_t u : text) g.markChar(u);
}

}  // namespace pyra::fonts
