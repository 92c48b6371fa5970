// Watermarks: drawing recorded once into a form XObject and placed on pages
// by name.
#include <strings.h>

#include "engine/interface/document_calls.h"
#include "engine/interface/drawing_surface.h"
#include "engine/interface/environment.h"
#include "engine/interface/watermark_calls.h"
#include "engine/pdf/pdf_form.h"
#include "pyra/pyractl.h"

namespace pyra::interface {

namespace {

// The form of that name and its position among the XObjects.
pdf::TPxPDFForm* findForm(PyraEnvironment& e, const std::string& name, size_t* index = nullptr) {
  pdf::TPxPDFResource& res = e.device->resources();
  for (size_t i = 0; i < res.xobjectCount(); ++i) {
    auto* form = dynamic_cast<pdf::TPxPDFForm*>(res.xobject(i));
    if (form && strcasecmp(form->name().c_str(), name.c_str()) == 0) {
      if (index) *index = i;
      return form;
    }
  }
  return nullptr;
}

size_t recording_index(PyraEnvironment& e) {
  pdf::TPxPDFResource& res = e.device->resources();
  for (size_t i = res.xobjectCount(); i-- > 0;)
    if (auto* f = dynamic_cast<pdf::TPxPDFForm*>(res.xobject(i)); f && !f->written()) return i;
  return SIZE_MAX;
}

}  // namespace

void startWatermark(PyraEnvironment& e, const std::string& given, int32_t width, int32_t height) {
  if (!e.requireDocument()) return;
  endOpenPage(e);
  e.surface.reset();
  pdf::TPxPDFResource& res = e.device->resources();
  std::string name = given.empty() ? "pxo" + std::to_string(res.xobjectCount() + 1) : given;
  if (findForm(e, name)) {
    // Two forms under one name would make the resources ambiguous.
    e.reportError(kErrInternal, "internal error a watermark named " + name + " exists already");
    return;
  }
  if (width <= 0) width = e.default_width;
  if (height <= 0) height = e.default_height;
  const int32_t xres = e.xres > 0 ? e.xres : 72, yres = e.yres > 0 ? e.yres : 72;
  auto form = std::make_unique<pdf::TPxPDFForm>(e.device.get(), name, pdf::mulDiv(width, 72, xres),
                                                pdf::mulDiv(height, 72, yres), res.reference());
  pdf::TPxPDFForm& f = *form;
  // Held back until its recording ends: a form is written once, whole.
  res.addXObject(std::move(form), true);
  try {
    e.pages->setDeviceOptions(e.device->optionWord());
    e.pages->beginForm(f, width, height, xres, yres);
  } catch (...) {
    // Not recorded: it must not stay in the resources unwritten.
    res.setHeldBack(res.xobjectCount() - 1, false);
    f.writeObject();
    throw;
  }
  e.page_width = width;
  e.page_height = height;
  e.state = kWatermark;
}

void endWatermark(PyraEnvironment& e) {
  if (e.state != kWatermark) return;
  e.state = kDocumentBegun;
  struct Finish {
    PyraEnvironment& e;
    ~Finish() {
      try {
        e.surface.reset();
        e.pages->endForm();
        const size_t i = recording_index(e);
        if (i != SIZE_MAX) {
          e.device->resources().setHeldBack(i, false);
          e.device->resources().xobject(i)->writeObject();
        }
      } catch (...) {
      }
    }
  } finish{e};
  playSurface(e);
}

bool placeWatermark(PyraEnvironment& e, const std::string& name) {
  size_t index = 0;
  pdf::TPxPDFForm* form = findForm(e, name, &index);
  // A form cannot draw itself; an unknown name draws nothing rather than
  // refer to an XObject the document does not have.
  if (!form || !form->written()) return false;
  const std::string key = e.device->resources().xobjectName(index).substr(1);
  e.pages->setDeviceOptions(e.device->optionWord());
  e.pages->placeForm(key, e.device->pageHeight() - form->heightPoints());
  return true;
}

}  // namespace pyra::interface

using namespace pyra;
using namespace pyra::interface;

extern "C" {

PYRA_API void PYRA_StartWatermark(int32_t env, const char* name) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    startWatermark(e, textOrEmpty(name), e.default_width, e.default_height);
    return 0;
  });
}

PYRA_API void PYRA_StartWatermarkEx(int32_t env, const char* name, int32_t width, int32_t height) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    startWatermark(e, textOrEmpty(name), width, height);
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

PYRA_API void PYRA_DrawWatermark(int32_t env, const char* name, int32_t) noexcept {
  atBoundary(env, 0, [&](PyraEnvironment& e) {
    if (!e.requirePage()) return 0;
    placeWatermark(e, textOrEmpty(name));
    return 0;
  });
}

}  // extern "C"
