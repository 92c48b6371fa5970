// Documents and pages: the state machine of an environment.
#include "engine/interface/document_calls.h"
#include "engine/interface/environment.h"
#include "pyra/pyractl.h"

using namespace pyra;
using namespace pyra::interface;

extern "C" PYRA_API int32_t PYRA_BeginDoc(int32_t env, const char* file_name, int32_t to_stream) noexcept {
  return atBoundary(env, 0, [&](PyraEnvironment& e) { return beginDocument(e, textOrEmpty(file_name), to_stream != 0); });
}

extern "C" PYRA_API void PYRA_EndDoc(int32_t env) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    endDocument(e);
    return 0;
  });
}

extern "C" PYRA_API void PYRA_StartPageEx(int32_t env, int32_t width, int32_t height, int32_t rotation) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    startPage(e, width, height, rotation);
    return 0;
  });
}

extern "C" PYRA_API void PYRA_StartPage(int32_t env) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    startPage(e, e.default_width, e.default_height, 0);
    return 0;
  });
}

extern "C" PYRA_API void PYRA_EndPage(int32_t env) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    endPage(e);
    return 0;
  });
}
