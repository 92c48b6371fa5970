// Code pages: both directions for every Windows code page the engine uses;
// unmappable characters become a space and the caller is told.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "pyra/gdi.h"

namespace {

struct PageCase {
  UINT page;
  std::u16string text;
  std::string bytes;
};

const PageCase kPages[] = {
    {874, u"A\u0E01", "A\xA1"},
    {932, u"A\u3042\uFF71", "A\x82\xA0\xB1"},  // hiragana a (two bytes), half-width katakana a (one)
    {936, u"A\u4E2D", "A\xD6\xD0"},
    {949, u"A\uD55C", "A\xC7\xD1"},
    {950, u"A\u4E2D", "A\xA4\xA4"},
    {1250, u"A\u0141", "A\xA3"},
    {1251, u"A\u0416", "A\xC6"},
    {1252, u"A\u20AC\u00E9", "A\x80\xE9"},
    {1253, u"A\u03A9", "A\xD9"},
    {1254, u"A\u011F", "A\xF0"},
    {1255, u"A\u05D0", "A\xE0"},
    {1256, u"A\u0639", "A\xDA"},
    {1257, u"A\u0105", "A\xE0"},
    {1258, u"A\u0111", "A\xF0"},
};

std::u16string toWide(UINT page, const std::string& bytes, INT* result = nullptr) {
  INT n = MultiByteToWideChar(page, 0, bytes.data(), INT(bytes.size()), nullptr, 0);
  std::u16string out(size_t(n > 0 ? n : 0), u'\0');
  INT got = MultiByteToWideChar(page, 0, bytes.data(), INT(bytes.size()), reinterpret_cast<WCHAR*>(out.data()), n);
  if (result) *result = got;
  return out;
}

std::string toBytes(UINT page, const std::u16string& text, BOOL* used, const char* default_char = nullptr) {
  auto* w = reinterpret_cast<const WCHAR*>(text.data());
  INT n = WideCharToMultiByte(page, 0, w, INT(text.size()), nullptr, 0, default_char, used);
  std::string out(size_t(n > 0 ? n : 0), '\0');
  WideCharToMultiByte(page, 0, w, INT(text.size()), out.data(), n, default_char, used);
  return out;
}

TEST(PlatformCodePages, EveryPageConvertsBothWays) {
  for (const auto& c : kPages) {
    EXPECT_TRUE(IsValidCodePage(c.page)) << c.page;
    EXPECT_EQ(toWide(c.page, c.bytes), c.text) << "to UTF-16, code page " << c.page;
    BOOL used = TRUE;
    EXPECT_EQ(toBytes(c.page, c.text, &used), c.bytes) << "to bytes, code page " << c.page;
    EXPECT_FALSE(used) << "nothing substituted, code page " << c.page;
  }
  EXPECT_FALSE(IsValidCodePage(12345));
  EXPECT_EQ(MultiByteToWideChar(12345, 0, "a", 1, nullptr, 0), 0);
}

TEST(PlatformCodePages, UnmappableCharactersBecomeASpaceAndAreReported) {
  struct Case {
    const char* name;
    UINT page;
    std::u16string text;
    std::string expected;
  } cases[] = {
      {"CJK into 1252", 1252, u"a\u4E00b", "a b"},
      {"Cyrillic into 1250", 1250, u"\u0416", " "},
      {"Greek into 932", 932, u"x\u03A9\u20AC", "x\x83\xB6 "},  // omega exists in 932, the euro does not
      {"surrogate pair is one character", 1252, u"a\U0001F600b", "a b"},
      {"lone high surrogate", 1252, u"a\xD800" u"b", "a b"},
      {"lone surrogate at the end", 1252, u"a\xDC00", "a "},
  };
  for (const auto& c : cases) {
    BOOL used = FALSE;
    EXPECT_EQ(toBytes(c.page, c.text, &used), c.expected) << c.name;
    EXPECT_TRUE(used) << c.name;
  }
  BOOL used = FALSE;
  EXPECT_EQ(toBytes(1252, u"a\u4E00", &used, "?"), "a?") << "the caller's default character wins";
  EXPECT_TRUE(used);
  const std::u16string cjk = u"\u4E00";
  EXPECT_EQ(WideCharToMultiByte(1252, WC_ERR_INVALID_CHARS, reinterpret_cast<const WCHAR*>(cjk.data()), 1, nullptr, 0,
                                nullptr, nullptr),
            0);
}

TEST(PlatformCodePages, InvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(toWide(932, "a\x81"), u"a\uFFFD") << "lead byte without trail";
  EXPECT_EQ(toWide(932, "\xFF" "b"), u"\uFFFD" u"b");
  EXPECT_EQ(toWide(1252, "\x81"), u"\uFFFD") << "unassigned in 1252";
  EXPECT_EQ(MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, "a\x81", 2, nullptr, 0), 0);
}

TEST(PlatformCodePages, SizesTerminatorsAndBufferRules) {
  WCHAR w[8] = {};
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, nullptr, 0), 4) << "terminator counted";
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, w, 8), 4);
  EXPECT_EQ(w[3], 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, w, 2), 0) << "too small: nothing promised";
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 0, w, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, nullptr, 3, w, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -2, w, 8), 0);
  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, nullptr, 8), 0);
  char b[8] = {};
  const WCHAR text[] = {'h', 'i', 0};
  EXPECT_EQ(WideCharToMultiByte(1252, 0, text, -1, b, 8, nullptr, nullptr), 3);
  EXPECT_STREQ(b, "hi");
  EXPECT_EQ(WideCharToMultiByte(1252, 0, text, 2, b, 1, nullptr, nullptr), 0);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, text, -5, b, 8, nullptr, nullptr), 0);
  // Long text crosses the converter's internal buffer boundaries intact.
  std::u16string long_text;
  for (int i = 0; i < 5000; ++i) long_text += (i % 3 == 0) ? u'\u3042' : u'x';
  BOOL used = TRUE;
  std::string sjis = toBytes(932, long_text, &used);
  EXPECT_FALSE(used);
  EXPECT_EQ(toWide(932, sjis), long_text);
}

TEST(PlatformCodePages, MulDivRoundsToNearest) {
  struct Case {
    INT a, b, c, expected;
  } cases[] = {
      {10, 1000, 3, 3333}, {2, 1, 4, 1},      {3, 1, 4, 1},   {-2, 1, 4, -1}, {1, 1, 2, 1},
      {-1, 1, 2, -1},      {1, 1, 0, -1},     {INT_MAX, INT_MAX, 1, -1},       {INT_MAX, 2, 2, INT_MAX},
      {1931, 1000, 2048, 943},                {455, 1000, 2048, 222},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

}  // namespace
