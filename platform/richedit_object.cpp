#include "platform/richedit_object.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/codepage.h"
#include "platform/richedit_rtf_reader.h"

namespace pyra::gdi {

namespace {

// Plain text has no size of its own; 10 points is what a new control shows.
CharFormat plainTextFormat() {
  CharFormat f;
  f.half_points = 20;
  return f;
}

int toDeviceUnits(int64_t twips, int dpi) {
  int64_t scaled = twips * dpi;
  int64_t units = scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440);
  return int(std::clamp<int64_t>(units, INT32_MIN / 2, INT32_MAX / 2));
}

}  // namespace

std::shared_ptr<RichEditObject> findRichEdit(HWND handle) {
  return HandleTable::instance().findAs<RichEditObject>(handle, ObjectKind::Window);
}

bool RichEditObject::setRtfOrText(std::span<const uint8_t> bytes) {
  if (bytes.size() > PYRA_RICHEDIT_MAX_INPUT) return false;
  if (!looksLikeRtf(bytes)) return setTextBytes(bytes, 1252);
  RichDocument loaded;
  readRtf(bytes, loaded);
  replace(std::move(loaded));
  return true;
}

bool RichEditObject::setText(std::u16string_view text) {
  if (text.size() > PYRA_RICHEDIT_MAX_INPUT) return false;
  RichDocument loaded;
  loaded.setPlainText(text, plainTextFormat());
  replace(std::move(loaded));
  return true;
}

void RichEditObject::replace(RichDocument&& document) {
  std::lock_guard lock(mutex_);
  doc_ = std::move(document);
  measured_.reset();
}

bool RichEditObject::setTextBytes(std::span<const uint8_t> bytes, unsigned code_page) {
  if (bytes.size() > PYRA_RICHEDIT_MAX_INPUT) return false;
  CodePageConverter converter(code_page);
  bool invalid = false;
  return setText(converter.decode(bytes, &invalid));
}

int64_t RichEditObject::textLength() {
  std::lock_guard lock(mutex_);
  return int64_t(doc_.size());
}

LRESULT RichEditObject::textLengthEx(const GETTEXTLENGTHEX* request) {
  if (!request) return PYRA_E_INVALIDARG;
  const DWORD flags = request->flags;
  if ((flags & GTL_NUMCHARS) && (flags & GTL_NUMBYTES)) return PYRA_E_INVALIDARG;
  std::lock_guard lock(mutex_);
  const auto& text = doc_.text();
  int64_t paragraphs = (flags & GTL_USECRLF) ? std::count(text.begin(), text.end(), RichDocument::kParagraphEnd) : 0;
  if (!(flags & GTL_NUMBYTES)) return LRESULT(int64_t(text.size()) + paragraphs);
  if (request->codepage == 1200) return LRESULT(2 * (int64_t(text.size()) + paragraphs));
  unsigned page = iconvNameForCodePage(request->codepage) ? request->codepage : 1252;
  CodePageConverter converter(page);
  bool used_default = false;
  return LRESULT(int64_t(converter.encode(text, ' ', &used_default).size()) + paragraphs);
}

LRESULT RichEditObject::streamIn(WPARAM format, EDITSTREAM* stream) {
  if (!stream || !stream->pfnCallback || !(format & (SF_RTF | SF_TEXT))) return 0;
  std::vector<uint8_t> bytes;
  std::vector<uint8_t> chunk(64 * 1024);
  stream->dwError = 0;
  for (;;) {
    LONG got = 0;
    DWORD error = stream->pfnCallback(stream->dwCookie, chunk.data(), LONG(chunk.size()), &got);
    if (error) {
      stream->dwError = error;
      break;
    }
    if (got <= 0) break;
    size_t n = std::min(size_t(got), chunk.size());
    if (bytes.size() + n > PYRA_RICHEDIT_MAX_INPUT) {
      stream->dwError = DWORD(-16);  // too much: keep the old text
      return 0;
    }
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(n));
  }
  bool loaded;
  if (format & SF_RTF) {
    loaded = setRtfOrText(bytes);
  } else if (format & SF_UNICODE) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) units[i] = char16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    loaded = setText(units);
  } else {
    loaded = setTextBytes(bytes, 1252);
  }
  return loaded ? LRESULT(textLength()) : 0;
}

void RichEditObject::setLimit(LPARAM limit) {
  std::lock_guard lock(mutex_);
  limit_ = limit <= 0 ? 65536 : int64_t(limit);
}

LRESULT RichEditObject::limit() {
  std::lock_guard lock(mutex_);
  return LRESULT(limit_);
}

LRESULT RichEditObject::formatRange(bool render, const FORMATRANGE* range, const SinkFactory& make_sink) {
  if (!range) {
    std::lock_guard lock(mutex_);
    measured_.reset();
    return 0;
  }
  FORMATRANGE fr;
  std::memcpy(&fr, range, sizeof fr);
  const HDC target = fr.hdcTarget ? fr.hdcTarget : fr.hdc;
  if (!target || (render && !fr.hdc)) return -1;
  const int dpi_x = GetDeviceCaps(target, LOGPIXELSX);
  const int dpi_y = GetDeviceCaps(target, LOGPIXELSY);
  if (dpi_x <= 0 || dpi_y <= 0) return -1;  // not a device context
  LayoutBox box{toDeviceUnits(fr.rc.left, dpi_x), toDeviceUnits(fr.rc.top, dpi_y), toDeviceUnits(fr.rc.right, dpi_x),
                toDeviceUnits(fr.rc.bottom, dpi_y)};
  const int tab_stop = std::max(1, toDeviceUnits(kDefaultTabTwips, dpi_x));

  std::lock_guard lock(mutex_);
  if (measured_.dpi_y != dpi_y) measured_.reset(dpi_y);
  GdiMeasurer measurer(target, doc_, measured_);
  std::unique_ptr<RunSink> sink;
  if (render) {
    sink = make_sink ? make_sink(fr.hdc, doc_, dpi_x, dpi_y) : makeGdiRunSink(fr.hdc, doc_, dpi_x, dpi_y);
    if (!sink) return -1;
  }
  LayoutResult result = layoutRange(doc_, fr.chrg.cpMin, fr.chrg.cpMax < 0 ? -1 : fr.chrg.cpMax, box, tab_stop,
                                    measurer, sink.get());
  sink.reset();  // puts the output context back as it was
  return LRESULT(result.next);
}

RichDocument RichEditObject::document() {
  std::lock_guard lock(mutex_);
  return doc_;
}

}  // namespace pyra::gdi
