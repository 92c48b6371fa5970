#include "platform/font_resolver.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "platform/codepage.h"

namespace pyra::gdi {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(uint8_t(x)) == std::tolower(uint8_t(y));
         });
}

struct Twin {
  const char* windows;
  const char* stand_ins[3];
};
// Faces designed to the same advance widths as the Windows core fonts.
constexpr Twin kTwins[] = {
    {"Arial", {"Liberation Sans", "Arimo", nullptr}},
    {"Times New Roman", {"Liberation Serif", "Tinos", nullptr}},
    {"Courier New", {"Liberation Mono", "Cousine", nullptr}},
    {"Arial Narrow", {"Liberation Sans Narrow", nullptr, nullptr}},
    {"Calibri", {"Carlito", nullptr, nullptr}},
    {"Cambria", {"Caladea", nullptr, nullptr}},
};

const char* cjkLanguage(unsigned charset) {
  switch (charset) {
    case SHIFTJIS_CHARSET: return "ja";
    case HANGEUL_CHARSET: case JOHAB_CHARSET: return "ko";
    case GB2312_CHARSET: return "zh-cn";
    case CHINESEBIG5_CHARSET: return "zh-tw";
    default: return nullptr;
  }
}

struct PatternDeleter {
  void operator()(FcPattern* p) const { FcPatternDestroy(p); }
};
using Pattern = std::unique_ptr<FcPattern, PatternDeleter>;

}  // namespace

bool isSameOrMetricTwin(const std::string& requested, const std::string& used) {
  if (equalsIgnoringCase(requested, used)) return true;
  for (const Twin& t : kTwins) {
    if (!equalsIgnoringCase(requested, t.windows)) continue;
    for (const char* s : t.stand_ins)
      if (s && equalsIgnoringCase(used, s)) return true;
  }
  return false;
}

FontMatch resolveFont(const LOGFONTW& lf) {
  size_t n = 0;
  while (n < LF_FACESIZE && lf.lfFaceName[n] != 0) ++n;
  const std::string face =
      utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(lf.lfFaceName), n));

  Pattern pattern(FcPatternCreate());
  if (!pattern) throw std::bad_alloc();
  FcPattern* p = pattern.get();
  if (!face.empty()) FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));

  const unsigned family_bits = lf.lfPitchAndFamily & 0xF0;
  const bool fixed = (lf.lfPitchAndFamily & 0x03) == FIXED_PITCH || family_bits == FF_MODERN;
  const char* lang = cjkLanguage(lf.lfCharSet);
  if (lang) {
    FcPatternAddString(p, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(fixed ? "monospace" : family_bits == FF_ROMAN ? "serif" : "sans-serif"));
  } else {
    // The faces the Windows mapper falls back to for an unknown name; through
    // fontconfig they become their metric-compatible stand-ins.
    const char* fallback = fixed ? "Courier New" : family_bits == FF_ROMAN ? "Times New Roman" : "Arial";
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(fallback));
    FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(fixed ? "monospace" : family_bits == FF_ROMAN ? "serif" : "sans-serif"));
  }
  int weight = lf.lfWeight <= 0 ? FW_NORMAL : std::min<int>(lf.lfWeight, 1000);
  FcPatternAddInteger(p, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(p, FC_SLANT, lf.lfItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(p, FC_SCALABLE, FcTrue);
  FcPatternAddBool(p, FC_OUTLINE, FcTrue);

  if (!FcConfigSubstitute(nullptr, p, FcMatchPattern)) throw std::bad_alloc();
  FcDefaultSubstitute(p);
  FcResult result = FcResultNoMatch;
  Pattern match(FcFontMatch(nullptr, p, &result));
  if (!match) throw std::runtime_error("no font matches \"" + face + "\"");

  FontMatch out;
  FcChar8* file = nullptr;
  if (FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch || !file)
    throw std::runtime_error("font match without a file");
  out.path = reinterpret_cast<const char*>(file);
  int index = 0;
  if (FcPatternGetInteger(match.get(), FC_INDEX, 0, &index) == FcResultMatch)
    out.face_index = index & 0xFFFF;  // the high half names a variable instance
  out.substitute = true;
  FcChar8* family = nullptr;
  for (int i = 0; FcPatternGetString(match.get(), FC_FAMILY, i, &family) == FcResultMatch; ++i) {
    std::string name = reinterpret_cast<const char*>(family);
    if (i == 0) out.family = name;
    if (!face.empty() && isSameOrMetricTwin(face, name)) {
      out.substitute = false;
      out.family = name;
    }
  }
  return out;
}

}  // namespace pyra::gdi
