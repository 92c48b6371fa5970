/* pyractl: a PDF engine that turns printed pages (enhanced metafiles,
 * Windows metafiles, or drawing calls) into PDF files.
 *
 * Every function takes the environment identifier returned by
 * PYRA_Initialize / PYRA_InitializeEx first. An unknown or finalised
 * identifier makes a call do nothing and return its failure value (0 or
 * null). Texts are zero-terminated 8-bit strings; a null text counts as
 * empty. Integers are 32-bit signed. Problems are reported through the
 * ONERROR callback with the codes PYRA_ERR_*; no function throws and none
 * writes to a console or log.
 *
 * Threads: different environments may be used from different threads at
 * once; one environment must be used by one thread at a time. Callbacks run
 * synchronously on the calling thread, inside the call that caused them.
 *
 * Ownership: the host owns the options record (read during the call), every
 * text it passes (read during the call) and every metafile and bitmap handle
 * it passes. The engine owns the device context returned by PYRA_DC; it is
 * valid until the page or watermark ends. */
#ifndef PYRA_PYRACTL_H
#define PYRA_PYRACTL_H

#include <stdint.h>

#if defined(__GNUC__)
#define PYRA_API __attribute__((visibility("default")))
#else
#define PYRA_API
#endif

#ifdef __cplusplus
extern "C" {
#define PYRA_NOEXCEPT noexcept
#else
#define PYRA_NOEXCEPT
#endif

/* Handles of the platform layer (see pyra/gdi.h): 32-bit identifiers. */
typedef uint32_t PYRA_HDC;
typedef uint32_t PYRA_HBITMAP;
typedef uint32_t PYRA_HMETAFILE; /* an enhanced or an old-style metafile */
typedef uint32_t PYRA_HWND;

/* Every callback has this shape; the result is ignored.
 *   env:    the environment identifier
 *   code:   message or error code (for ONSTREAMWRITE: the byte count)
 *   data:   a zero-terminated text unless the code says otherwise
 *   length: the text's length (for messages 26 and 27: the page number) */
typedef void (*PyraCallback)(int32_t env, int32_t code, const void* data, int32_t length);

/* The options record, read once by PYRA_InitializeEx. Packed, little-endian,
 * fields in this order. In a 32-bit build the code-pointer fields are 4 bytes
 * and the record is 2056 bytes; in a 64-bit build they are 8 bytes wide and
 * the record is 2080 bytes. SIZEOFSTRUCT must hold PYRA_OPTIONS_SIZE, which
 * is always sizeof(PyraOptions). */
#pragma pack(push, 1)
typedef struct PyraOptions {
  int32_t SIZEOFSTRUCT;
  int32_t ENCODING;        /* 0 none, 1 ASCII base-85, 2 hexadecimal */
  int32_t COMPRESSION;     /* 0 none, 1 Flate level 6, 2 run-length, 3 Flate level 1 */
  int32_t BITCOMPRESSION;  /* not read */
  int32_t THUMBNAILS;      /* 0 none, non-zero colour thumbnails, 2 monochrome */
  int32_t FONTMODE;
  int32_t PAGEMODE;        /* 0 none, 1 outlines, 2 thumbnails, 3 full screen */
  int32_t INPUTFILEMODE;
  int32_t JPEGCOMPRESS;    /* 0 off; -q quality q; 1..4 -> 10,25,50,75; other -> 100 */
  int32_t ENHANCEDOPTIONS; /* PYRA_EO_* bits */
  int32_t PDFXRES;         /* units per inch, 0 -> 72 */
  int32_t PDFYRES;
  int32_t PDFWIDTH;        /* default page size in units, 0 -> 576 x 800 */
  int32_t PDFHEIGHT;
  char INPUTPDFFILE[128];
  PyraCallback ONSTREAMOPEN;
  PyraCallback ONSTREAMWRITE;
  PyraCallback ONSTREAMCLOSE;
  PyraCallback ONERROR;
  PyraCallback ONMESSAGE;
  char MAILMERGESTART[8];
  PyraCallback ONGETTEXT;
  int32_t PERMISSION;
  char USERPASSWORD[20];
  char OWNERPASSWORD[20];
  char DATE[256];
  char MODDATE[256];
  char AUTHOR[256];
  char PRODUCER[256];
  char TITLE[256];
  char SUBJECT[256];
  char KEYWORDS[256];
  int32_t RESERVED;
} PyraOptions;
#pragma pack(pop)

#define PYRA_OPTIONS_SIZE ((int32_t)sizeof(PyraOptions))
#define PYRA_OPTIONS_SIZE_32BIT 2056

#ifdef __cplusplus
static_assert(sizeof(void*) != 8 || sizeof(PyraOptions) == 2080, "64-bit PyraOptions is 2080 bytes");
static_assert(sizeof(void*) != 4 || sizeof(PyraOptions) == 2056, "32-bit PyraOptions is 2056 bytes");
#endif

/* ENHANCEDOPTIONS bits. */
#define PYRA_EO_NO_SPACING        0x0001
#define PYRA_EO_CLIPPING          0x0002
#define PYRA_EO_SECOND_BYTE_BIT0  0x0004 /* set: clears bit 0 of the second option byte */
#define PYRA_EO_NO_AUTO_LINK      PYRA_EO_SECOND_BYTE_BIT0 /* text that is a web address is not linked */
#define PYRA_EO_NO_PRINTER_REF    0x0008
#define PYRA_EO_CHAR_POSITIONS    0x0010
#define PYRA_EO_FILL_AS_OUTLINE   0x0020
#define PYRA_EO_SKIP_WHITE_FILL   0x0040
#define PYRA_EO_IGNORE_PATBLT     0x0080
#define PYRA_EO_NO_TEXT_CLIP      0x0100
#define PYRA_EO_RESET_MATRIX      0x0200
#define PYRA_EO_NO_BITMAP_CROP    0x0400

/* Callback slots of PYRA_SetCallback. */
#define PYRA_CB_STREAMOPEN  1
#define PYRA_CB_STREAMWRITE 2
#define PYRA_CB_STREAMCLOSE 3
#define PYRA_CB_ERROR       4
#define PYRA_CB_MESSAGE     5
#define PYRA_CB_GETTEXT     6

/* ONMESSAGE codes. */
#define PYRA_MSG_OPENING        1  /* file name, its length */
#define PYRA_MSG_FINISHED       2  /* device file name, its length */
#define PYRA_MSG_FONT_EMBEDDED  3  /* font name, its length */
#define PYRA_MSG_IMPORTED       4  /* input file name, number of imported pages */
#define PYRA_MSG_BEGUN          24 /* file name, its length */
#define PYRA_MSG_ENDING         25 /* device file name, its length */
#define PYRA_MSG_PAGE_STARTED   26 /* page number as text, page number */
#define PYRA_MSG_PAGE_ENDING    27 /* page number as text, page number */

/* ONERROR codes. */
#define PYRA_ERR_BOOKMARK_NOT_FOUND  1
#define PYRA_ERR_INVALID_BITMAP      2
#define PYRA_ERR_CANNOT_OPEN_FILE    3
#define PYRA_ERR_METAFILE            4
#define PYRA_ERR_IMPORT              6
#define PYRA_ERR_PAGE_NOT_STARTED    7
#define PYRA_ERR_PAGE_ALREADY_STARTED 8
#define PYRA_ERR_INTERNAL            9  /* "internal error " + detail */
#define PYRA_ERR_NO_DOCUMENT         10
#define PYRA_ERR_NO_PAGE             11
#define PYRA_ERR_NO_STREAMWRITE      12
#define PYRA_ERR_DECORATION_FILE     13
#define PYRA_ERR_DECORATION_IMAGE    14

/* Environments (lifecycle). */
PYRA_API int32_t PYRA_Initialize(void) PYRA_NOEXCEPT;
/* Returns -1 when options->SIZEOFSTRUCT is not PYRA_OPTIONS_SIZE. */
PYRA_API int32_t PYRA_InitializeEx(const PyraOptions* options) PYRA_NOEXCEPT;
PYRA_API void PYRA_Finalize(int32_t env) PYRA_NOEXCEPT;
PYRA_API void PYRA_FinalizeAll(void) PYRA_NOEXCEPT;
PYRA_API void PYRA_SetResult(int32_t env, int32_t kind, const void* data, int32_t length) PYRA_NOEXCEPT;

/* Documents and pages. */
PYRA_API int32_t PYRA_BeginDoc(int32_t env, const char* file_name, int32_t to_stream) PYRA_NOEXCEPT;
PYRA_API void PYRA_EndDoc(int32_t env) PYRA_NOEXCEPT;
PYRA_API void PYRA_StartPage(int32_t env) PYRA_NOEXCEPT;
PYRA_API void PYRA_StartPageEx(int32_t env, int32_t width, int32_t height, int32_t rotation) PYRA_NOEXCEPT;
PYRA_API void PYRA_EndPage(int32_t env) PYRA_NOEXCEPT;
PYRA_API void PYRA_StartWatermark(int32_t env, const char* name) PYRA_NOEXCEPT;
PYRA_API void PYRA_StartWatermarkEx(int32_t env, const char* name, int32_t width, int32_t height) PYRA_NOEXCEPT;
PYRA_API void PYRA_EndWatermark(int32_t env) PYRA_NOEXCEPT;
PYRA_API void PYRA_DrawWatermark(int32_t env, const char* name, int32_t mode) PYRA_NOEXCEPT;

/* Drawing. */
PYRA_API PYRA_HDC PYRA_DC(int32_t env) PYRA_NOEXCEPT;
PYRA_API void PYRA_DrawMetafile(int32_t env, PYRA_HMETAFILE metafile, int32_t x, int32_t y,
                                int32_t width, int32_t height) PYRA_NOEXCEPT;
PYRA_API void PYRA_DrawMetafileEx(int32_t env, PYRA_HMETAFILE metafile, int32_t x, int32_t y,
                                  int32_t width, int32_t height, int32_t xres, int32_t yres) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_DrawDIB(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                              const void* bitmap_info, const void* bits) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_DrawBMP(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                              PYRA_HBITMAP bitmap) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_DrawJPEG(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                               int32_t image_width, int32_t image_height, const void* data,
                               int32_t size) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_DrawBitmapFile(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                                     const char* file_name) PYRA_NOEXCEPT;
PYRA_API void PYRA_DrawBitmapClone(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                                   int32_t image) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_TextOut(int32_t env, int32_t x, int32_t y, const char* text) PYRA_NOEXCEPT;
/* Returns a pointer into `text`: its terminating 0 when everything was
 * output, the character after a form feed, or the first character that did
 * not fit; null when nothing was done. */
PYRA_API const char* PYRA_TextRect(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                                   const char* text, int32_t alignment) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_MoveTo(int32_t env, int32_t x, int32_t y) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_LineTo(int32_t env, int32_t x, int32_t y) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_Rectangle(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height) PYRA_NOEXCEPT;
PYRA_API void PYRA_Hyperlink(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                             const char* target) PYRA_NOEXCEPT;
PYRA_API void PYRA_Bookmark(int32_t env, int32_t x, int32_t y, const char* name) PYRA_NOEXCEPT;
PYRA_API void PYRA_Outline(int32_t env, int32_t level, int32_t x, int32_t y, const char* name,
                           const char* caption) PYRA_NOEXCEPT;
PYRA_API void PYRA_SetTextDefaultAttr(int32_t env, const char* font_name, int32_t size) PYRA_NOEXCEPT;
PYRA_API void PYRA_SetTextAttr(int32_t env, const char* font_name, int32_t size, int32_t bold,
                               int32_t italic, int32_t underline) PYRA_NOEXCEPT;
PYRA_API void PYRA_SetTextAttrEx(int32_t env, const char* font_name, int32_t size, uint8_t charset,
                                 int32_t bold, int32_t italic, int32_t underline,
                                 int32_t color) PYRA_NOEXCEPT;
PYRA_API void PYRA_SetPenAttr(int32_t env, uint8_t style, int32_t width, int32_t color) PYRA_NOEXCEPT;
PYRA_API void PYRA_SetBrushAttr(int32_t env, uint8_t style, int32_t color) PYRA_NOEXCEPT;
PYRA_API void PYRA_RichEditPrint(int32_t env, PYRA_HWND rich_edit, float page_width, float page_height,
                                 float left, float top, float right, float bottom,
                                 uint8_t centimetres) PYRA_NOEXCEPT;

/* Properties and commands. */
PYRA_API int32_t PYRA_SetSProp(int32_t env, int32_t property, const char* value) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_SetIProp(int32_t env, int32_t property, int32_t value) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_SetCallback(int32_t env, int32_t which, PyraCallback callback) PYRA_NOEXCEPT;
PYRA_API void* PYRA_GetPointer(int32_t env) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_SetPointer(int32_t env, void* pointer) PYRA_NOEXCEPT;
PYRA_API int32_t PYRA_ExecCommand(int32_t env, int32_t command, int32_t parameter, void* data,
                                  int32_t size) PYRA_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif
