#pragma once
// A PDF environment: one document context addressed by an integer
// identifier, with its device, callbacks and page geometry.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/interface/event_stream.h"
#include "engine/pdf/error.h"
#include "engine/pdf/pdf_device.h"
#include "engine/render/pdf_page_device.h"
#include "pyra/pyractl.h"

namespace pyra::interface {

class DrawingSurface;

enum EnvironmentState : int32_t { kNoDocument = 0, kDocumentBegun = 1, kPageOpen = 2, kWatermark = 3 };

struct PyraEnvironment {
  explicit PyraEnvironment(int32_t id);

  void* user_pointer = nullptr;
  int32_t result_kind = 0;
  const void* result_pointer = nullptr;
  int32_t result_length = 0;
  int32_t state = kNoDocument;
  int32_t identifier = 0;
  int32_t page_counter = 0;
  std::unique_ptr<TPxEventStream> event_stream;
  std::unique_ptr<pdf::TPxPDFDeviceEX> device;
  // Plays drawing onto the device's pages; lives as long as the device.
  std::unique_ptr<render::PdfPageDevice> pages;
  bool use_printer_reference = false;
  bool thumbnails = true;
  bool monochrome_thumbnails = false;
  int32_t default_width = 576, default_height = 800;
  int32_t xres = 72, yres = 72;
  int32_t page_width = 0, page_height = 0;
  PyraCallback on_stream_open = nullptr;
  PyraCallback on_stream_write = nullptr;
  PyraCallback on_stream_close = nullptr;
  PyraCallback on_error = nullptr;
  PyraCallback on_message = nullptr;
  PyraCallback on_get_text = nullptr;
  // The device's own copies, refreshed at every BeginDoc.
  PyraCallback device_on_error = nullptr;
  PyraCallback device_on_message = nullptr;
  PyraCallback device_on_get_text = nullptr;
  std::array<uint8_t, 152> page_decoration{};
  bool decoration_set = false;
  bool reuse = false;
  int32_t rich_edit_columns = 1;
  // The page's or watermark's canvas, made by the first drawing call.
  std::shared_ptr<DrawingSurface> surface;
  // A memory context compatible with the screen: the reference of the
  // recordings when there is no other, kept once made.
  uint32_t screen_dc = 0;
  int32_t canvas_res_x = 96, canvas_res_y = 96;

  // Reports through the host's callbacks; never throws.
  void reportError(int32_t code, const std::string& text) const noexcept;
  void reportErrorData(int32_t code, const void* data, int32_t length) const noexcept;
  void reportMessage(int32_t code, const std::string& text, int32_t number) const noexcept;
  // Hands the device its copies of the error and message callbacks.
  void refreshDeviceCallbacks();

  // State checks of the document and page calls.
  bool requireDocument() const noexcept;
  bool requirePage() const noexcept;
};

// The process-wide environment list: entry 0 is reserved, identifiers are
// indexes. Guarded by a mutex so that hosts may open and close environments
// from several threads; an environment itself is used by one thread at a
// time.
class EnvironmentList {
 public:
  static EnvironmentList& instance();

  std::shared_ptr<PyraEnvironment> find(int32_t id) const;
  // Returns the identifier of an environment carrying the reuse flag, or 0.
  int32_t findReusable() const;
  // Adds an environment made by `make(id)`, returns its identifier.
  template <class Make>
  int32_t add(Make make) {
    std::lock_guard lock(mutex_);
    int32_t id = int32_t(list_.size());
    list_.push_back(make(id));
    return id;
  }
  // Removes the environment; only the last entry leaves the list.
  std::shared_ptr<PyraEnvironment> remove(int32_t id);
  std::vector<std::shared_ptr<PyraEnvironment>> removeAll();

 private:
  EnvironmentList() : list_(1) {}
  ~EnvironmentList();
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<PyraEnvironment>> list_;
};

// Releases an environment's resources; each step on its own.
void releaseEnvironment(PyraEnvironment& e) noexcept;

// Runs `body` for a valid environment, turning every exception into a
// numbered error through the host's callback and the fallback result.
template <class R, class Body>
R atBoundary(int32_t id, R fallback, Body&& body) noexcept {
  std::shared_ptr<PyraEnvironment> env;
  try {
    env = EnvironmentList::instance().find(id);
  } catch (...) {
    return fallback;
  }
  if (!env) return fallback;
  try {
    return body(*env);
  } catch (const Error& e) {
    env->reportError(e.code(), e.what());
  } catch (const std::bad_alloc&) {
    env->reportError(kErrInternal, "internal error out of memory");
  } catch (const std::exception& e) {
    env->reportError(kErrInternal, std::string("internal error ") + e.what());
  } catch (...) {
    env->reportError(kErrInternal, "internal error unknown exception");
  }
  return fallback;
}

// A host text: null counts as empty; fixed-size buffers may lack their NUL.
std::string textOrEmpty(const char* text);
std::string fixedText(const char* buffer, size_t size);

}  // namespace pyra::interface
