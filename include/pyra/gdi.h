/* Public interface of libpyragdi, the stand-in for the Windows graphics
 * services that the engine, the wrapper and the demo rely on.
 *
 * Records are laid out as the published Windows GDI documentation describes
 * them; where a record holds a pointer it is pointer-sized on this platform.
 * Handles are 32-bit identifiers (see gdi_types.h): a call given 0, a
 * deleted handle or a handle of the wrong kind fails with its documented
 * failure result and touches nothing. */
#ifndef PYRA_GDI_H
#define PYRA_GDI_H

#include <stddef.h>

#include "gdi_types.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef void* LPVOID;
typedef uint32_t HANDLE;
typedef uintptr_t SIZE_T;
typedef float FLOAT;

#define LF_FACESIZE 32
#define GDI_ERROR 0xFFFFFFFFu
#define HGDI_ERROR ((HGDIOBJ)0xFFFFFFFFu)
#define CLR_INVALID 0xFFFFFFFFu

/* ---- Fonts ------------------------------------------------------------ */

#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_HEAVY 900

#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define MAC_CHARSET 77
#define SHIFTJIS_CHARSET 128
#define HANGEUL_CHARSET 129
#define HANGUL_CHARSET 129
#define JOHAB_CHARSET 130
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define GREEK_CHARSET 161
#define TURKISH_CHARSET 162
#define VIETNAMESE_CHARSET 163
#define HEBREW_CHARSET 177
#define ARABIC_CHARSET 178
#define BALTIC_CHARSET 186
#define RUSSIAN_CHARSET 204
#define THAI_CHARSET 222
#define EASTEUROPE_CHARSET 238
#define OEM_CHARSET 255

#define OUT_DEFAULT_PRECIS 0
#define OUT_TT_PRECIS 4
#define OUT_TT_ONLY_PRECIS 7
#define OUT_OUTLINE_PRECIS 8
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5

#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20
#define FF_MODERN 0x30
#define FF_SCRIPT 0x40
#define FF_DECORATIVE 0x50

/* tmPitchAndFamily bits. TMPF_FIXED_PITCH set means a *variable* pitch font,
 * as documented. */
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_TRUETYPE 0x04
#define TMPF_DEVICE 0x08

typedef struct tagLOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA;

typedef struct tagLOGFONTW {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];
} LOGFONTW;

typedef struct tagTEXTMETRICA {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  BYTE tmFirstChar;
  BYTE tmLastChar;
  BYTE tmDefaultChar;
  BYTE tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
} TEXTMETRICA;

typedef struct tagPANOSE {
  BYTE bFamilyType;
  BYTE bSerifStyle;
  BYTE bWeight;
  BYTE bProportion;
  BYTE bContrast;
  BYTE bStrokeVariation;
  BYTE bArmStyle;
  BYTE bLetterform;
  BYTE bMidline;
  BYTE bXHeight;
} PANOSE;

/* The four name fields hold byte offsets from the start of the record to
 * zero-terminated strings stored after it in the caller's buffer (as
 * documented), not addresses. otmItalicAngle is in tenths of a degree,
 * counter-clockwise from vertical (-120 for a face leaning 12 degrees to the
 * right), as the platform has always reported it despite its first
 * documentation saying degrees: a PDF /ItalicAngle needs it divided by 10. */
typedef struct tagOUTLINETEXTMETRICA {
  UINT otmSize;
  TEXTMETRICA otmTextMetrics;
  BYTE otmFiller;
  PANOSE otmPanoseNumber;
  UINT otmfsSelection;
  UINT otmfsType;
  INT otmsCharSlopeRise;
  INT otmsCharSlopeRun;
  INT otmItalicAngle;
  UINT otmEMSquare;
  INT otmAscent;
  INT otmDescent;
  UINT otmLineGap;
  UINT otmsCapEmHeight;
  UINT otmsXHeight;
  RECT otmrcFontBox;
  INT otmMacAscent;
  INT otmMacDescent;
  UINT otmMacLineGap;
  UINT otmusMinimumPPEM;
  POINT otmptSubscriptSize;
  POINT otmptSubscriptOffset;
  POINT otmptSuperscriptSize;
  POINT otmptSuperscriptOffset;
  UINT otmsStrikeoutSize;
  INT otmsStrikeoutPosition;
  INT otmsUnderscoreSize;
  INT otmsUnderscorePosition;
  LPSTR otmpFamilyName;
  LPSTR otmpFaceName;
  LPSTR otmpStyleName;
  LPSTR otmpFullName;
} OUTLINETEXTMETRICA;

typedef struct tagABC {
  INT abcA;
  UINT abcB;
  INT abcC;
} ABC;

PYRA_GDI_API HFONT CreateFontA(INT cHeight, INT cWidth, INT cEscapement, INT cOrientation,
                               INT cWeight, DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut,
                               DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                               DWORD iQuality, DWORD iPitchAndFamily, LPCSTR pszFaceName);
PYRA_GDI_API HFONT CreateFontW(INT cHeight, INT cWidth, INT cEscapement, INT cOrientation,
                               INT cWeight, DWORD bItalic, DWORD bUnderline, DWORD bStrikeOut,
                               DWORD iCharSet, DWORD iOutPrecision, DWORD iClipPrecision,
                               DWORD iQuality, DWORD iPitchAndFamily, LPCWSTR pszFaceName);
PYRA_GDI_API HFONT CreateFontIndirectA(const LOGFONTA* lplf);
PYRA_GDI_API HFONT CreateFontIndirectW(const LOGFONTW* lplf);

/* Metrics of the font selected into hdc, in the DC's logical units (the
 * stand-in maps logical units 1:1 onto pixels). A font created with
 * cHeight = -1000 has an em of 1000 units, so every value is in 1/1000 em. */
PYRA_GDI_API BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* lptm);
/* cbData 0 or lpotm NULL: returns the size needed (record plus names).
 * Returns 0 when the selected font is not an outline font. */
PYRA_GDI_API UINT GetOutlineTextMetricsA(HDC hdc, UINT cbData, OUTLINETEXTMETRICA* lpotm);
PYRA_GDI_API BOOL GetCharWidthA(HDC hdc, UINT iFirst, UINT iLast, INT* lpBuffer);
PYRA_GDI_API BOOL GetCharWidth32A(HDC hdc, UINT iFirst, UINT iLast, INT* lpBuffer);
PYRA_GDI_API BOOL GetCharWidthW(HDC hdc, UINT iFirst, UINT iLast, INT* lpBuffer);
PYRA_GDI_API BOOL GetCharWidth32W(HDC hdc, UINT iFirst, UINT iLast, INT* lpBuffer);
PYRA_GDI_API BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, INT c, SIZE* psizl);
PYRA_GDI_API BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, INT c, SIZE* psizl);
/* The face name of the selected logical font; returns the characters copied
 * without the terminator, or with lpName NULL the size needed. */
PYRA_GDI_API INT GetTextFaceA(HDC hdc, INT c, LPSTR lpName);
PYRA_GDI_API UINT GetTextCharset(HDC hdc);

/* Table tag as Windows passes it: the four tag bytes read as a
 * little-endian DWORD ('cmap' is 0x70616D63). 0 means the whole font file;
 * for a face of a collection that is a stand-alone font file built from the
 * face's own tables. PYRA_TTCF_TAG gives the whole collection file. */
#define PYRA_TTCF_TAG 0x66637474u
PYRA_GDI_API DWORD GetFontData(HDC hdc, DWORD dwTable, DWORD dwOffset, LPVOID pvBuffer,
                               DWORD cjBuffer);

/* Our own queries about how a logical font was resolved on this system. */
/* Copies the family of the face actually used (e.g. "Liberation Sans" for a
 * request of "Arial"); returns the length without the terminator, or with
 * buf NULL the size needed including it; 0 for a bad handle. */
PYRA_GDI_API INT pyraGetFontFamilyA(HFONT hfont, LPSTR buf, INT cb);
/* The file and face index behind the font; same size rules as above. */
PYRA_GDI_API INT pyraGetFontFileA(HFONT hfont, LPSTR buf, INT cb, INT* face_index);
/* 1 when the face used is neither the requested family nor a
 * metric-compatible stand-in for it (the font mapper fell back to another
 * face, as the Windows font mapper does for an unknown name); 0 when it is;
 * -1 for a bad handle or a font that could not be resolved at all. */
PYRA_GDI_API INT pyraFontIsSubstitute(HFONT hfont);
/* A logical font bound to a given font file rather than resolved by name
 * (fonts shipped with an application). The file is read when first used; a
 * file FreeType cannot open makes every metrics call on the font fail. */
PYRA_GDI_API HFONT pyraCreateFontFromFileA(LPCSTR path, INT face_index, const LOGFONTA* lplf);

/* ---- Code pages ------------------------------------------------------- */

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001
#define MB_PRECOMPOSED 0x00000001
#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define WC_ERR_INVALID_CHARS 0x00000080

/* The 8-bit code pages are 874, 932, 936, 949, 950, 1250-1258 (plus
 * CP_ACP = 1252 and CP_UTF8). cbMultiByte / cchWideChar of -1 means the
 * input is zero-terminated and the terminator is converted too. An output
 * size of 0 asks for the size needed. An unconvertible byte sequence
 * becomes U+FFFD (or fails with MB_ERR_INVALID_CHARS). */
PYRA_GDI_API INT MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr,
                                     INT cbMultiByte, LPWSTR lpWideCharStr, INT cchWideChar);
/* A character without a mapping becomes lpDefaultChar's first byte, or a
 * space when lpDefaultChar is NULL, and *lpUsedDefaultChar (when given) is
 * set to TRUE; no "best fit" look-alikes are substituted. */
PYRA_GDI_API INT WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr,
                                     INT cchWideChar, LPSTR lpMultiByteStr, INT cbMultiByte,
                                     LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar);
/* Whether the code page is one this library converts. */
PYRA_GDI_API BOOL IsValidCodePage(UINT CodePage);
PYRA_GDI_API UINT GetACP(void);

/* nNumber * nNumerator / nDenominator computed in 64 bits, rounded to the
 * nearest (halves away from zero); -1 when nDenominator is 0 or the result
 * does not fit. */
PYRA_GDI_API INT MulDiv(INT nNumber, INT nNumerator, INT nDenominator);

/* ---- Device contexts and objects --------------------------------------- */

#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define RASTERCAPS 38
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define TECHNOLOGY 2
#define DT_RASDISPLAY 1
#define DT_METAFILE 5
#define RC_BITBLT 1
#define RC_DI_BITMAP 0x0080
#define RC_DIBTODEV 0x0200
#define RC_STRETCHDIB 0x2000

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_METADC 4
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_METAFILE 9
#define OBJ_MEMDC 10
#define OBJ_EXTPEN 11
#define OBJ_ENHMETADC 12
#define OBJ_ENHMETAFILE 13

/* The screen (hWnd 0) context: 96 logical pixels per inch. Every GetDC must
 * be paired with ReleaseDC. */
PYRA_GDI_API HDC GetDC(HWND hWnd);
PYRA_GDI_API INT ReleaseDC(HWND hWnd, HDC hDC);
/* A memory context; hdc may be 0 (compatible with the screen). It starts
 * with a 1x1 monochrome bitmap selected. */
PYRA_GDI_API HDC CreateCompatibleDC(HDC hdc);
PYRA_GDI_API BOOL DeleteDC(HDC hdc);
PYRA_GDI_API INT GetDeviceCaps(HDC hdc, INT index);
/* Selects a font, pen, brush, bitmap or palette into the matching slot and
 * returns the handle previously there (a stock object's handle for the
 * default); 0 on failure. A bitmap is selectable only into a memory DC and
 * into one DC at a time. A region becomes the clipping region: the result is
 * the region type (SIMPLEREGION), or HGDI_ERROR. */
PYRA_GDI_API HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);
/* Deleting an object that is still selected into a device context is
 * refused (FALSE, the object stays valid): the DC would otherwise hold a dead
 * handle. Stock objects are never deleted (TRUE, nothing happens). */
PYRA_GDI_API BOOL DeleteObject(HGDIOBJ ho);
PYRA_GDI_API HGDIOBJ GetStockObject(INT i);
PYRA_GDI_API HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
PYRA_GDI_API DWORD GetObjectType(HGDIOBJ h);
/* Fonts give a LOGFONTA; bitmaps a BITMAP, or a DIBSECTION when the bitmap
 * is a DIB section and cbBuffer allows it. With pv NULL: the size needed.
 * 0 for a bad handle or a kind that has no description. */
PYRA_GDI_API INT GetObjectA(HGDIOBJ h, INT c, LPVOID pv);
PYRA_GDI_API INT GetObjectW(HGDIOBJ h, INT c, LPVOID pv);

/* ---- Bitmaps ----------------------------------------------------------- */

#define BI_RGB 0
#define BI_RLE8 1
#define BI_RLE4 2
#define BI_BITFIELDS 3
#define BI_JPEG 4
#define BI_PNG 5
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1

#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
  WORD bfType;
  DWORD bfSize;
  WORD bfReserved1;
  WORD bfReserved2;
  DWORD bfOffBits;
} BITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAPCOREHEADER {
  DWORD bcSize;
  WORD bcWidth;
  WORD bcHeight;
  WORD bcPlanes;
  WORD bcBitCount;
} BITMAPCOREHEADER;

typedef struct tagBITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
} BITMAPINFOHEADER;

typedef struct tagRGBQUAD {
  BYTE rgbBlue;
  BYTE rgbGreen;
  BYTE rgbRed;
  BYTE rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
} BITMAPINFO;

typedef struct tagBITMAP {
  LONG bmType;
  LONG bmWidth;
  LONG bmHeight;
  LONG bmWidthBytes;
  WORD bmPlanes;
  WORD bmBitsPixel;
  LPVOID bmBits;
} BITMAP;

typedef struct tagDIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3];
  HANDLE dshSection;
  DWORD dsOffset;
} DIBSECTION;

/* A device-dependent bitmap: rows top-down, each padded to 2 bytes, planes
 * x bits of 1, 4, 8, 16, 24 or 32. lpBits may be NULL (zeroed). */
PYRA_GDI_API HBITMAP CreateBitmap(INT nWidth, INT nHeight, UINT nPlanes, UINT nBitCount,
                                  const void* lpBits);
/* A bitmap of the DC's format: 32 bits per pixel for the screen, the format
 * of the selected bitmap for a memory DC. */
PYRA_GDI_API HBITMAP CreateCompatibleBitmap(HDC hdc, INT cx, INT cy);
/* A DIB section: *ppvBits receives the pixel buffer (rows aligned to 4
 * bytes, bottom-up unless biHeight is negative), owned by the bitmap until
 * DeleteObject. hSection must be 0. Formats: 1/4/8 bits with a colour
 * table, 16/32 with BI_RGB or BI_BITFIELDS, 24 with BI_RGB. */
PYRA_GDI_API HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits,
                                      HANDLE hSection, DWORD offset);
/* Copies cLines scan lines starting at start (counted from the bottom row)
 * into lpvBits in the format lpbmi asks for: 1, 4, 8, 16, 24 or 32 bits,
 * BI_RGB, rows aligned to 4 bytes, bottom-up unless biHeight is negative.
 * For 1 bit the caller's two colour-table entries are the target colours
 * (each pixel takes the nearer one; black and white when both are equal).
 * 4 and 8 bits need a palette source of at most that depth. With lpvBits
 * NULL and biBitCount 0 the header is filled in; with biBitCount set, only
 * biSizeImage. Returns the lines copied, 0 on failure. */
PYRA_GDI_API INT GetDIBits(HDC hdc, HBITMAP hbm, UINT start, UINT cLines, LPVOID lpvBits,
                           BITMAPINFO* lpbmi, UINT usage);

/* Loads a BMP file (BITMAPFILEHEADER followed by a core, info, V4 or V5
 * header; BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS) as a DIB section. Returns 0
 * for a missing, damaged or unsupported file. */
PYRA_GDI_API HBITMAP pyraLoadBitmapFileA(LPCSTR path);
/* The same from bytes in memory (with the file header). */
PYRA_GDI_API HBITMAP pyraLoadBitmapMemory(const void* data, SIZE_T size);

#define IMAGE_BITMAP 0
#define LR_DEFAULTCOLOR 0x0000
#define LR_LOADFROMFILE 0x0010
#define LR_CREATEDIBSECTION 0x2000
/* Only IMAGE_BITMAP with LR_LOADFROMFILE (hInst 0) is supported; the
 * result is a DIB section (cx, cy must be 0: no resampling). */
PYRA_GDI_API HANDLE LoadImageA(HANDLE hInst, LPCSTR name, UINT type, INT cx, INT cy, UINT fuLoad);

/* Largest bitmap the stand-in allocates, in bytes of pixel data. */
#define PYRA_MAX_BITMAP_BYTES (512u * 1024u * 1024u)

/* ---- Memory blocks ------------------------------------------------------ */

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

/* Blocks are addressed by handle; GlobalLock gives their address until the
 * matching GlobalUnlock (locks nest). GlobalFree of a locked block frees it
 * all the same, as Windows does; it returns 0 on success and hMem on
 * failure. 0 from GlobalAlloc means the allocation failed. */
PYRA_GDI_API HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
PYRA_GDI_API LPVOID GlobalLock(HGLOBAL hMem);
PYRA_GDI_API BOOL GlobalUnlock(HGLOBAL hMem);
PYRA_GDI_API HGLOBAL GlobalFree(HGLOBAL hMem);
PYRA_GDI_API SIZE_T GlobalSize(HGLOBAL hMem);

/* A diagnostic for a debugger; the stand-in discards it (no stderr output,
 * a library must not write to its host's streams). */
PYRA_GDI_API void OutputDebugStringA(LPCSTR lpOutputString);

#ifdef __cplusplus
}
#endif

#include "gdi_metafile.h"
#include "gdi_richedit.h"

#endif
