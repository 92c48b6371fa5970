// Watermarks: drawing recorded once into a form XObject and placed on pages
// by name.
#include "engine/interface/document_calls.h"
#include "engine/interface/drawing_surface.h"
#include "engine/interface/environment.h"
#include "pyra/pyractl.h"

using namespace pyra;
using namespace pyra::interface;

extern "C" {

PYRA_API void PYRA_StartWatermark(int32_t env, const char*) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    if (!e.requireDocument()) return 0;
    e.reportError(kErrInternal, "internal error PYRA_StartWatermark is not available in this build");
    return 0;
  });
}
PYRA_API void PYRA_StartWatermarkEx(int32_t env, const char*, int32_t, int32_t) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    if (!e.requireDocument()) return 0;
    e.reportError(kErrInternal, "internal error PYRA_StartWatermarkEx is not available in this build");
    return 0;
  });
}
PYRA_API void PYRA_EndWatermark(int32_t env) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    if (!e.requirePage()) return 0;
    endPage(e);
    return 0;
  });
}
PYRA_API void PYRA_DrawWatermark(int32_t env, const char*, int32_t) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    if (!e.requirePage()) return 0;
    e.reportError(kErrInternal, "internal error PYRA_DrawWatermark is not available in this build");
    return 0;
  });
}

}  // extern "C"
