#pragma once
// Windows character sets as the font resources see them: the code page a
// font's 8-bit text is in, and which CJK collection a charset asks for.
#include <cstdint>

namespace pyra::fonts {

// The ANSI code page of a character set; 1252 for every set without one of
// its own (including values above 255).
uint32_t codePageForCharset(int32_t charset);

enum class CjkKind : uint8_t { None = 0, Japanese = 1, Korean = 2, SimplifiedChinese = 3, TraditionalChinese = 4 };
CjkKind cjkKindForCharset(int32_t charset);

inline constexpr int32_t kAnsiCharset = 0;
inline constexpr int32_t kDefaultCharset = 1;
inline constexpr int32_t kSymbolCharset = 2;

}  // namespace pyra::fonts
