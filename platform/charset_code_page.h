#pragma once
// The code page of a LOGFONT character set: one table for font objects,
// rich text and the metafile text codec. Header-only because the metafile
// byte library, built without the rest of the platform, reads it too.

namespace pyra::gdi {

// 0 for SYMBOL_CHARSET (codes are glyph numbers, not characters); 1252 for
// a set without a code page of its own.
constexpr unsigned codePageForCharset(unsigned charset) {
  switch (charset) {
    case 2: return 0;  // SYMBOL_CHARSET
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    default: return 1252;
  }
}

}  // namespace pyra::gdi
