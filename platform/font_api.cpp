// The exported font calls.
#include <cstddef>
#include <cstring>

#include "platform/api_guard.h"
#include "platform/codepage.h"
#include "platform/device_context.h"
#include "platform/font_object.h"

using namespace pyra::gdi;

// The records keep the documented field order and sizes; only the name
// fields of OUTLINETEXTMETRICA grow with the pointer size.
static_assert(sizeof(LOGFONTA) == 60 && sizeof(LOGFONTW) == 92);
static_assert(sizeof(TEXTMETRICA) == 56 && sizeof(PANOSE) == 10);
static_assert(offsetof(OUTLINETEXTMETRICA, otmPanoseNumber) == 61);
static_assert(offsetof(OUTLINETEXTMETRICA, otmItalicAngle) == 88);
static_assert(offsetof(OUTLINETEXTMETRICA, otmrcFontBox) == 116);
static_assert(offsetof(OUTLINETEXTMETRICA, otmsUnderscorePosition) == 192);
static_assert(sizeof(void*) != 4 || sizeof(OUTLINETEXTMETRICA) == 212);

namespace {

HFONT insertFont(std::shared_ptr<FontObject> font) { return HandleTable::instance().insert(std::move(font)); }

std::shared_ptr<FontObject> fontOf(HDC hdc) {
  auto dc = HandleTable::instance().findAs<DeviceContext>(hdc, ObjectKind::Dc);
  return dc ? selectedFont(*dc) : nullptr;
}

LOGFONTW makeLogFont(INT cHeight, INT cWidth, INT cEscapement, INT cOrientation, INT cWeight, DWORD bItalic,
                     DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision,
                     DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily) {
  LOGFONTW lf{};
  lf.lfHeight = cHeight;
  lf.lfWidth = cWidth;
  lf.lfEscapement = cEscapement;
  lf.lfOrientation = cOrientation;
  lf.lfWeight = cWeight;
  lf.lfItalic = bItalic ? 1 : 0;
  lf.lfUnderline = bUnderline ? 1 : 0;
  lf.lfStrikeOut = bStrikeOut ? 1 : 0;
  lf.lfCharSet = BYTE(iCharSet);
  lf.lfOutPrecision = BYTE(iOutPrecision);
  lf.lfClipPrecision = BYTE(iClipPrecision);
  lf.lfQuality = BYTE(iQuality);
  lf.lfPitchAndFamily = BYTE(iPitchAndFamily);
  return lf;
}

// Copies a name the way GetTextFace does; returns the length without the
// terminator, or with `buf` null the size needed including it.
INT copyName(const std::string& name, LPSTR buf, INT cb) {
  if (!buf) return INT(name.size() + 1);
  if (cb <= 0) return 0;
  size_t n = std::min(name.size(), size_t(cb - 1));
  std::memcpy(buf, name.data(), n);
  buf[n] = 0;
  return INT(n);
}

}  // namespace

extern "C" {

PYRA_GDI_API HFONT CreateFontA(INT cHeight, INT cWidth, INT cEscapement, INT cOrientation, INT cWeight,
                               DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                               DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                               DWORD iPitchAndFamily, LPCSTR pszFaceName) {
  return guarded<HFONT>(0, [&]() -> HFONT {
    LOGFONTA a{};
    LOGFONTW w = makeLogFont(cHeight, cWidth, cEscapement, cOrientation, cWeight, bItalic, bUnderline, bStrikeOut,
                             iCharSet, iOutPrecision, iClipPrecision, iQuality, iPitchAndFamily);
    std::memcpy(&a, &w, offsetof(LOGFONTA, lfFaceName));
    if (pszFaceName) std::strncpy(a.lfFaceName, pszFaceName, LF_FACESIZE - 1);
    return insertFont(std::make_shared<FontObject>(logFontWFromA(a)));
  });
}

PYRA_GDI_API HFONT CreateFontW(INT cHeight, INT cWidth, INT cEscapement, INT cOrientation, INT cWeight,
                               DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet,
                               DWORD iOutPrecision, DWORD iClipPrecision, DWORD iQuality,
                               DWORD iPitchAndFamily, LPCWSTR pszFaceName) {
  return guarded<HFONT>(0, [&]() -> HFONT {
    LOGFONTW w = makeLogFont(cHeight, cWidth, cEscapement, cOrientation, cWeight, bItalic, bUnderline, bStrikeOut,
                             iCharSet, iOutPrecision, iClipPrecision, iQuality, iPitchAndFamily);
    for (int i = 0; pszFaceName && i < LF_FACESIZE - 1 && pszFaceName[i]; ++i) w.lfFaceName[i] = pszFaceName[i];
    return insertFont(std::make_shared<FontObject>(w));
  });
}

PYRA_GDI_API HFONT CreateFontIndirectA(const LOGFONTA* lplf) {
  return guarded<HFONT>(0, [&]() -> HFONT {
    if (!lplf) return 0;
    return insertFont(std::make_shared<FontObject>(logFontWFromA(*lplf)));
  });
}

PYRA_GDI_API HFONT CreateFontIndirectW(const LOGFONTW* lplf) {
  return guarded<HFONT>(0, [&]() -> HFONT {
    if (!lplf) return 0;
    return insertFont(std::make_shared<FontObject>(*lplf));
  });
}

PYRA_GDI_API HFONT pyraCreateFontFromFileA(LPCSTR path, INT face_index, const LOGFONTA* lplf) {
  return guarded<HFONT>(0, [&]() -> HFONT {
    if (!path || !*path || face_index < 0) return 0;
    LOGFONTA a{};
    if (lplf) a = *lplf;
    return insertFont(std::make_shared<FontObject>(logFontWFromA(a), std::string(path), face_index));
  });
}

PYRA_GDI_API BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* lptm) {
  return guarded<BOOL>(FALSE, [&]() -> BOOL {
    auto font = fontOf(hdc);
    if (!font || !lptm) return FALSE;
    *lptm = font->textMetrics();
    return TRUE;
  });
}

PYRA_GDI_API UINT GetOutlineTextMetricsA(HDC hdc, UINT cbData, OUTLINETEXTMETRICA* lpotm) {
  return guarded<UINT>(0, [&]() -> UINT {
    auto font = fontOf(hdc);
    if (!font) return 0;
    return font->outlineTextMetrics(cbData, lpotm);
  });
}

PYRA_GDI_API BOOL GetCharWidthA(HDC hdc, UINT iFirst, UINT iLast, INT* lpBuffer) {
  return guarded<BOOL>(FALSE, [&]() -> BOOL {
    auto font = fontOf(hdc);
    return font && font->charWidthsA(iFirst, iLast, lpBuffer) ? TRUE : FALSE;
  });
}

PYRA_GDI_API BOOL GetCharWidth32A(HDC hdc, UINT iFirst, UINT iLast, INT* lpBuffer) {
  return GetCharWidthA(hdc, iFirst, iLast, lpBuffer);
}

PYRA_GDI_API BOOL GetCharWidthW(HDC hdc, UINT iFirst, UINT iLast, INT* lpBuffer) {
  return guarded<BOOL>(FALSE, [&]() -> BOOL {
    auto font = fontOf(hdc);
    return font && font->charWidthsW(iFirst, iLast, lpBuffer) ? TRUE : FALSE;
  });
}

PYRA_GDI_API BOOL GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, INT* lpBuffer) {
  return GetCharWidthW(hdc, iFirst, iLast, lpBuffer);
}

PYRA_GDI_API BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, INT c, SIZE* psizl) {
  return guarded<BOOL>(FALSE, [&]() -> BOOL {
    auto font = fontOf(hdc);
    if (!font || !psizl || c < 0 || (c > 0 && !lpString)) return FALSE;
    *psizl = font->textExtentA(lpString, c);
    return TRUE;
  });
}

PYRA_GDI_API BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, INT c, SIZE* psizl) {
  return guarded<BOOL>(FALSE, [&]() -> BOOL {
    auto font = fontOf(hdc);
    if (!font || !psizl || c < 0 || (c > 0 && !lpString)) return FALSE;
    *psizl = font->textExtentW(lpString, c);
    return TRUE;
  });
}

PYRA_GDI_API INT GetTextFaceA(HDC hdc, INT c, LPSTR lpName) {
  return guarded<INT>(0, [&]() -> INT {
    auto font = fontOf(hdc);
    if (!font) return 0;
    LOGFONTA a = font->logFontA();
    return copyName(std::string(a.lfFaceName, strnlen(a.lfFaceName, LF_FACESIZE)), lpName, c);
  });
}

PYRA_GDI_API UINT GetTextCharset(HDC hdc) {
  return guarded<UINT>(DEFAULT_CHARSET, [&]() -> UINT {
    auto font = fontOf(hdc);
    return font ? font->charset() : DEFAULT_CHARSET;
  });
}

PYRA_GDI_API DWORD GetFontData(HDC hdc, DWORD dwTable, DWORD dwOffset, LPVOID pvBuffer, DWORD cjBuffer) {
  return guarded<DWORD>(GDI_ERROR, [&]() -> DWORD {
    auto font = fontOf(hdc);
    if (!font) return GDI_ERROR;
    return font->fontData(__builtin_bswap32(dwTable), dwOffset, pvBuffer, cjBuffer);
  });
}

PYRA_GDI_API INT pyraGetFontFamilyA(HFONT hfont, LPSTR buf, INT cb) {
  return guarded<INT>(0, [&]() -> INT {
    auto font = findFont(hfont);
    if (!font) return 0;
    return copyName(font->match().family, buf, cb);
  });
}

PYRA_GDI_API INT pyraGetFontFileA(HFONT hfont, LPSTR buf, INT cb, INT* face_index) {
  return guarded<INT>(0, [&]() -> INT {
    auto font = findFont(hfont);
    if (!font) return 0;
    FontMatch m = font->match();
    if (face_index) *face_index = m.face_index;
    return copyName(m.path, buf, cb);
  });
}

PYRA_GDI_API INT pyraFontIsSubstitute(HFONT hfont) {
  return guarded<INT>(-1, [&]() -> INT {
    auto font = findFont(hfont);
    if (!font) return -1;
    return font->match().substitute ? 1 : 0;
  });
}

}  // extern "C"
