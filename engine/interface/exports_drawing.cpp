// Drawing calls: text, lines, rectangles and navigation records on the
// page's drawing surface, and images placed straight into the page.
#include <cmath>
#include <string>
#include <vector>

#include "engine/images/image_error.h"
#include "engine/interface/document_calls.h"
#include "engine/interface/drawing_images.h"
#include "engine/interface/drawing_surface.h"
#include "engine/interface/drawing_text_layout.h"
#include "engine/interface/environment.h"
#include "engine/interface/rich_edit_print.h"
#include "pyra/gdi.h"
#include "pyra/gdi_metafile.h"
#include "pyra/pyractl.h"

using namespace pyra;
using namespace pyra::interface;

namespace {

// The host's text calls draw only the letters: the opaque background mode
// that solid brushes set is for shapes, not for a box behind the text.
class TransparentText {
 public:
  explicit TransparentText(HDC dc) : dc_(dc), old_(SetBkMode(dc, TRANSPARENT)) {}
  ~TransparentText() {
    if (old_) SetBkMode(dc_, old_);
  }
  TransparentText(const TransparentText&) = delete;
  TransparentText& operator=(const TransparentText&) = delete;

 private:
  HDC dc_;
  INT old_;
};

// Runs `body` with the page's canvas when a page or watermark is open.
template <class R, class Body>
R onCanvas(int32_t env, R fallback, Body&& body) {
  return atBoundary(env, fallback, [&](PyraEnvironment& e) -> R {
    if (!e.requirePage()) return fallback;
    return body(e, surfaceOf(e));
  });
}

int32_t fontHeight(const PyraEnvironment& e, int32_t size) {
  if (size == 0) size = 11;
  return int32_t(std::lround(double(size) * (e.yres > 0 ? e.yres : 72) / 72.0));
}

// Image calls that need a page: quietly nothing without one.
template <class Body>
int32_t onPageImage(int32_t env, Body&& body) {
  return atBoundary(env, 0, [&](PyraEnvironment& e) -> int32_t {
    if (e.state < kPageOpen) return 0;
    try {
      return body(e);
    } catch (const images::ImageError& err) {
      e.reportError(err.code(), err.what());
      return -1;
    }
  });
}

void outlineRecords(DrawingSurface& s, int32_t level, int32_t x, int32_t y, const std::string& name,
                    const std::string& caption) {
  const int32_t code = level == 0 ? 503 : level > 0 ? 504 : 505;
  int64_t steps = level < -1 ? -1 - int64_t(level) : level > 1 ? int64_t(level) - 1 : 0;
  // Deeper than any outline can be: the records would only repeat.
  if (steps > 1000) steps = 1000;
  for (int64_t i = 0; i < steps; ++i) s.writerComment(code, x, y, x, y, "");
  if (caption.empty()) {
    s.writerComment(code, x, y, x, y, "");
  } else if (!name.empty()) {
    s.writerComment(502, x, y, x, y, name);
    s.writerComment(code, x, y, x, y, name + "=" + caption);
  } else {
    s.writerComment(code, x, y, x, y, "=" + caption);
  }
}

const char* textRect(PyraEnvironment& e, DrawingSurface& s, int32_t x, int32_t y, int32_t width, int32_t height,
                     const char* text, int32_t alignment) {
  const HDC dc = s.dc();
  SIZE ag{};
  GetTextExtentPoint32A(dc, "Ag", 2, &ag);
  int32_t widths[256];
  bool known[256] = {};
  auto width_of = [&](uint8_t c) -> int32_t {
    if (!known[c]) {
      INT w = 0;
      if (!GetCharWidth32A(dc, c, c, &w)) w = 0;
      widths[c] = w;
      known[c] = true;
    }
    return widths[c];
  };
  const std::string_view all(text);
  const TextRectLayout layout = layoutTextRect(all, x, y, width, height, ag.cy, alignment, width_of);
  TransparentText transparent(dc);
  for (const TextRectLine& line : layout.lines) {
    if (line.advances.empty()) continue;
    const RECT clip{x, line.top, x + width, line.top + ag.cy};
    std::vector<INT> dx(line.advances.begin(), line.advances.end());
    ExtTextOutA(dc, line.x, line.top, ETO_CLIPPED, &clip, text + line.start, UINT(dx.size()), dx.data());
  }
  (void)e;
  return text + layout.stop;
}

}  // namespace

extern "C" {

PYRA_API PYRA_HDC PYRA_DC(int32_t env) noexcept {
  return onCanvas<PYRA_HDC>(env, 0, [](PyraEnvironment&, DrawingSurface& s) { return s.dc(); });
}

PYRA_API int32_t PYRA_TextOut(int32_t env, int32_t x, int32_t y, const char* text) noexcept {
  return onCanvas<int32_t>(env, 0, [&](PyraEnvironment&, DrawingSurface& s) {
    const std::string t = textOrEmpty(text);
    TransparentText transparent(s.dc());
    return int32_t(TextOutA(s.dc(), x, y, t.c_str(), INT(t.size())));
  });
}

PYRA_API const char* PYRA_TextRect(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                                   const char* text, int32_t alignment) noexcept {
  return atBoundary<const char*>(env, nullptr, [&](PyraEnvironment& e) -> const char* {
    if (!e.requirePage()) return nullptr;
    if (!text || !*text) return nullptr;
    return textRect(e, surfaceOf(e), x, y, width, height, text, alignment);
  });
}

PYRA_API int32_t PYRA_MoveTo(int32_t env, int32_t x, int32_t y) noexcept {
  return onCanvas<int32_t>(env, 0, [&](PyraEnvironment&, DrawingSurface& s) {
    return int32_t(MoveToEx(s.dc(), x, y, nullptr));
  });
}

PYRA_API int32_t PYRA_LineTo(int32_t env, int32_t x, int32_t y) noexcept {
  return onCanvas<int32_t>(env, 0, [&](PyraEnvironment&, DrawingSurface& s) { return int32_t(LineTo(s.dc(), x, y)); });
}

PYRA_API int32_t PYRA_Rectangle(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height) noexcept {
  return onCanvas<int32_t>(env, 0, [&](PyraEnvironment&, DrawingSurface& s) {
    return int32_t(Rectangle(s.dc(), x, y, int32_t(int64_t(x) + width), int32_t(int64_t(y) + height)));
  });
}

PYRA_API void PYRA_Hyperlink(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                             const char* target) noexcept {
  onCanvas<int>(env, 0, [&](PyraEnvironment&, DrawingSurface& s) {
    s.writerComment(501, x, y, int32_t(int64_t(x) + width), int32_t(int64_t(y) + height), textOrEmpty(target));
    return 0;
  });
}

PYRA_API void PYRA_Bookmark(int32_t env, int32_t x, int32_t y, const char* name) noexcept {
  onCanvas<int>(env, 0, [&](PyraEnvironment&, DrawingSurface& s) {
    s.writerComment(502, x, y, x, y, textOrEmpty(name));
    return 0;
  });
}

PYRA_API void PYRA_Outline(int32_t env, int32_t level, int32_t x, int32_t y, const char* name,
                           const char* caption) noexcept {
  onCanvas<int>(env, 0, [&](PyraEnvironment&, DrawingSurface& s) {
    outlineRecords(s, level, x, y, textOrEmpty(name), textOrEmpty(caption));
    return 0;
  });
}

PYRA_API void PYRA_SetTextDefaultAttr(int32_t env, const char* name, int32_t size) noexcept {
  onCanvas<int>(env, 0, [&](PyraEnvironment& e, DrawingSurface& s) {
    s.setFont(name ? std::string(name) : std::string("Arial"), fontHeight(e, size), false, false, false,
              DEFAULT_CHARSET);
    s.setTextColor(RGB(0, 0, 0));
    s.setBrush(1, RGB(0, 0, 0));
    s.setPen(PS_SOLID, 1, RGB(0, 0, 0));
    return 0;
  });
}

PYRA_API void PYRA_SetTextAttr(int32_t env, const char* name, int32_t size, int32_t bold, int32_t italic,
                               int32_t underline) noexcept {
  onCanvas<int>(env, 0, [&](PyraEnvironment& e, DrawingSurface& s) {
    s.setFont(textOrEmpty(name), fontHeight(e, size), bold != 0, italic != 0, underline != 0, DEFAULT_CHARSET);
    return 0;
  });
}

PYRA_API void PYRA_SetTextAttrEx(int32_t env, const char* name, int32_t size, uint8_t charset, int32_t bold,
                                 int32_t italic, int32_t underline, int32_t color) noexcept {
  onCanvas<int>(env, 0, [&](PyraEnvironment& e, DrawingSurface& s) {
    s.setFont(textOrEmpty(name), fontHeight(e, size), bold != 0, italic != 0, underline != 0, charset);
    s.setTextColor(COLORREF(color));
    return 0;
  });
}

PYRA_API void PYRA_SetPenAttr(int32_t env, uint8_t style, int32_t width, int32_t color) noexcept {
  onCanvas<int>(env, 0, [&](PyraEnvironment&, DrawingSurface& s) {
    s.setPen(style, width, COLORREF(color));
    return 0;
  });
}

PYRA_API void PYRA_SetBrushAttr(int32_t env, uint8_t style, int32_t color) noexcept {
  onCanvas<int>(env, 0, [&](PyraEnvironment&, DrawingSurface& s) {
    s.setBrush(style, COLORREF(color));
    return 0;
  });
}

PYRA_API int32_t PYRA_DrawDIB(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height, const void* info,
                              const void* bits) noexcept {
  return onPageImage(env, [&](PyraEnvironment& e) {
    const int32_t number = imageFromDib(e, info, bits);
    placeImage(e, number, x, y, width, height);
    return number;
  });
}

PYRA_API int32_t PYRA_DrawBMP(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                              PYRA_HBITMAP bitmap) noexcept {
  return onPageImage(env, [&](PyraEnvironment& e) {
    const int32_t number = imageFromBitmap(e, bitmap);
    placeImage(e, number, x, y, width, height);
    return number;
  });
}

PYRA_API int32_t PYRA_DrawJPEG(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height, int32_t,
                               int32_t, const void* data, int32_t size) noexcept {
  // The pixel size comes from the data's own frame header, which is what
  // every reader decodes; the caller's figures are not needed.
  return onPageImage(env, [&](PyraEnvironment& e) {
    const int32_t number = imageFromJpeg(e, data, size);
    placeImage(e, number, x, y, width, height);
    return number;
  });
}

PYRA_API void PYRA_DrawBitmapClone(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                                   int32_t number) noexcept {
  onPageImage(env, [&](PyraEnvironment& e) {
    if (number < 1) return 0;
    if (!isImageNumber(e, number)) throw images::ImageError("no image numbered " + std::to_string(number));
    placeImage(e, number, x, y, width, height);
    return 0;
  });
}

PYRA_API int32_t PYRA_DrawBitmapFile(int32_t env, int32_t x, int32_t y, int32_t width, int32_t height,
                                     const char* file_name) noexcept {
  return atBoundary(env, 0, [&](PyraEnvironment& e) -> int32_t {
    if (e.state < kDocumentBegun) return 0;
    const std::string name = textOrEmpty(file_name);
    if (!fileExists(name)) return 0;
    const std::string ext = upperExtension(name);
    try {
      if (ext == ".BMP") {
        if (e.state < kPageOpen) return 0;
        struct Bitmap {
          HBITMAP h;
          ~Bitmap() { if (h) DeleteObject(h); }
        } bm{pyraLoadBitmapFileA(name.c_str())};
        if (!bm.h) throw images::ImageError("the bitmap file cannot be read");
        int32_t w = 0, h = 0;
        const int32_t number = imageFromBitmap(e, bm.h, &w, &h);
        placeImage(e, number, x, y, width != 0 ? width : w, height != 0 ? height : h);
        return number;
      }
      if (ext == ".JPG" || ext == ".JPEG") {
        std::string data;
        if (!readWholeFile(name, data)) return 0;
        int32_t w = 0, h = 0;
        const int32_t number = imageFromJpeg(e, data.data(), int64_t(data.size()), &w, &h);
        if (x > -1000 && y > -1000 && e.state >= kPageOpen)
          placeImage(e, number, x, y, width != 0 ? width : w, height != 0 ? height : h);
        return number;
      }
      if (ext == ".EMF") {
        std::string data;
        if (!readWholeFile(name, data)) return 0;
        if (!data.empty()) {
          e.pages->setDeviceOptions(e.device->optionWord());
          e.pages->playMetafile({reinterpret_cast<const uint8_t*>(data.data()), data.size()}, x, y, width, height);
        }
        return -1;
      }
      if (ext == ".WMF") {
        HMETAFILE wmf = GetMetaFileA(name.c_str());
        if (!wmf) throw Error(kErrMetafile, "Metafile error: the Windows metafile cannot be read");
        struct Closer {
          HMETAFILE h;
          ~Closer() { DeleteMetaFile(h); }
        } closer{wmf};
        PLACEABLEMETAHEADER ph{};
        int32_t w = width, h = height;
        if (w == 0 && h == 0 && PyraGetPlaceableHeader(wmf, &ph) && ph.inch > 0) {
          // Its own size, in hundredths of a millimetre, at the environment's units.
          const double wmm = std::abs(double(ph.right) - ph.left) * 2540.0 / ph.inch;
          const double hmm = std::abs(double(ph.bottom) - ph.top) * 2540.0 / ph.inch;
          w = int32_t(std::lround(wmm * e.xres / 2540.0));
          h = int32_t(std::lround(hmm * e.yres / 2540.0));
        }
        PYRA_DrawMetafile(e.identifier, wmf, x, y, w, h);
        return 0;
      }
    } catch (const images::ImageError& err) {
      e.reportError(err.code(), err.what());
      return -1;
    }
    return 0;
  });
}

PYRA_API void PYRA_RichEditPrint(int32_t env, PYRA_HWND rich_edit, float page_width, float page_height, float left,
                                 float top, float right, float bottom, uint8_t centimetres) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    if (!e.requireDocument()) return 0;
    printRichEdit(e, rich_edit, page_width, page_height, left, top, right, bottom, centimetres != 0);
    return 0;
  });
}

}  // extern "C"
