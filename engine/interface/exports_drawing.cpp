// Drawing calls not yet backed by the renderer: they check the state as
// the real calls will, then say plainly that nothing was drawn, rather than
// returning success for output that does not exist.
#include "engine/interface/environment.h"
#include "pyra/pyractl.h"

using namespace pyra;
using namespace pyra::interface;

namespace {

enum class Need { Environment, Document, Page, DocumentQuiet, PageQuiet };

template <class R>
R unavailable(int32_t env, Need need, const char* what, R fallback) {
  return atBoundary(env, fallback, [&](PyraEnvironment& e) -> R {
    switch (need) {
      case Need::Document: if (!e.requireDocument()) return fallback; break;
      case Need::Page: if (!e.requirePage()) return fallback; break;
      case Need::DocumentQuiet: if (e.state < kDocumentBegun) return fallback; break;
      case Need::PageQuiet: if (e.state < kPageOpen) return fallback; break;
      case Need::Environment: break;
    }
    e.reportError(kErrInternal, std::string("internal error ") + what + " is not available in this build");
    return fallback;
  });
}

}  // namespace

extern "C" {

PYRA_API void PYRA_StartWatermark(int32_t env, const char*) noexcept {
  unavailable(env, Need::Document, "PYRA_StartWatermark", 0);
}
PYRA_API void PYRA_StartWatermarkEx(int32_t env, const char*, int32_t, int32_t) noexcept {
  unavailable(env, Need::Document, "PYRA_StartWatermarkEx", 0);
}
PYRA_API void PYRA_EndWatermark(int32_t env) noexcept { unavailable(env, Need::Page, "PYRA_EndWatermark", 0); }
PYRA_API void PYRA_DrawWatermark(int32_t env, const char*, int32_t) noexcept {
  unavailable(env, Need::Page, "PYRA_DrawWatermark", 0);
}
PYRA_API PYRA_HDC PYRA_DC(int32_t env) noexcept { return unavailable<PYRA_HDC>(env, Need::Page, "PYRA_DC", 0); }
PYRA_API int32_t PYRA_DrawDIB(int32_t env, int32_t, int32_t, int32_t, int32_t, const void*, const void*) noexcept {
  return unavailable(env, Need::PageQuiet, "PYRA_DrawDIB", 0);
}
PYRA_API int32_t PYRA_DrawBMP(int32_t env, int32_t, int32_t, int32_t, int32_t, PYRA_HBITMAP) noexcept {
  return unavailable(env, Need::PageQuiet, "PYRA_DrawBMP", 0);
}
PYRA_API int32_t PYRA_DrawJPEG(int32_t env, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, const void*,
                               int32_t) noexcept {
  return unavailable(env, Need::PageQuiet, "PYRA_DrawJPEG", 0);
}
PYRA_API int32_t PYRA_DrawBitmapFile(int32_t env, int32_t, int32_t, int32_t, int32_t, const char*) noexcept {
  return unavailable(env, Need::DocumentQuiet, "PYRA_DrawBitmapFile", 0);
}
PYRA_API void PYRA_DrawBitmapClone(int32_t env, int32_t, int32_t, int32_t, int32_t, int32_t) noexcept {
  unavailable(env, Need::PageQuiet, "PYRA_DrawBitmapClone", 0);
}
PYRA_API int32_t PYRA_TextOut(int32_t env, int32_t, int32_t, const char*) noexcept {
  return unavailable(env, Need::Page, "PYRA_TextOut", 0);
}
PYRA_API const char* PYRA_TextRect(int32_t env, int32_t, int32_t, int32_t, int32_t, const char*, int32_t) noexcept {
  return unavailable<const char*>(env, Need::Page, "PYRA_TextRect", nullptr);
}
PYRA_API int32_t PYRA_MoveTo(int32_t env, int32_t, int32_t) noexcept {
  return unavailable(env, Need::Page, "PYRA_MoveTo", 0);
}
PYRA_API int32_t PYRA_LineTo(int32_t env, int32_t, int32_t) noexcept {
  return unavailable(env, Need::Page, "PYRA_LineTo", 0);
}
PYRA_API int32_t PYRA_Rectangle(int32_t env, int32_t, int32_t, int32_t, int32_t) noexcept {
  return unavailable(env, Need::Page, "PYRA_Rectangle", 0);
}
PYRA_API void PYRA_Hyperlink(int32_t env, int32_t, int32_t, int32_t, int32_t, const char*) noexcept {
  unavailable(env, Need::Page, "PYRA_Hyperlink", 0);
}
PYRA_API void PYRA_Bookmark(int32_t env, int32_t, int32_t, const char*) noexcept {
  unavailable(env, Need::Page, "PYRA_Bookmark", 0);
}
PYRA_API void PYRA_Outline(int32_t env, int32_t, int32_t, int32_t, const char*, const char*) noexcept {
  unavailable(env, Need::Page, "PYRA_Outline", 0);
}
PYRA_API void PYRA_SetTextDefaultAttr(int32_t env, const char*, int32_t) noexcept {
  unavailable(env, Need::Page, "PYRA_SetTextDefaultAttr", 0);
}
PYRA_API void PYRA_SetTextAttr(int32_t env, const char*, int32_t, int32_t, int32_t, int32_t) noexcept {
  unavailable(env, Need::Page, "PYRA_SetTextAttr", 0);
}
PYRA_API void PYRA_SetTextAttrEx(int32_t env, const char*, int32_t, uint8_t, int32_t, int32_t, int32_t,
                                 int32_t) noexcept {
  unavailable(env, Need::Page, "PYRA_SetTextAttrEx", 0);
}
PYRA_API void PYRA_SetPenAttr(int32_t env, uint8_t, int32_t, int32_t) noexcept {
  unavailable(env, Need::Page, "PYRA_SetPenAttr", 0);
}
PYRA_API void PYRA_SetBrushAttr(int32_t env, uint8_t, int32_t) noexcept {
  unavailable(env, Need::Page, "PYRA_SetBrushAttr", 0);
}
PYRA_API void PYRA_RichEditPrint(int32_t env, PYRA_HWND, float, float, float, float, float, float,
                                 uint8_t) noexcept {
  unavailable(env, Need::Document, "PYRA_RichEditPrint", 0);
}

}  // extern "C"
