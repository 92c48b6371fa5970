// The exported code-page calls and MulDiv.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/api_guard.h"
#include "platform/codepage.h"
#include "pyra/gdi.h"

using namespace pyra::gdi;

namespace {

// Copies `n` converted units to the caller or reports the size needed;
// 0 when the caller's buffer is too small (nothing partial is promised).
template <class T, class S>
int deliver(const S& converted, T* out, int capacity) {
  if (converted.size() > size_t(INT_MAX)) return 0;
  int n = int(converted.size());
  if (capacity == 0) return n;
  if (!out || capacity < n) return 0;
  std::memcpy(out, converted.data(), converted.size() * sizeof(T));
  return n;
}

}  // namespace

extern "C" {

PYRA_GDI_API INT MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr,
                                     INT cbMultiByte, LPWSTR lpWideCharStr, INT cchWideChar) {
  return guarded<INT>(0, [&]() -> INT {
    if (!lpMultiByteStr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0) return 0;
    if (cchWideChar > 0 && !lpWideCharStr) return 0;
    size_t length = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : size_t(cbMultiByte);
    CodePageConverter converter(CodePage);
    bool invalid = false;
    auto text = converter.decode(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(lpMultiByteStr), length), &invalid);
    if (invalid && (dwFlags & MB_ERR_INVALID_CHARS)) return 0;
    return deliver<WCHAR>(text, lpWideCharStr, cchWideChar);
  });
}

PYRA_GDI_API INT WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr,
                                     INT cchWideChar, LPSTR lpMultiByteStr, INT cbMultiByte,
                                     LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar) {
  return guarded<INT>(0, [&]() -> INT {
    if (lpUsedDefaultChar) *lpUsedDefaultChar = FALSE;
    if (!lpWideCharStr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0) return 0;
    if (cbMultiByte > 0 && !lpMultiByteStr) return 0;
    size_t length = 0;
    if (cchWideChar == -1) {
      while (lpWideCharStr[length] != 0) ++length;
      ++length;
    } else {
      length = size_t(cchWideChar);
    }
    CodePageConverter converter(CodePage);
    bool used = false;
    char replacement = lpDefaultChar && *lpDefaultChar ? *lpDefaultChar : ' ';
    auto bytes = converter.encode(
        std::u16string_view(reinterpret_cast<const char16_t*>(lpWideCharStr), length), replacement, &used);
    if (used && (dwFlags & WC_ERR_INVALID_CHARS)) return 0;
    if (lpUsedDefaultChar) *lpUsedDefaultChar = used ? TRUE : FALSE;
    return deliver<char>(bytes, lpMultiByteStr, cbMultiByte);
  });
}

PYRA_GDI_API BOOL IsValidCodePage(UINT CodePage) {
  return iconvNameForCodePage(CodePage) != nullptr && CodePage > 1 ? TRUE : FALSE;
}

PYRA_GDI_API UINT GetACP(void) { return 1252; }

PYRA_GDI_API INT MulDiv(INT nNumber, INT nNumerator, INT nDenominator) {
  if (nDenominator == 0) return -1;
  int64_t product = int64_t(nNumber) * nNumerator;
  int64_t den = nDenominator;
  bool negative = (product < 0) != (den < 0);
  uint64_t p = product < 0 ? uint64_t(-product) : uint64_t(product);
  uint64_t d = den < 0 ? uint64_t(-den) : uint64_t(den);
  uint64_t q = (p + d / 2) / d;  // halves away from zero
  if (q > uint64_t(INT_MAX) + (negative ? 1 : 0)) return -1;
  return negative ? INT(-int64_t(q)) : INT(q);
}

PYRA_GDI_API void OutputDebugStringA(LPCSTR) {}

}  // extern "C"
