/* A small rich-text object standing in for the platform's rich-edit control:
 * it holds formatted text (loaded from RTF or plain text) and lays it out
 * page by page onto a device context through the format-range message.
 *
 * The object is addressed by a window-like handle (HWND) from the same
 * handle table as every GDI object; 0, a destroyed handle or a handle of
 * another kind makes every call fail with its documented failure result.
 * Messages and records keep the published numbers and field order; handles
 * inside records are our 32-bit handles, and the message parameters are
 * pointer-sized so that a record's address fits in an LPARAM. */
#ifndef PYRA_GDI_RICHEDIT_H
#define PYRA_GDI_RICHEDIT_H

#include <stddef.h>
#include <stdint.h>

#include "gdi_types.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;

#define WM_USER 0x0400
#define WM_SETTEXT 0x000C
#define WM_GETTEXTLENGTH 0x000E
#define EM_GETLIMITTEXT (WM_USER + 37)
#define EM_EXLIMITTEXT (WM_USER + 53)
#define EM_FORMATRANGE (WM_USER + 57)
#define EM_STREAMIN (WM_USER + 73)
#define EM_GETTEXTLENGTHEX (WM_USER + 95)

/* EM_STREAMIN formats (WPARAM). SFF_SELECTION is accepted; the object has
 * no selection, so the stream always replaces the whole text. */
#define SF_TEXT 0x0001
#define SF_RTF 0x0002
#define SF_UNICODE 0x0010
#define SFF_SELECTION 0x8000

/* EM_GETTEXTLENGTHEX flags. */
#define GTL_DEFAULT 0
#define GTL_USECRLF 1
#define GTL_PRECISE 2
#define GTL_CLOSE 4
#define GTL_NUMCHARS 8
#define GTL_NUMBYTES 16
#define PYRA_E_INVALIDARG ((LRESULT)(int32_t)0x80070057)

/* Character positions: paragraphs end in one CR (0x0D) each, a manual line
 * break is 0x0B, a page break 0x0C, a tab 0x09; other characters are UTF-16
 * code units. WM_GETTEXTLENGTH counts in these positions, so its result is
 * the position EM_FORMATRANGE returns once everything has been laid out. */
typedef struct _charrange {
  LONG cpMin;
  LONG cpMax; /* -1: to the end of the text */
} CHARRANGE;

/* rc and rcPage are in twips (1/1440 inch) on the target device. */
typedef struct _formatrange {
  HDC hdc;       /* where the text is drawn */
  HDC hdcTarget; /* what it is measured for; 0 means hdc */
  RECT rc;       /* the area to fill */
  RECT rcPage;   /* the whole page (not needed for layout) */
  CHARRANGE chrg;
} FORMATRANGE;

typedef struct _gettextlengthex {
  DWORD flags;
  UINT codepage; /* for GTL_NUMBYTES: 1200 = UTF-16, else an 8-bit code page */
} GETTEXTLENGTHEX;

/* Fills buffer with up to cb bytes and stores the count in *pcb; a count of
 * 0 ends the stream, a non-zero result is an error (kept in dwError). */
typedef DWORD (*EDITSTREAMCALLBACK)(uintptr_t dwCookie, BYTE* pbBuff, LONG cb, LONG* pcb);
typedef struct _editstream {
  uintptr_t dwCookie;
  DWORD dwError;
  EDITSTREAMCALLBACK pfnCallback;
} EDITSTREAM;

/* Largest RTF or plain text the object takes, in bytes; larger input is
 * refused and leaves the text as it was. */
#define PYRA_RICHEDIT_MAX_INPUT (64u * 1024u * 1024u)

/* A new, empty rich-text object; 0 when the handle table is full. */
PYRA_GDI_API HWND pyraCreateRichEdit(void);
/* Destroys a rich-text object made by pyraCreateRichEdit. */
PYRA_GDI_API BOOL DestroyWindow(HWND hWnd);
/* Replaces the text. SetWindowTextA takes text in the ANSI code page (1252),
 * or RTF when the text starts with "{\rtf"; SetWindowTextW takes plain
 * UTF-16 text. In plain text CR LF, LF and CR each end a paragraph. A null
 * text empties the object. */
PYRA_GDI_API BOOL SetWindowTextA(HWND hWnd, const char* lpString);
PYRA_GDI_API BOOL SetWindowTextW(HWND hWnd, const WCHAR* lpString);
/* Replaces the text with the RTF document in rtf[0..len). Damaged RTF is
 * read as far as it makes sense (unbalanced braces, unknown control words
 * and destinations are tolerated); bytes that do not start with "{\rtf" are
 * taken as plain text in code page 1252. FALSE for a bad handle, a null rtf
 * with len > 0, or input above PYRA_RICHEDIT_MAX_INPUT. */
PYRA_GDI_API BOOL pyraRichEditSetRtf(HWND hWnd, const char* rtf, size_t len);

/* Messages:
 *   WM_SETTEXT         lParam: const char* as SetWindowTextA          -> TRUE/FALSE
 *   WM_GETTEXTLENGTH   -> number of character positions
 *   EM_GETTEXTLENGTHEX lParam: const GETTEXTLENGTHEX*  -> count, PYRA_E_INVALIDARG
 *                      for GTL_NUMCHARS together with GTL_NUMBYTES
 *   EM_EXLIMITTEXT     lParam: limit (0 = 65536)  -> 0. The limit is reported
 *                      by EM_GETLIMITTEXT; text loaded by a program is never
 *                      cut to it (it only bounds typing in a real control).
 *   EM_STREAMIN        wParam: SF_RTF or SF_TEXT (| SF_UNICODE), lParam:
 *                      EDITSTREAM* -> character positions loaded
 *   EM_FORMATRANGE     wParam: non-zero = draw, 0 = measure only; lParam:
 *                      const FORMATRANGE*, or 0 to drop cached measurements (-> 0).
 *                      Lays out chrg into rc, stopping at its bottom or at a
 *                      page break, and returns the first position not laid
 *                      out (chrg's end when everything fitted). At least one
 *                      line is always taken, so repeated calls make progress.
 *                      Measures for hdcTarget's logical pixels per inch and
 *                      draws in hdc's device pixels (scaled when the two
 *                      resolutions differ): the call sets MM_TEXT, a
 *                      transparent background and top-left text alignment
 *                      inside SaveDC/RestoreDC, so hdc comes back as it was.
 *                      Each run is one ExtTextOutW with its advances, in a
 *                      font made from the run's format (underline through
 *                      the font) and its colour. Measurements are kept
 *                      between calls until the text changes or this
 *                      message comes with lParam 0.
 *                      -1 for a bad record: no device context, an empty
 *                      rectangle, cpMin beyond cpMax. The record is not
 *                      written to.
 * Other messages return 0. */
PYRA_GDI_API LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
/* As SendMessageA; WM_SETTEXT takes a const WCHAR* (as SetWindowTextW). */
PYRA_GDI_API LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

#ifdef __cplusplus
}
#endif

#endif
