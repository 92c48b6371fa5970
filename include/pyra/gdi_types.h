/* Basic vocabulary of the platform stand-in: integer types, handles and the
 * small geometric records, laid out as the published Windows GDI
 * documentation describes them (little-endian, natural alignment). */
#ifndef PYRA_GDI_TYPES_H
#define PYRA_GDI_TYPES_H

#include <stdint.h>

#if defined(__GNUC__)
#define PYRA_GDI_API __attribute__((visibility("default")))
#else
#define PYRA_GDI_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int32_t BOOL;
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t UINT;
typedef int32_t INT;
typedef uint32_t COLORREF; /* 0x00BBGGRR */
typedef uint16_t WCHAR;    /* one UTF-16 code unit */

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

/* Handles are 32-bit identifiers looked up in a process-wide table; 0 is
 * never a valid handle. They are not pointers and cannot be forged into
 * memory access. */
typedef uint32_t HGDIOBJ;
typedef uint32_t HDC;
typedef uint32_t HFONT;
typedef uint32_t HPEN;
typedef uint32_t HBRUSH;
typedef uint32_t HBITMAP;
typedef uint32_t HRGN;
typedef uint32_t HPALETTE;
typedef uint32_t HENHMETAFILE;
typedef uint32_t HMETAFILE;
typedef uint32_t HGLOBAL;
typedef uint32_t HWND;

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)((c) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))

typedef struct tagRECT { LONG left, top, right, bottom; } RECT;
typedef RECT RECTL;
typedef struct tagPOINT { LONG x, y; } POINT;
typedef POINT POINTL;
typedef struct tagPOINTS { int16_t x, y; } POINTS;
typedef struct tagSIZE { LONG cx, cy; } SIZE;
typedef SIZE SIZEL;
typedef struct tagXFORM { float eM11, eM12, eM21, eM22, eDx, eDy; } XFORM;

#ifdef __cplusplus
}
#endif

#endif
