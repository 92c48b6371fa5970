#include "engine/fonts/charset_code_page.h"

namespace pyra::fonts {

uint32_t codePageForCharset(int32_t charset) {
  switch (charset) {
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 238: return 1250;
    case 204: return 1251;
    case 161: return 1253;
    case 162: return 1254;
    case 177: return 1255;
    case 186: return 1257;
    default: return 1252;
  }
}

CjkKind cjkKindForCharset(int32_t charset) {
  switch (charset) {
    case 128: return CjkKind::Japanese;
    case 129: return CjkKind::Korean;
    case 134: return CjkKind::SimplifiedChinese;
    case 136: return CjkKind::TraditionalChinese;
    default: return CjkKind::None;
  }
}

}  // namespace pyra::fonts
