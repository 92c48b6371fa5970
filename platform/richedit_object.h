#pragma once
// The rich-text object behind a window handle: its document and the
// messages it answers. Every call locks the object, so two threads may
// share a handle.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>

#include "platform/handle_table.h"
#include "platform/richedit_gdi.h"
#include "platform/richedit_document.h"
#include "platform/richedit_layout.h"
#include "pyra/gdi_richedit.h"

namespace pyra::gdi {

class RichEditObject : public GdiObject {
 public:
  // 1/2 inch, the default tab stop of rich text, in twips.
  static constexpr int kDefaultTabTwips = 720;

  RichEditObject() : GdiObject(ObjectKind::Window) {}

  // The loaders return false (and change nothing) for input above
  // PYRA_RICHEDIT_MAX_INPUT.
  bool setRtfOrText(std::span<const uint8_t> bytes);  // RTF, or plain 1252 text
  bool setText(std::u16string_view text);
  bool setTextBytes(std::span<const uint8_t> bytes, unsigned code_page);

  int64_t textLength();
  LRESULT textLengthEx(const GETTEXTLENGTHEX* request);
  LRESULT streamIn(WPARAM format, EDITSTREAM* stream);
  void setLimit(LPARAM limit);
  LRESULT limit();
  // EM_FORMATRANGE. `make_sink` is asked for the drawing side when `render`
  // is set (tests hand their own); by default runs are drawn with GDI.
  using SinkFactory = std::function<std::unique_ptr<RunSink>(HDC out, const RichDocument& document,
                                                             int target_dpi_x, int target_dpi_y)>;
  LRESULT formatRange(bool render, const FORMATRANGE* range, const SinkFactory& make_sink = {});

  // A copy of the document, for white-box tests.
  RichDocument document();

 private:
  void replace(RichDocument&& document);

  std::mutex mutex_;
  RichDocument doc_;
  // The format cache that EM_FORMATRANGE with no range drops.
  MeasureCache measured_;
  int64_t limit_ = 32767;
};

std::shared_ptr<RichEditObject> findRichEdit(HWND handle);

// The sink that draws onto a device context; defined with the GDI drawing
// calls. Null when drawing onto `out` is impossible.
std::unique_ptr<RunSink> makeGdiRunSink(HDC out, const RichDocument& document, int target_dpi_x, int target_dpi_y);

}  // namespace pyra::gdi
