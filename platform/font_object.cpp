#include "platform/font_object.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "platform/codepage.h"
#include "platform/device_context.h"
#include "platform/stock_objects.h"

namespace pyra::gdi {

namespace {

constexpr double kMaxEm = 1 << 20;  // beyond any page; keeps products in range
constexpr int kDefaultCellHeight = 16;

// Windows character sets a face supports, in the order of the OS/2
// code-page-range bits.
unsigned charsetFromCodePageRange(uint32_t range) {
  struct Bit { int bit; unsigned charset; };
  static constexpr Bit kBits[] = {
      {0, ANSI_CHARSET}, {1, EASTEUROPE_CHARSET}, {2, RUSSIAN_CHARSET}, {3, GREEK_CHARSET},
      {4, TURKISH_CHARSET}, {5, HEBREW_CHARSET}, {6, ARABIC_CHARSET}, {7, BALTIC_CHARSET},
      {8, VIETNAMESE_CHARSET}, {16, THAI_CHARSET}, {17, SHIFTJIS_CHARSET}, {18, GB2312_CHARSET},
      {19, HANGEUL_CHARSET}, {20, CHINESEBIG5_CHARSET},
  };
  for (const Bit& b : kBits)
    if (range & (1u << b.bit)) return b.charset;
  return ANSI_CHARSET;
}

// Every LOGFONT field but the face name, whose conversion needs a code page.
template <class From, class To>
void copyLogFontNumbers(const From& from, To& to) {
  to.lfHeight = from.lfHeight;
  to.lfWidth = from.lfWidth;
  to.lfEscapement = from.lfEscapement;
  to.lfOrientation = from.lfOrientation;
  to.lfWeight = from.lfWeight;
  to.lfItalic = from.lfItalic;
  to.lfUnderline = from.lfUnderline;
  to.lfStrikeOut = from.lfStrikeOut;
  to.lfCharSet = from.lfCharSet;
  to.lfOutPrecision = from.lfOutPrecision;
  to.lfClipPrecision = from.lfClipPrecision;
  to.lfQuality = from.lfQuality;
  to.lfPitchAndFamily = from.lfPitchAndFamily;
}

}  // namespace

LOGFONTW logFontWFromA(const LOGFONTA& a) {
  LOGFONTW w{};
  copyLogFontNumbers(a, w);
  size_t n = strnlen(a.lfFaceName, LF_FACESIZE - 1);
  CodePageConverter cp(1252);
  auto face = cp.decode(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(a.lfFaceName), n), nullptr);
  size_t k = std::min<size_t>(face.size(), LF_FACESIZE - 1);
  for (size_t i = 0; i < k; ++i) w.lfFaceName[i] = face[i];
  return w;
}

FontObject::FontObject(const LOGFONTW& logfont) : GdiObject(ObjectKind::Font), logfont_(logfont) {
  logfont_.lfFaceName[LF_FACESIZE - 1] = 0;
}

FontObject::FontObject(const LOGFONTW& logfont, std::string path, int face_index)
    : GdiObject(ObjectKind::Font), logfont_(logfont), bound_path_(std::move(path)), bound_index_(face_index) {
  logfont_.lfFaceName[LF_FACESIZE - 1] = 0;
}

LOGFONTA FontObject::logFontA() const {
  LOGFONTA a{};
  copyLogFontNumbers(logfont_, a);
  size_t n = 0;
  while (n < LF_FACESIZE && logfont_.lfFaceName[n]) ++n;
  CodePageConverter cp(1252);
  auto bytes = cp.encode(std::u16string_view(reinterpret_cast<const char16_t*>(logfont_.lfFaceName), n), '?', nullptr);
  std::memcpy(a.lfFaceName, bytes.data(), std::min<size_t>(bytes.size(), LF_FACESIZE - 1));
  return a;
}

int FontObject::describeA(int size, void* out) const {
  if (!out) return int(sizeof(LOGFONTA));
  if (size < int(sizeof(LOGFONTA))) return 0;
  LOGFONTA a = logFontA();
  std::memcpy(out, &a, sizeof a);
  return int(sizeof a);
}

int FontObject::describeW(int size, void* out) const {
  if (!out) return int(sizeof(LOGFONTW));
  if (size < int(sizeof(LOGFONTW))) return 0;
  std::memcpy(out, &logfont_, sizeof logfont_);
  return int(sizeof logfont_);
}

FontMatch FontObject::match() {
  std::lock_guard lock(mutex_);
  if (bound_index_ >= 0) {
    try {
      face();
    } catch (const std::runtime_error&) {
    }
    if (!match_) match_ = FontMatch{bound_path_, bound_index_, "", false};
    return *match_;
  }
  if (!match_) match_ = resolveFont(logfont_);
  return *match_;
}

FontFace& FontObject::face() {
  if (face_) return *face_;
  if (face_failed_) throw std::runtime_error("font face cannot be opened");
  try {
    if (!match_) {
      if (bound_index_ >= 0) {
        match_ = FontMatch{bound_path_, bound_index_, "", false};
      } else {
        match_ = resolveFont(logfont_);
      }
    }
    face_ = FontFace::open(match_->path, match_->face_index);
    if (match_->family.empty()) match_->family = face_->design().family;
  } catch (...) {
    face_failed_ = true;
    throw;
  }
  const FaceDesign& d = face_->design();
  int64_t h = logfont_.lfHeight;
  if (h < 0) {
    em_ = double(-h);
  } else {
    // A positive height is the cell height (ascent plus descent).
    double cell = double(h == 0 ? kDefaultCellHeight : h);
    int span = d.win_ascent + d.win_descent;
    em_ = d.outline && span > 0 ? cell * d.units_per_em / span : cell;
  }
  em_ = std::min(em_, kMaxEm);
  return *face_;
}

int FontObject::scaled(double design_units) {
  const FaceDesign& d = face_->design();
  if (!d.outline) return int(design_units);
  return int(std::lround(design_units * em_ / d.units_per_em));
}

unsigned FontObject::resolvedCharset() {
  if (charset_ != 0xFFFF) return charset_;
  const FaceDesign& d = face().design();
  unsigned requested = logfont_.lfCharSet;
  if (requested == DEFAULT_CHARSET) {
    if (d.symbol) requested = SYMBOL_CHARSET;
    else if (!d.has_os2 || d.code_page_range1 == 0) requested = ANSI_CHARSET;
    else requested = charsetFromCodePageRange(d.code_page_range1);
  }
  charset_ = requested;
  return charset_;
}

unsigned FontObject::charset() {
  std::lock_guard lock(mutex_);
  return resolvedCharset();
}

unsigned FontObject::codePage() {
  std::lock_guard lock(mutex_);
  unsigned cs = resolvedCharset();
  if (cs == SYMBOL_CHARSET) return face_->design().symbol ? 0 : 1252;
  return codePageForCharset(cs);
}

double FontObject::emHeight() {
  std::lock_guard lock(mutex_);
  face();
  return em_;
}

bool FontObject::isOutline() {
  std::lock_guard lock(mutex_);
  try {
    return face().design().outline;
  } catch (const std::runtime_error&) {
    return false;
  }
}

const std::array<int, 256>& FontObject::codePageAdvances() {
  if (advances_) return *advances_;
  FontFace& f = face();
  unsigned cs = resolvedCharset();
  std::array<int, 256> adv{};
  const int missing = f.advance(0);
  int first = -1, last = -1;
  if (cs == SYMBOL_CHARSET && f.design().symbol) {
    for (int c = 0; c < 256; ++c) {
      unsigned g = f.glyphForSymbolCode(uint32_t(c));
      adv[c] = g ? f.advance(g) : missing;
      if (g && c >= 0x20) { if (first < 0) first = c; last = c; }
    }
  } else {
    CodePageConverter cp(cs == SYMBOL_CHARSET ? 1252 : codePageForCharset(cs));
    for (int c = 0; c < 256; ++c) {
      char16_t u = cp.decodeByte(uint8_t(c));
      unsigned g = u ? f.glyphForChar(u) : 0;
      adv[c] = g ? f.advance(g) : missing;
      if (g && c >= 0x20) { if (first < 0) first = c; last = c; }
    }
  }
  first_char_ = first < 0 ? 0x20 : first;
  last_char_ = last < 0 ? 0xFF : last;
  advances_ = adv;
  return *advances_;
}

int FontObject::advanceForUnit(char16_t unit) {
  FontFace& f = face();
  unsigned g = f.glyphForChar(unit);
  return f.advance(g);
}

TEXTMETRICA FontObject::textMetrics() {
  std::lock_guard lock(mutex_);
  const FaceDesign& d = face().design();
  codePageAdvances();
  TEXTMETRICA tm{};
  if (d.outline) {
    tm.tmAscent = scaled(d.win_ascent);
    tm.tmDescent = scaled(d.win_descent);
    tm.tmHeight = tm.tmAscent + tm.tmDescent;
    tm.tmInternalLeading = std::max<LONG>(0, tm.tmHeight - LONG(std::lround(em_)));
    int gap = d.hhea_line_gap - ((d.win_ascent + d.win_descent) - (d.hhea_ascender - d.hhea_descender));
    tm.tmExternalLeading = std::max(0, scaled(gap));
    tm.tmAveCharWidth = scaled(d.avg_width);
    tm.tmMaxCharWidth = scaled(d.max_advance);
    tm.tmWeight = d.has_os2 ? d.weight_class : (logfont_.lfWeight ? logfont_.lfWeight : FW_NORMAL);
  } else {
    tm.tmHeight = d.bitmap_height;
    tm.tmAscent = d.bitmap_ascent;
    tm.tmDescent = d.bitmap_height - d.bitmap_ascent;
    tm.tmAveCharWidth = advances_->at('x');
    tm.tmMaxCharWidth = *std::max_element(advances_->begin(), advances_->end());
    tm.tmWeight = logfont_.lfWeight ? logfont_.lfWeight : FW_NORMAL;
  }
  tm.tmDigitizedAspectX = 96;
  tm.tmDigitizedAspectY = 96;
  tm.tmFirstChar = BYTE(first_char_);
  tm.tmLastChar = BYTE(last_char_);
  tm.tmDefaultChar = BYTE(first_char_ > 0 ? first_char_ - 1 : 0);
  tm.tmBreakChar = 0x20;
  tm.tmItalic = (logfont_.lfItalic || (d.fs_selection & 1) || d.italic_angle != 0) ? 0xFF : 0;
  tm.tmUnderlined = logfont_.lfUnderline ? 0xFF : 0;
  tm.tmStruckOut = logfont_.lfStrikeOut ? 0xFF : 0;
  BYTE family = logfont_.lfPitchAndFamily & 0xF0;
  if (d.panose[0] == 2) {  // Latin text: the PANOSE serif style and proportion say which
    if (d.panose[3] == 9) family = FF_MODERN;
    else if (d.panose[1] >= 11 && d.panose[1] <= 13) family = FF_SWISS;
    else if (d.panose[1] >= 2) family = FF_ROMAN;
  }
  if (d.fixed_pitch) family = FF_MODERN;
  tm.tmPitchAndFamily = BYTE(family | (d.fixed_pitch ? 0 : TMPF_FIXED_PITCH) |
                             (d.outline ? TMPF_VECTOR | TMPF_TRUETYPE : 0));
  tm.tmCharSet = BYTE(resolvedCharset());
  return tm;
}

unsigned FontObject::outlineTextMetrics(unsigned size, OUTLINETEXTMETRICA* out) {
  TEXTMETRICA tm = textMetrics();
  std::lock_guard lock(mutex_);
  const FaceDesign& d = face().design();
  if (!d.outline) return 0;
  const std::string names[4] = {d.family, d.full_name, d.style, d.full_name};
  size_t total = sizeof(OUTLINETEXTMETRICA);
  for (auto& n : names) total += n.size() + 1;
  if (!out || size == 0) return unsigned(total);
  if (size < sizeof(OUTLINETEXTMETRICA)) return 0;

  OUTLINETEXTMETRICA o{};
  o.otmTextMetrics = tm;
  std::memcpy(&o.otmPanoseNumber, d.panose.data(), sizeof o.otmPanoseNumber);
  o.otmfsSelection = d.fs_selection;
  o.otmfsType = d.fs_type;
  o.otmsCharSlopeRise = d.caret_rise;
  o.otmsCharSlopeRun = d.caret_run;
  // Tenths of a degree: the documented field says degrees, but the platform
  // has always reported tenths (Arial Italic gives -120).
  o.otmItalicAngle = INT(std::lround(d.italic_angle * 10));
  o.otmEMSquare = UINT(d.units_per_em);
  o.otmAscent = scaled(d.typo_ascender);
  o.otmDescent = scaled(d.typo_descender);
  o.otmLineGap = UINT(std::max(0, scaled(d.typo_line_gap)));
  o.otmsCapEmHeight = UINT(std::max(0, scaled(d.cap_height)));
  o.otmsXHeight = UINT(std::max(0, scaled(d.x_height)));
  o.otmrcFontBox = RECT{scaled(d.x_min), scaled(d.y_max), scaled(d.x_max), scaled(d.y_min)};
  o.otmMacAscent = scaled(d.hhea_ascender);
  o.otmMacDescent = scaled(d.hhea_descender);
  o.otmMacLineGap = UINT(std::max(0, scaled(d.hhea_line_gap)));
  o.otmusMinimumPPEM = 9;
  o.otmptSubscriptSize = POINT{scaled(d.subscript_x), scaled(d.subscript_y)};
  o.otmptSubscriptOffset = POINT{scaled(d.subscript_x_offset), scaled(d.subscript_y_offset)};
  o.otmptSuperscriptSize = POINT{scaled(d.superscript_x), scaled(d.superscript_y)};
  o.otmptSuperscriptOffset = POINT{scaled(d.superscript_x_offset), scaled(d.superscript_y_offset)};
  o.otmsStrikeoutSize = UINT(std::max(0, scaled(d.strikeout_size)));
  o.otmsStrikeoutPosition = scaled(d.strikeout_position);
  o.otmsUnderscoreSize = scaled(d.underline_thickness);
  o.otmsUnderscorePosition = scaled(d.underline_position);

  auto* bytes = reinterpret_cast<char*>(out);
  if (size >= total) {
    size_t at = sizeof(OUTLINETEXTMETRICA);
    LPSTR* fields[4] = {&o.otmpFamilyName, &o.otmpFaceName, &o.otmpStyleName, &o.otmpFullName};
    for (int i = 0; i < 4; ++i) {
      // Offsets from the start of the record, as the documentation defines them.
      *fields[i] = reinterpret_cast<LPSTR>(uintptr_t(at));
      std::memcpy(bytes + at, names[i].c_str(), names[i].size() + 1);
      at += names[i].size() + 1;
    }
    o.otmSize = UINT(total);
  } else {
    o.otmSize = UINT(sizeof(OUTLINETEXTMETRICA));
  }
  std::memcpy(out, &o, sizeof o);
  return o.otmSize;
}

bool FontObject::charWidthsA(unsigned first, unsigned last, INT* out) {
  if (first > last || last > 0xFFFF || !out) return false;
  std::lock_guard lock(mutex_);
  const auto& adv = codePageAdvances();
  if (last <= 0xFF) {
    for (unsigned c = first; c <= last; ++c) out[c - first] = scaled(adv[c]);
    return true;
  }
  // Codes above 255 are double-byte characters of the font's code page.
  std::optional<CodePageConverter> cp;
  unsigned page = resolvedCharset() == SYMBOL_CHARSET ? 0 : codePageForCharset(resolvedCharset());
  if (page) cp.emplace(page);
  const int missing = face_->advance(0);
  for (unsigned c = first; c <= last; ++c) {
    if (c <= 0xFF) { out[c - first] = scaled(adv[c]); continue; }
    int a = missing;
    if (cp) {
      uint8_t two[2] = {uint8_t(c >> 8), uint8_t(c)};
      bool invalid = false;
      auto u = cp->decode(two, &invalid);
      if (!invalid && u.size() == 1) a = advanceForUnit(u[0]);
    }
    out[c - first] = scaled(a);
  }
  return true;
}

bool FontObject::charWidthsW(unsigned first, unsigned last, INT* out) {
  if (first > last || last > 0xFFFF || !out) return false;
  std::lock_guard lock(mutex_);
  face();
  for (unsigned c = first; c <= last; ++c) out[c - first] = scaled(advanceForUnit(char16_t(c)));
  return true;
}

SIZE FontObject::textExtentW(const WCHAR* text, int count) {
  TEXTMETRICA tm = textMetrics();
  std::lock_guard lock(mutex_);
  face();
  LONG width = 0;
  for (int i = 0; i < count; ++i) width += scaled(advanceForUnit(char16_t(text[i])));
  return SIZE{width, tm.tmHeight};
}

SIZE FontObject::textExtentA(const char* text, int count) {
  unsigned page = codePage();
  if (page == 0) {  // symbol font: the bytes are the codes
    TEXTMETRICA tm = textMetrics();
    std::lock_guard lock(mutex_);
    const auto& adv = codePageAdvances();
    LONG width = 0;
    for (int i = 0; i < count; ++i) width += scaled(adv[uint8_t(text[i])]);
    return SIZE{width, tm.tmHeight};
  }
  CodePageConverter cp(page);
  auto units = cp.decode(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text), size_t(count)), nullptr);
  return textExtentW(reinterpret_cast<const WCHAR*>(units.data()), int(units.size()));
}

DWORD FontObject::fontData(uint32_t tag, DWORD offset, void* buffer, DWORD size) {
  std::lock_guard lock(mutex_);
  FontFace& f = face();
  std::vector<uint8_t> table_bytes;
  const std::vector<uint8_t>* data = nullptr;
  if (tag == 0) {
    if (!standalone_) standalone_ = f.standaloneFile();
    data = &*standalone_;
  } else if (tag == 0x74746366u) {  // 'ttcf': the whole collection
    if (!f.design().collection) return GDI_ERROR;
    auto whole = f.table(0);
    if (!whole) return GDI_ERROR;
    table_bytes = std::move(*whole);
    data = &table_bytes;
  } else {
    auto t = f.table(tag);
    if (!t) return GDI_ERROR;
    table_bytes = std::move(*t);
    data = &table_bytes;
  }
  if (data->size() > 0xFFFFFFFEu || offset > data->size()) return GDI_ERROR;
  DWORD available = DWORD(data->size() - offset);
  if (!buffer) return available;
  DWORD n = std::min(available, size);
  std::memcpy(buffer, data->data() + offset, n);
  return n;
}

std::shared_ptr<FontObject> findFont(HFONT handle) {
  return HandleTable::instance().findAs<FontObject>(handle, ObjectKind::Font);
}

std::shared_ptr<FontObject> selectedFont(const DeviceContext& dc) {
  HGDIOBJ h = dc.font ? dc.font : stockObject(SYSTEM_FONT);
  return findFont(h);
}

}  // namespace pyra::gdi
