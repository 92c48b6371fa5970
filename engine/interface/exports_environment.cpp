// Environments: creation, release and the host's result slot.
#include "engine/interface/environment.h"
#include "engine/interface/options.h"
#include "pyra/pyractl.h"

using namespace pyra;
using namespace pyra::interface;

extern "C" PYRA_API int32_t PYRA_InitializeEx(const PyraOptions* options) noexcept {
  try {
    auto& list = EnvironmentList::instance();
    if (int32_t reused = list.findReusable()) return reused;
    if (options && options->SIZEOFSTRUCT != PYRA_OPTIONS_SIZE) return -1;
    return list.add([&](int32_t id) {
      auto e = std::make_shared<PyraEnvironment>(id);
      e->thumbnails = true;
      e->monochrome_thumbnails = false;
      e->use_printer_reference = false;
      e->device->setSecondOptionByte(e->device->secondOptionByte() | 1);
      e->refreshDeviceCallbacks();
      if (options) applyOptions(*e, *options);
      else e->device->setFontMode(1);
      e->device->setThumbnails(e->thumbnails, e->monochrome_thumbnails);
      if (e->default_width == 0) e->default_width = 576;
      if (e->default_height == 0) e->default_height = 800;
      if (e->xres == 0) e->xres = 72;
      if (e->yres == 0) e->yres = 72;
      e->device->setIdentifier(id);
      return e;
    });
  } catch (...) {
    // Out of memory while making the environment: nothing was made.
    return 0;
  }
}

extern "C" PYRA_API int32_t PYRA_Initialize(void) noexcept { return PYRA_InitializeEx(nullptr); }

extern "C" PYRA_API void PYRA_Finalize(int32_t env) noexcept {
  std::shared_ptr<PyraEnvironment> e;
  try {
    e = EnvironmentList::instance().remove(env);
  } catch (...) {
    return;
  }
  // Released outside the list's lock: a callback may run meanwhile.
  if (e) releaseEnvironment(*e);
}

extern "C" PYRA_API void PYRA_FinalizeAll(void) noexcept {
  std::vector<std::shared_ptr<PyraEnvironment>> all;
  try {
    all = EnvironmentList::instance().removeAll();
  } catch (...) {
    return;
  }
  for (auto& e : all) releaseEnvironment(*e);
}

extern "C" PYRA_API void PYRA_SetResult(int32_t env, int32_t kind, const void* data, int32_t length) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    e.result_kind = kind;
    e.result_pointer = data;
    e.result_length = length;
    if (kind == 1) {
      const char* text = static_cast<const char*>(data);
      if (!text) e.device->setResultText("");
      else if (length < 0) e.device->setResultText(text);
      else e.device->setResultText(std::string(text, size_t(length)));
    }
    return 0;
  });
}
