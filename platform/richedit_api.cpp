// The exported calls of the rich-text object.
#include <cstring>
#include <optional>
#include <span>

#include "platform/api_guard.h"
#include "platform/richedit_object.h"

using namespace pyra::gdi;

namespace {

std::span<const uint8_t> bytesOf(const char* text, size_t length) {
  return {reinterpret_cast<const uint8_t*>(text), length};
}

// A zero-terminated text, or nothing when it is longer than we take (the
// scan stops there rather than running through memory).
std::optional<size_t> boundedLength(const char* text) {
  size_t n = strnlen(text, size_t(PYRA_RICHEDIT_MAX_INPUT) + 1);
  if (n > PYRA_RICHEDIT_MAX_INPUT) return std::nullopt;
  return n;
}

BOOL setTextA(HWND hWnd, const char* text) {
  auto edit = findRichEdit(hWnd);
  if (!edit) return FALSE;
  if (!text) return edit->setText(u"") ? TRUE : FALSE;
  auto n = boundedLength(text);
  return n && edit->setRtfOrText(bytesOf(text, *n)) ? TRUE : FALSE;
}

BOOL setTextW(HWND hWnd, const WCHAR* text) {
  auto edit = findRichEdit(hWnd);
  if (!edit) return FALSE;
  size_t n = 0;
  while (text && text[n] && n <= PYRA_RICHEDIT_MAX_INPUT) ++n;
  if (n > PYRA_RICHEDIT_MAX_INPUT) return FALSE;
  if (!text) return edit->setText(u"") ? TRUE : FALSE;
  return edit->setText(std::u16string_view(reinterpret_cast<const char16_t*>(text), n)) ? TRUE : FALSE;
}

LRESULT sendMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, bool wide) {
  auto edit = findRichEdit(hWnd);
  if (!edit) return 0;
  switch (msg) {
    case WM_SETTEXT:
      return wide ? setTextW(hWnd, reinterpret_cast<const WCHAR*>(lParam))
                  : setTextA(hWnd, reinterpret_cast<const char*>(lParam));
    case WM_GETTEXTLENGTH: return LRESULT(edit->textLength());
    case EM_GETTEXTLENGTHEX: return edit->textLengthEx(reinterpret_cast<const GETTEXTLENGTHEX*>(wParam));
    case EM_EXLIMITTEXT: edit->setLimit(lParam); return 0;
    case EM_GETLIMITTEXT: return edit->limit();
    case EM_STREAMIN: return edit->streamIn(wParam, reinterpret_cast<EDITSTREAM*>(lParam));
    case EM_FORMATRANGE: return edit->formatRange(wParam != 0, reinterpret_cast<const FORMATRANGE*>(lParam));
    default: return 0;
  }
}

}  // namespace

extern "C" {

PYRA_GDI_API HWND pyraCreateRichEdit(void) {
  return guarded<HWND>(0, [] { return HandleTable::instance().insert(std::make_shared<RichEditObject>()); });
}

PYRA_GDI_API BOOL DestroyWindow(HWND hWnd) {
  return guarded<BOOL>(FALSE, [&]() -> BOOL {
    if (!findRichEdit(hWnd)) return FALSE;
    return HandleTable::instance().erase(hWnd) ? TRUE : FALSE;
  });
}

PYRA_GDI_API BOOL SetWindowTextA(HWND hWnd, const char* lpString) {
  return guarded<BOOL>(FALSE, [&] { return setTextA(hWnd, lpString); });
}

PYRA_GDI_API BOOL SetWindowTextW(HWND hWnd, const WCHAR* lpString) {
  return guarded<BOOL>(FALSE, [&] { return setTextW(hWnd, lpString); });
}

PYRA_GDI_API BOOL pyraRichEditSetRtf(HWND hWnd, const char* rtf, size_t len) {
  return guarded<BOOL>(FALSE, [&]() -> BOOL {
    auto edit = findRichEdit(hWnd);
    if (!edit || (!rtf && len > 0)) return FALSE;
    return edit->setRtfOrText(bytesOf(rtf ? rtf : "", len)) ? TRUE : FALSE;
  });
}

PYRA_GDI_API LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return guarded<LRESULT>(0, [&] { return sendMessage(hWnd, Msg, wParam, lParam, false); });
}

PYRA_GDI_API LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
  return guarded<LRESULT>(0, [&] { return sendMessage(hWnd, Msg, wParam, lParam, true); });
}

}  // extern "C"
