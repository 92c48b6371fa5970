#include "engine/interface/document_calls.h"

#include "engine/interface/drawing_decoration.h"
#include "engine/interface/drawing_surface.h"
#include "engine/interface/watermark_calls.h"

namespace pyra::interface {

int32_t beginDocument(PyraEnvironment& e, const std::string& file_name, bool to_stream) {
  pdf::TPxPDFDevice& d = *e.device;
  e.refreshDeviceCallbacks();
  if (to_stream && e.on_stream_write) {
    e.event_stream = std::make_unique<TPxEventStream>(e.identifier, e.on_stream_write);
  } else {
    e.event_stream.reset();
  }
  d.setExternalOutput(nullptr);
  if (to_stream) {
    if (!e.on_stream_write) {
      e.reportErrorData(kErrNoStreamWrite, "OnStreamWrite was not specified!", 0);
      return 0;
    }
    e.event_stream->reset();
    d.setFileName("");
    d.setExternalOutput(e.event_stream.get());
    if (e.on_stream_open) e.on_stream_open(e.identifier, 0, file_name.c_str(), int32_t(file_name.size()));
  } else {
    d.setFileName(file_name);
  }
  e.reportMessage(PYRA_MSG_OPENING, file_name, int32_t(file_name.size()));
  d.setInterfaceReportsOpenFailure(true);
  e.page_counter = 0;
  // A new document abandons an unfinished one.
  e.state = kNoDocument;
  bool opened = false;
  try {
    opened = e.pages->beginDocument(e.default_width, e.default_height, e.xres);
  } catch (...) {
    // The output opened but its header could not be written: this document
    // would be damaged from its first byte, so it does not count as begun.
    d.setInterfaceReportsOpenFailure(false);
    d.setExternalOutput(nullptr);
    throw;
  }
  if (!opened) {
    d.setExternalOutput(nullptr);
    e.reportError(kErrCannotOpenFile, file_name);
    return 0;
  }
  d.setInterfaceReportsOpenFailure(false);
  e.state = kDocumentBegun;
  e.reportMessage(PYRA_MSG_BEGUN, file_name, int32_t(file_name.size()));
  return 1;
}

void endDocument(PyraEnvironment& e) {
  if (e.state == kNoDocument) return;
  pdf::TPxPDFDevice& d = *e.device;
  const std::string name = d.fileName();
  e.reportMessage(PYRA_MSG_ENDING, name, int32_t(name.size()));
  // A watermark still being recorded is finished: its form is in the
  // resources and must be written.
  if (e.state == kWatermark) endWatermark(e);
  // A page still open keeps what was drawn on it: its drawing surface and
  // closing decoration are played as at a page end, not thrown away.
  const bool page_open = e.state == kPageOpen;
  e.state = kNoDocument;
  if (page_open) {
    try {
      playSurface(e);
      drawDecoration(e, false);
    } catch (...) {
      e.surface.reset();
      e.pages->endDocument();
      throw;
    }
  }
  e.surface.reset();
  // The stream is closed and the host told so even when writing the end of
  // the document failed; the failure itself still reaches the host.
  struct StreamCloser {
    PyraEnvironment& e;
    const std::string& name;
    ~StreamCloser() {
      pdf::TPxPDFDevice& d = *e.device;
      if (d.hasOutputStream()) {
        if (e.on_stream_close) e.on_stream_close(e.identifier, 0, name.c_str(), int32_t(name.size()));
        d.closeOutput();
      }
      d.setExternalOutput(nullptr);
    }
  } closer{e, name};
  e.pages->endDocument();
  e.reportMessage(PYRA_MSG_FINISHED, name, int32_t(name.size()));
}

void endPage(PyraEnvironment& e) {
  if (!e.requirePage()) return;
  if (e.state == kWatermark) {
    endWatermark(e);
    return;
  }
  e.reportMessage(PYRA_MSG_PAGE_ENDING, std::to_string(e.page_counter), e.page_counter);
  e.state = kDocumentBegun;
  // The page ends even when its drawing cannot be played; the failure
  // still reaches the host.
  try {
    playSurface(e);
    drawDecoration(e, false);
  } catch (...) {
    e.surface.reset();
    e.pages->endPage();
    throw;
  }
  e.pages->endPage();
}

void endOpenPage(PyraEnvironment& e) {
  if (e.state == kPageOpen || e.state == kWatermark) endPage(e);
}

void startPage(PyraEnvironment& e, int32_t width, int32_t height, int32_t rotation) {
  if (!e.requireDocument()) return;
  endOpenPage(e);
  e.surface.reset();
  e.device->setThumbnails(e.thumbnails, e.monochrome_thumbnails);
  e.pages->setDeviceOptions(e.device->optionWord());
  e.pages->startPage(width, height, e.xres, e.yres, rotation);
  // A zero size keeps the previous page's size, as the device does.
  if (width > 0) e.page_width = width;
  else if (e.page_width <= 0) e.page_width = e.default_width;
  if (height > 0) e.page_height = height;
  else if (e.page_height <= 0) e.page_height = e.default_height;
  e.state = kPageOpen;
  ++e.page_counter;
  drawDecoration(e, true);
  e.reportMessage(PYRA_MSG_PAGE_STARTED, std::to_string(e.page_counter), e.page_counter);
}

}  // namespace pyra::interface
