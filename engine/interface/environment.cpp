#include "engine/interface/environment.h"

#include <cstring>

#include "engine/interface/drawing_surface.h"
#include "pyra/gdi.h"

namespace pyra::interface {

PyraEnvironment::PyraEnvironment(int32_t id)
    : identifier(id),
      device(std::make_unique<pdf::TPxPDFDeviceEX>()),
      pages(std::make_unique<render::PdfPageDevice>(*device)) {}

void PyraEnvironment::reportError(int32_t code, const std::string& text) const noexcept {
  if (on_error) on_error(identifier, code, text.c_str(), int32_t(text.size()));
}

void PyraEnvironment::reportErrorData(int32_t code, const void* data, int32_t length) const noexcept {
  if (on_error) on_error(identifier, code, data, length);
}

void PyraEnvironment::reportMessage(int32_t code, const std::string& text, int32_t number) const noexcept {
  if (on_message) on_message(identifier, code, text.c_str(), number);
}

void PyraEnvironment::refreshDeviceCallbacks() {
  device_on_error = on_error;
  device_on_message = on_message;
  device_on_get_text = on_get_text;
  const int32_t id = identifier;
  PyraCallback err = device_on_error;
  PyraCallback msg = device_on_message;
  device->setCallbacks(
      [id, err](int32_t code, const std::string& text) {
        if (err) err(id, code, text.c_str(), int32_t(text.size()));
      },
      [id, msg](int32_t code, const std::string& text, int32_t number) {
        if (msg) msg(id, code, text.c_str(), number);
      });
  device->setIdentifier(id);
}

bool PyraEnvironment::requireDocument() const noexcept {
  if (state >= kDocumentBegun) return true;
  reportError(kErrNoDocument, "PDF not started with BeginDoc.");
  return false;
}

bool PyraEnvironment::requirePage() const noexcept {
  if (!requireDocument()) return false;
  if (state >= kPageOpen) return true;
  reportError(kErrNoPage, "StartPage or StartWatermark was not executed.");
  return false;
}

EnvironmentList& EnvironmentList::instance() {
  static EnvironmentList list;
  return list;
}

EnvironmentList::~EnvironmentList() {
  // Unloading the library finalises what the host left open.
  for (auto& e : list_)
    if (e) releaseEnvironment(*e);
}

std::shared_ptr<PyraEnvironment> EnvironmentList::find(int32_t id) const {
  std::lock_guard lock(mutex_);
  if (id <= 0 || size_t(id) >= list_.size()) return nullptr;
  return list_[size_t(id)];
}

int32_t EnvironmentList::findReusable() const {
  std::lock_guard lock(mutex_);
  for (size_t i = 1; i < list_.size(); ++i)
    if (list_[i] && list_[i]->reuse) return int32_t(i);
  return 0;
}

std::shared_ptr<PyraEnvironment> EnvironmentList::remove(int32_t id) {
  std::lock_guard lock(mutex_);
  if (id <= 0 || size_t(id) >= list_.size()) return nullptr;
  auto e = std::move(list_[size_t(id)]);
  if (size_t(id) == list_.size() - 1) list_.pop_back();
  return e;
}

std::vector<std::shared_ptr<PyraEnvironment>> EnvironmentList::removeAll() {
  std::lock_guard lock(mutex_);
  std::vector<std::shared_ptr<PyraEnvironment>> all;
  for (size_t i = 1; i < list_.size(); ++i)
    if (list_[i]) all.push_back(std::move(list_[i]));
  list_.assign(1, nullptr);
  return all;
}

void releaseEnvironment(PyraEnvironment& e) noexcept {
  // Each step is guarded on its own: one failing release does not keep the
  // others from running. An open document is abandoned, not finished.
  try { e.surface.reset(); } catch (...) {}
  try {
    if (e.screen_dc) DeleteDC(e.screen_dc);
    e.screen_dc = 0;
  } catch (...) {}
  try { e.pages.reset(); } catch (...) {}
  try { e.device.reset(); } catch (...) {}
  try { e.event_stream.reset(); } catch (...) {}
}

std::string textOrEmpty(const char* text) { return text ? std::string(text) : std::string(); }

std::string fixedText(const char* buffer, size_t size) { return std::string(buffer, strnlen(buffer, size)); }

}  // namespace pyra::interface
