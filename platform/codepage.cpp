#include "platform/codepage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace pyra::gdi {

unsigned normalizedCodePage(unsigned code_page) {
  return code_page == 0 || code_page == 1 ? 1252 : code_page;
}

const char* iconvNameForCodePage(unsigned code_page) {
  switch (normalizedCodePage(code_page)) {
    case 874: return "CP874";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1252: return "CP1252";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    case 65001: return "UTF-8";
    default: return nullptr;
  }
}

bool isAsciiCompatible(unsigned code_page) {
  // All the code pages we convert keep ASCII in the low half.
  return iconvNameForCodePage(code_page) != nullptr;
}

std::string utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | c >> 6);
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | c >> 12);
      out += char(0x80 | (c >> 6 & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | c >> 18);
      out += char(0x80 | (c >> 12 & 0x3F));
      out += char(0x80 | (c >> 6 & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string utf16FromUtf8(std::string_view text) {
  std::u16string out;
  size_t i = 0;
  while (i < text.size()) {
    uint8_t b = uint8_t(text[i]);
    uint32_t c;
    size_t n;
    if (b < 0x80) { c = b; n = 1; }
    else if ((b & 0xE0) == 0xC0) { c = b & 0x1F; n = 2; }
    else if ((b & 0xF0) == 0xE0) { c = b & 0x0F; n = 3; }
    else if ((b & 0xF8) == 0xF0) { c = b & 0x07; n = 4; }
    else { out += u'\uFFFD'; ++i; continue; }
    if (i + n > text.size()) { out += u'\uFFFD'; break; }
    bool ok = true;
    for (size_t k = 1; k < n; ++k) {
      uint8_t t = uint8_t(text[i + k]);
      if ((t & 0xC0) != 0x80) { ok = false; break; }
      c = c << 6 | (t & 0x3F);
    }
    if (!ok || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) { out += u'\uFFFD'; ++i; continue; }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += char16_t(0xD800 + (c >> 10));
      out += char16_t(0xDC00 + (c & 0x3FF));
    } else {
      out += char16_t(c);
    }
    i += n;
  }
  return out;
}

namespace {
const iconv_t kNoIconv = iconv_t(-1);
}

CodePageConverter::CodePageConverter(unsigned code_page)
    : code_page_(normalizedCodePage(code_page)), name_(iconvNameForCodePage(code_page)) {
  if (!name_) throw std::invalid_argument("code page " + std::to_string(code_page) + " not supported");
}

CodePageConverter::~CodePageConverter() {
  if (to_utf16_ != kNoIconv) iconv_close(to_utf16_);
  if (from_utf16_ != kNoIconv) iconv_close(from_utf16_);
}

std::u16string CodePageConverter::decode(std::span<const uint8_t> bytes, bool* invalid) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t ascii = 0;
  while (ascii < bytes.size() && bytes[ascii] < 0x80) ++ascii;
  if (ascii == bytes.size() && code_page_ != 65001 && code_page_ != 1258 && code_page_ != 1255) {
    // The common case: nothing beyond ASCII, so no descriptor is needed.
    for (uint8_t b : bytes) out += char16_t(b);
    return out;
  }
  if (to_utf16_ == kNoIconv) {
    to_utf16_ = iconv_open("UTF-16LE", name_);
    if (to_utf16_ == kNoIconv) throw std::runtime_error(std::string("iconv cannot open ") + name_);
  } else {
    iconv(to_utf16_, nullptr, nullptr, nullptr, nullptr);
  }
  char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
  size_t in_left = bytes.size();
  char buffer[1024];
  auto flush = [&](char* end) {
    for (char* p = buffer; p + 1 < end; p += 2)
      out += char16_t(uint8_t(p[0]) | uint8_t(p[1]) << 8);
  };
  while (in_left > 0) {
    char* o = buffer;
    size_t o_left = sizeof buffer;
    size_t r = iconv(to_utf16_, &in, &in_left, &o, &o_left);
    flush(o);
    if (r != size_t(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ: a byte that means nothing here; EINVAL: a lead byte at the end.
    out += u'\uFFFD';
    if (invalid) *invalid = true;
    if (errno == EINVAL) { in_left = 0; break; }
    ++in;
    --in_left;
    iconv(to_utf16_, nullptr, nullptr, nullptr, nullptr);
  }
  // Code pages with combining sequences hold the last character back.
  char* o = buffer;
  size_t o_left = sizeof buffer;
  iconv(to_utf16_, nullptr, nullptr, &o, &o_left);
  flush(o);
  return out;
}

char16_t CodePageConverter::decodeByte(uint8_t byte) {
  if (byte < 0x80) return byte;
  bool invalid = false;
  auto s = decode(std::span<const uint8_t>(&byte, 1), &invalid);
  if (invalid || s.size() != 1) return 0;
  return s[0];
}

std::string CodePageConverter::encode(std::u16string_view text, char replacement, bool* used_default) {
  std::string out;
  out.reserve(text.size());
  bool ascii = true;
  for (char16_t c : text) if (c >= 0x80) { ascii = false; break; }
  if (ascii) {
    for (char16_t c : text) out += char(c);
    return out;
  }
  if (from_utf16_ == kNoIconv) {
    from_utf16_ = iconv_open(name_, "UTF-16LE");
    if (from_utf16_ == kNoIconv) throw std::runtime_error(std::string("iconv cannot open ") + name_);
  } else {
    iconv(from_utf16_, nullptr, nullptr, nullptr, nullptr);
  }
  std::string input;
  input.reserve(text.size() * 2);
  for (char16_t c : text) {
    input += char(c & 0xFF);
    input += char(c >> 8);
  }
  char* in = input.data();
  size_t in_left = input.size();
  char buffer[1024];
  while (in_left > 0) {
    char* o = buffer;
    size_t o_left = sizeof buffer;
    size_t r = iconv(from_utf16_, &in, &in_left, &o, &o_left);
    out.append(buffer, size_t(o - buffer));
    if (r != size_t(-1)) break;
    if (errno == E2BIG) continue;
    out += replacement;
    if (used_default) *used_default = true;
    if (errno == EINVAL) { in_left = 0; break; }
    // Skip the whole character: two units when they form a surrogate pair.
    size_t skip = 2;
    if (in_left >= 4) {
      char16_t hi = char16_t(uint8_t(in[0]) | uint8_t(in[1]) << 8);
      char16_t lo = char16_t(uint8_t(in[2]) | uint8_t(in[3]) << 8);
      if (hi >= 0xD800 && hi <= 0xDBFF && lo >= 0xDC00 && lo <= 0xDFFF) skip = 4;
    }
    skip = std::min(skip, in_left);
    in += skip;
    in_left -= skip;
    iconv(from_utf16_, nullptr, nullptr, nullptr, nullptr);
  }
  char* o = buffer;
  size_t o_left = sizeof buffer;
  iconv(from_utf16_, nullptr, nullptr, &o, &o_left);
  out.append(buffer, size_t(o - buffer));
  return out;
}

}  // namespace pyra::gdi
