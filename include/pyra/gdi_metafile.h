/* Metafiles in libpyragdi: enhanced metafiles (EMF) and Windows metafiles
 * (WMF) loaded from files or memory, converted from WMF to EMF, and recorded
 * through device contexts; pens, brushes and rectangular regions; the
 * drawing calls that record into those device contexts.
 *
 * Handles are 32-bit identifiers (gdi_types.h). Every call checks its
 * input: a damaged metafile, a wrong size or a handle of the wrong kind
 * gives the documented failure result (0, FALSE or GDI_ERROR-like) and
 * never reads outside the bytes given. The caller owns every handle it
 * receives and releases it with the matching Delete call. Drawing calls on a
 * device context that does not record do nothing and report success. */
#ifndef PYRA_GDI_METAFILE_H
#define PYRA_GDI_METAFILE_H

#include <stdint.h>

#include "gdi_types.h"

#ifdef __cplusplus
extern "C" {
#endif

struct tagBITMAPINFO;

/* ---- records of the formats ---- */

typedef struct tagENHMETAHEADER {
  DWORD iType; /* 1 */
  DWORD nSize;
  RECTL rclBounds; /* device units, inclusive */
  RECTL rclFrame;  /* .01 mm, inclusive */
  DWORD dSignature; /* 0x464D4520 */
  DWORD nVersion;
  DWORD nBytes;
  DWORD nRecords;
  WORD nHandles;
  WORD sReserved;
  DWORD nDescription;
  DWORD offDescription;
  DWORD nPalEntries;
  SIZEL szlDevice;      /* reference device, pixels */
  SIZEL szlMillimeters; /* reference device, mm */
  DWORD cbPixelFormat;
  DWORD offPixelFormat;
  DWORD bOpenGL;
  SIZEL szlMicrometers;
} ENHMETAHEADER;

typedef struct tagENHMETARECORD {
  DWORD iType;
  DWORD nSize; /* bytes, a multiple of 4 */
  DWORD dParm[1];
} ENHMETARECORD;

#pragma pack(push, 2)
typedef struct tagMETAHEADER {
  WORD mtType;
  WORD mtHeaderSize; /* WORDs: 9 */
  WORD mtVersion;
  DWORD mtSize; /* WORDs */
  WORD mtNoObjects;
  DWORD mtMaxRecord;
  WORD mtNoParameters;
} METAHEADER;

/* The 22-byte header of a placeable Windows metafile file. */
typedef struct tagPLACEABLEMETAHEADER {
  DWORD key; /* 0x9AC6CDD7 */
  WORD hmf;
  int16_t left, top, right, bottom; /* metafile units */
  WORD inch;                        /* metafile units per inch */
  DWORD reserved;
  WORD checksum; /* XOR of the 10 WORDs before it */
} PLACEABLEMETAHEADER;
#pragma pack(pop)

typedef struct tagMETAFILEPICT {
  LONG mm;
  LONG xExt;
  LONG yExt;
  HMETAFILE hMF;
} METAFILEPICT;

typedef struct tagLOGPEN {
  UINT lopnStyle;
  POINT lopnWidth; /* x is the width */
  COLORREF lopnColor;
} LOGPEN;

typedef struct tagLOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  uintptr_t lbHatch;
} LOGBRUSH;

typedef intptr_t PYRA_LPARAM;

#define PYRA_PLACEABLE_KEY 0x9AC6CDD7u
#define ENHMETA_SIGNATURE 0x464D4520u
#define EMR_HEADER 1
#define EMR_EOF 14
#define EMR_GDICOMMENT 70

/* map modes */
#define MM_TEXT 1
#define MM_LOMETRIC 2
#define MM_HIMETRIC 3
#define MM_LOENGLISH 4
#define MM_HIENGLISH 5
#define MM_TWIPS 6
#define MM_ISOTROPIC 7
#define MM_ANISOTROPIC 8
/* graphics modes, world transform */
#define GM_COMPATIBLE 1
#define GM_ADVANCED 2
#define MWT_IDENTITY 1
#define MWT_LEFTMULTIPLY 2
#define MWT_RIGHTMULTIPLY 3
/* background, fill, raster, stretch modes */
#define TRANSPARENT 1
#define OPAQUE 2
#define ALTERNATE 1
#define WINDING 2
#define R2_BLACK 1
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_COPYPEN 13
#define R2_WHITE 16
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
/* text alignment */
#define TA_NOUPDATECP 0
#define TA_UPDATECP 1
#define TA_LEFT 0
#define TA_RIGHT 2
#define TA_CENTER 6
#define TA_TOP 0
#define TA_BOTTOM 8
#define TA_BASELINE 24
/* ExtTextOut options */
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
#define ETO_GLYPH_INDEX 0x0010
#define ETO_PDY 0x2000
/* pens */
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define PS_USERSTYLE 7
#define PS_ALTERNATE 8
#define PS_STYLE_MASK 0x0000000F
#define PS_ENDCAP_ROUND 0x00000000
#define PS_ENDCAP_SQUARE 0x00000100
#define PS_ENDCAP_FLAT 0x00000200
#define PS_ENDCAP_MASK 0x00000F00
#define PS_JOIN_ROUND 0x00000000
#define PS_JOIN_BEVEL 0x00001000
#define PS_JOIN_MITER 0x00002000
#define PS_JOIN_MASK 0x0000F000
#define PS_COSMETIC 0x00000000
#define PS_GEOMETRIC 0x00010000
#define PS_TYPE_MASK 0x000F0000
/* brushes */
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL
#define BS_HATCHED 2
#define BS_PATTERN 3
#define BS_DIBPATTERN 5
#define BS_DIBPATTERNPT 6
#define HS_HORIZONTAL 0
#define HS_VERTICAL 1
#define HS_FDIAGONAL 2
#define HS_BDIAGONAL 3
#define HS_CROSS 4
#define HS_DIAGCROSS 5
/* regions */
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define RGN_ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
/* raster operations */
#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define PATCOPY 0x00F00021u
#define PATINVERT 0x005A0049u
#define DSTINVERT 0x00550009u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u
#ifndef DIB_RGB_COLORS
#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1
#endif

/* ---- enhanced metafiles ---- */

/* Loads and validates an EMF file (or bytes); 0 when it is not a valid
 * enhanced metafile. */
PYRA_GDI_API HENHMETAFILE GetEnhMetaFileA(const char* file_name);
PYRA_GDI_API HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data);
/* Copies at most size bytes; with data null returns the size needed. */
PYRA_GDI_API UINT GetEnhMetaFileBits(HENHMETAFILE emf, UINT size, BYTE* data);
/* With header null returns sizeof(ENHMETAHEADER); copies at most size
 * bytes of the header (missing extension fields read as 0). */
PYRA_GDI_API UINT GetEnhMetaFileHeader(HENHMETAFILE emf, UINT size, ENHMETAHEADER* header);
/* A copy in memory (file_name null) or written to a file. */
PYRA_GDI_API HENHMETAFILE CopyEnhMetaFileA(HENHMETAFILE emf, const char* file_name);
PYRA_GDI_API BOOL DeleteEnhMetaFile(HENHMETAFILE emf);

/* Calls proc for every record, header and EOF included, in order; stops
 * when proc returns 0 (result FALSE). The handle table pointer passed to
 * proc is always null; hdc and rect are passed through unused. */
typedef int (*ENHMFENUMPROC)(HDC hdc, void* handle_table, const ENHMETARECORD* record, int handles,
                             PYRA_LPARAM data);
PYRA_GDI_API BOOL EnumEnhMetaFile(HDC hdc, HENHMETAFILE emf, ENHMFENUMPROC proc, void* data, const RECT* rect);

/* ---- Windows metafiles ---- */

/* Loads a WMF file; a placeable file (key 0x9AC6CDD7) is accepted too and
 * its header kept (PyraGetPlaceableHeader). 0 when it is not valid. */
PYRA_GDI_API HMETAFILE GetMetaFileA(const char* file_name);
PYRA_GDI_API HMETAFILE SetMetaFileBitsEx(UINT size, const BYTE* data);
/* The plain metafile bytes (without a placeable header); with data null
 * returns the size needed. */
PYRA_GDI_API UINT GetMetaFileBitsEx(HMETAFILE wmf, UINT size, void* data);
PYRA_GDI_API BOOL DeleteMetaFile(HMETAFILE wmf);

/* Converts WMF bytes to an enhanced metafile: MM_ANISOTROPIC with the
 * window of the WMF and a frame of pict's extents (.01 mm) when given,
 * else of the placeable header's box, else of the window at the reference
 * DC's resolution (96 dpi without one). */
PYRA_GDI_API HENHMETAFILE SetWinMetaFileBits(UINT size, const BYTE* data, HDC reference, const METAFILEPICT* pict);

/* Reads the 22-byte placeable header of a file; FALSE when the file is
 * shorter or does not start with the key. checksum_ok (may be null)
 * receives whether the checksum matches. */
PYRA_GDI_API BOOL PyraReadPlaceableHeader(const char* file_name, PLACEABLEMETAHEADER* header, BOOL* checksum_ok);
/* The placeable header a metafile was loaded with; FALSE when none. */
PYRA_GDI_API BOOL PyraGetPlaceableHeader(HMETAFILE wmf, PLACEABLEMETAHEADER* header);
/* Writes wmf as a placeable file with the box (metafile units) and units
 * per inch given; the checksum is computed. */
PYRA_GDI_API BOOL PyraWritePlaceableMetaFile(HMETAFILE wmf, const char* file_name, const RECT* box, WORD inch);

/* ---- recording device contexts ---- */

/* frame: picture size in .01 mm (null: the drawing's bounds); reference:
 * the DC whose resolution and size describe the device (0: a 96 dpi A4
 * page); description: "application\0title\0\0" or null. */
PYRA_GDI_API HDC CreateEnhMetaFileA(HDC reference, const char* file_name, const RECT* frame, const char* description);
/* Ends the recording, releases the DC and returns the metafile (also
 * written to the file named at creation); 0 on failure. */
PYRA_GDI_API HENHMETAFILE CloseEnhMetaFile(HDC hdc);
PYRA_GDI_API HDC CreateMetaFileA(const char* file_name);
PYRA_GDI_API HMETAFILE CloseMetaFile(HDC hdc);

/* ---- pens, brushes, regions ---- */
PYRA_GDI_API HPEN CreatePen(INT style, INT width, COLORREF color);
PYRA_GDI_API HPEN CreatePenIndirect(const LOGPEN* pen);
PYRA_GDI_API HPEN ExtCreatePen(DWORD style, DWORD width, const LOGBRUSH* brush, DWORD style_count, const DWORD* styles);
PYRA_GDI_API HBRUSH CreateSolidBrush(COLORREF color);
PYRA_GDI_API HBRUSH CreateHatchBrush(INT hatch, COLORREF color);
PYRA_GDI_API HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);
PYRA_GDI_API HRGN CreateRectRgn(INT left, INT top, INT right, INT bottom);
PYRA_GDI_API HRGN CreateRectRgnIndirect(const RECT* rect);

/* ---- drawing calls (recorded by metafile DCs) ---- */
PYRA_GDI_API BOOL MoveToEx(HDC hdc, INT x, INT y, POINT* previous);
PYRA_GDI_API BOOL LineTo(HDC hdc, INT x, INT y);
PYRA_GDI_API BOOL Polyline(HDC hdc, const POINT* points, INT count);
PYRA_GDI_API BOOL PolylineTo(HDC hdc, const POINT* points, DWORD count);
PYRA_GDI_API BOOL Polygon(HDC hdc, const POINT* points, INT count);
PYRA_GDI_API BOOL PolyPolygon(HDC hdc, const POINT* points, const INT* counts, INT polygons);
PYRA_GDI_API BOOL PolyPolyline(HDC hdc, const POINT* points, const DWORD* counts, DWORD polylines);
PYRA_GDI_API BOOL PolyBezier(HDC hdc, const POINT* points, DWORD count);
PYRA_GDI_API BOOL PolyBezierTo(HDC hdc, const POINT* points, DWORD count);
PYRA_GDI_API BOOL Rectangle(HDC hdc, INT left, INT top, INT right, INT bottom);
PYRA_GDI_API BOOL RoundRect(HDC hdc, INT left, INT top, INT right, INT bottom, INT width, INT height);
PYRA_GDI_API BOOL Ellipse(HDC hdc, INT left, INT top, INT right, INT bottom);
PYRA_GDI_API BOOL Arc(HDC hdc, INT l, INT t, INT r, INT b, INT xs, INT ys, INT xe, INT ye);
PYRA_GDI_API BOOL ArcTo(HDC hdc, INT l, INT t, INT r, INT b, INT xs, INT ys, INT xe, INT ye);
PYRA_GDI_API BOOL Chord(HDC hdc, INT l, INT t, INT r, INT b, INT xs, INT ys, INT xe, INT ye);
PYRA_GDI_API BOOL Pie(HDC hdc, INT l, INT t, INT r, INT b, INT xs, INT ys, INT xe, INT ye);
PYRA_GDI_API BOOL BeginPath(HDC hdc);
PYRA_GDI_API BOOL EndPath(HDC hdc);
PYRA_GDI_API BOOL AbortPath(HDC hdc);
PYRA_GDI_API BOOL CloseFigure(HDC hdc);
PYRA_GDI_API BOOL FillPath(HDC hdc);
PYRA_GDI_API BOOL StrokePath(HDC hdc);
PYRA_GDI_API BOOL StrokeAndFillPath(HDC hdc);
PYRA_GDI_API BOOL SelectClipPath(HDC hdc, INT mode);
/* Clip calls return the region kind (SIMPLEREGION) or RGN_ERROR. */
PYRA_GDI_API INT IntersectClipRect(HDC hdc, INT left, INT top, INT right, INT bottom);
PYRA_GDI_API INT ExcludeClipRect(HDC hdc, INT left, INT top, INT right, INT bottom);
PYRA_GDI_API INT ExtSelectClipRgn(HDC hdc, HRGN region, INT mode);
PYRA_GDI_API INT SelectClipRgn(HDC hdc, HRGN region);
/* 0 on failure, else a positive save level. */
PYRA_GDI_API INT SaveDC(HDC hdc);
PYRA_GDI_API BOOL RestoreDC(HDC hdc, INT saved);
PYRA_GDI_API INT SetMapMode(HDC hdc, INT mode);
PYRA_GDI_API INT GetMapMode(HDC hdc);
PYRA_GDI_API BOOL SetWindowOrgEx(HDC hdc, INT x, INT y, POINT* previous);
PYRA_GDI_API BOOL SetWindowExtEx(HDC hdc, INT x, INT y, SIZE* previous);
PYRA_GDI_API BOOL SetViewportOrgEx(HDC hdc, INT x, INT y, POINT* previous);
PYRA_GDI_API BOOL SetViewportExtEx(HDC hdc, INT x, INT y, SIZE* previous);
PYRA_GDI_API INT SetGraphicsMode(HDC hdc, INT mode);
PYRA_GDI_API BOOL SetWorldTransform(HDC hdc, const XFORM* xform);
PYRA_GDI_API BOOL ModifyWorldTransform(HDC hdc, const XFORM* xform, DWORD mode);
/* Previous value, CLR_INVALID-like 0xFFFFFFFF / 0 on failure. */
PYRA_GDI_API COLORREF SetTextColor(HDC hdc, COLORREF color);
PYRA_GDI_API COLORREF SetBkColor(HDC hdc, COLORREF color);
PYRA_GDI_API INT SetBkMode(HDC hdc, INT mode);
PYRA_GDI_API UINT SetTextAlign(HDC hdc, UINT align);
PYRA_GDI_API INT SetPolyFillMode(HDC hdc, INT mode);
PYRA_GDI_API INT SetROP2(HDC hdc, INT mode);
PYRA_GDI_API INT SetStretchBltMode(HDC hdc, INT mode);
PYRA_GDI_API INT SetTextCharacterExtra(HDC hdc, INT extra);
PYRA_GDI_API BOOL TextOutA(HDC hdc, INT x, INT y, const char* text, INT count);
PYRA_GDI_API BOOL TextOutW(HDC hdc, INT x, INT y, const WCHAR* text, INT count);
PYRA_GDI_API BOOL ExtTextOutA(HDC hdc, INT x, INT y, UINT options, const RECT* rect, const char* text, UINT count,
                              const INT* dx);
PYRA_GDI_API BOOL ExtTextOutW(HDC hdc, INT x, INT y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                              const INT* dx);
/* Returns the number of scan lines drawn (the source height), 0 on failure. */
PYRA_GDI_API INT StretchDIBits(HDC hdc, INT x, INT y, INT cx, INT cy, INT src_x, INT src_y, INT src_cx, INT src_cy,
                               const void* bits, const struct tagBITMAPINFO* info, UINT usage, DWORD rop);
PYRA_GDI_API BOOL BitBlt(HDC hdc, INT x, INT y, INT cx, INT cy, HDC source, INT src_x, INT src_y, DWORD rop);
PYRA_GDI_API BOOL StretchBlt(HDC hdc, INT x, INT y, INT cx, INT cy, HDC source, INT src_x, INT src_y, INT src_cx,
                             INT src_cy, DWORD rop);
PYRA_GDI_API BOOL PatBlt(HDC hdc, INT x, INT y, INT cx, INT cy, DWORD rop);
/* Returns nonzero on success. */
PYRA_GDI_API INT FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
PYRA_GDI_API BOOL GdiComment(HDC hdc, UINT size, const BYTE* data);

#ifdef __cplusplus
}
#endif

#endif
