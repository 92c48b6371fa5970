#include "platform/charset_text.h"

#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/charset_code_page.h"

namespace pyra::gdi {

uint32_t codePageOfCharset(uint8_t charset) {
  // Metafile text also comes in the Mac, Johab and OEM sets, which this
  // codec reaches through iconv.
  switch (charset) {
    case 77: return 10000;  // MAC_CHARSET
    case 130: return 1361;  // JOHAB_CHARSET
    case 255: return 437;   // OEM_CHARSET
    default: return codePageForCharset(charset);
  }
}

namespace {
std::string iconvName(uint32_t cp) {
  switch (cp) {
    case 10000: return "MACINTOSH";
    case 1361: return "JOHAB";
    case 437: return "CP437";
    default: return "CP" + std::to_string(cp);
  }
}
}  // namespace

CharsetDecoder::~CharsetDecoder() {
  for (auto* table : {&open_, &open_encode_})
    for (auto& [cp, d] : *table)
      if (d != reinterpret_cast<void*>(-1)) iconv_close(static_cast<iconv_t>(d));
}

void* CharsetDecoder::descriptor(uint32_t cp, bool to_bytes) {
  auto& table = to_bytes ? open_encode_ : open_;
  auto it = table.find(cp);
  if (it != table.end()) return it->second;
  const std::string name = iconvName(cp);
  iconv_t d = to_bytes ? iconv_open(name.c_str(), "UTF-16LE") : iconv_open("UTF-16LE", name.c_str());
  if (d == reinterpret_cast<iconv_t>(-1) && cp != 1252)
    d = to_bytes ? iconv_open("CP1252", "UTF-16LE") : iconv_open("UTF-16LE", "CP1252");
  table.emplace(cp, reinterpret_cast<void*>(d));
  return reinterpret_cast<void*>(d);
}

std::string CharsetDecoder::encode(std::u16string_view text, uint8_t charset, std::vector<uint8_t>* per_unit) {
  std::string out;
  if (per_unit) per_unit->clear();
  const uint32_t cp = codePageOfCharset(charset);
  void* d = cp == 0 ? reinterpret_cast<void*>(-1) : descriptor(cp, true);
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (cp == 0 || d == reinterpret_cast<void*>(-1)) {
      // Symbol fonts: U+F0xx and U+00xx both mean byte xx.
      const bool byte = u < 0x100 || (cp == 0 && u >= 0xF000 && u <= 0xF0FF);
      out.push_back(byte ? char(u & 0xFF) : '?');
      if (per_unit) per_unit->push_back(1);
      continue;
    }
    const bool pair = u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                      text[i + 1] <= 0xDFFF;
    char16_t in_units[2] = {u, pair ? text[i + 1] : u'\0'};
    char* in = reinterpret_cast<char*>(in_units);
    size_t in_left = pair ? 4 : 2;
    char buf[8];
    char* outp = buf;
    size_t out_left = sizeof buf;
    iconv_t cd = static_cast<iconv_t>(d);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const size_t rc = iconv(cd, &in, &in_left, &outp, &out_left);
    size_t n = sizeof buf - out_left;
    if (rc == size_t(-1) || n == 0) {
      buf[0] = '?';
      n = 1;
    }
    out.append(buf, n);
    if (per_unit) {
      per_unit->push_back(uint8_t(n));
      if (pair) per_unit->push_back(0);
    }
    if (pair) ++i;
  }
  return out;
}

const std::array<char16_t, 256>* CharsetDecoder::singleByteTable(uint32_t cp) {
  if (cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 1361) return nullptr;
  auto it = tables_.find(cp);
  if (it != tables_.end()) return &it->second;
  std::array<char16_t, 256> table;
  void* d = descriptor(cp, false);
  for (int b = 0; b < 256; ++b) {
    table[size_t(b)] = b < 0x80 ? char16_t(b) : u'\uFFFD';
    if (d == reinterpret_cast<void*>(-1)) continue;
    iconv_t cd = static_cast<iconv_t>(d);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in_byte = char(b);
    char* in = &in_byte;
    size_t in_left = 1;
    char16_t unit[2];
    char* outp = reinterpret_cast<char*>(unit);
    size_t out_left = sizeof unit;
    if (iconv(cd, &in, &in_left, &outp, &out_left) != size_t(-1) && out_left == 2) table[size_t(b)] = unit[0];
  }
  return &tables_.emplace(cp, table).first->second;
}

std::u16string CharsetDecoder::decode(std::span<const uint8_t> text, uint8_t charset,
                                      std::vector<uint8_t>* per_unit) {
  std::u16string out;
  if (per_unit) per_unit->clear();
  const uint32_t cp = codePageOfCharset(charset);
  if (cp == 0) {
    for (uint8_t b : text) {
      out.push_back(char16_t(0xF000 + b));
      if (per_unit) per_unit->push_back(1);
    }
    return out;
  }
  if (const auto* table = singleByteTable(cp)) {
    for (uint8_t b : text) {
      out.push_back((*table)[b]);
      if (per_unit) per_unit->push_back(1);
    }
    return out;
  }
  void* d = descriptor(cp, false);
  if (d == reinterpret_cast<void*>(-1)) {
    for (uint8_t b : text) {
      out.push_back(b < 0x80 ? char16_t(b) : u'\uFFFD');
      if (per_unit) per_unit->push_back(1);
    }
    return out;
  }
  iconv_t cd = static_cast<iconv_t>(d);
  // One character at a time: a lead byte that needs its trail is retried
  // with two bytes, so each produced unit knows its source length.
  size_t i = 0;
  while (i < text.size()) {
    size_t consumed = 0;
    char16_t buf[4];
    size_t produced = 0;
    for (size_t len = 1; len <= 2 && i + len <= text.size(); ++len) {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      char* in = const_cast<char*>(reinterpret_cast<const char*>(text.data() + i));
      size_t in_left = len;
      char* outp = reinterpret_cast<char*>(buf);
      size_t out_left = sizeof buf;
      const size_t rc = iconv(cd, &in, &in_left, &outp, &out_left);
      if (rc != size_t(-1) && in_left == 0) {
        consumed = len;
        produced = (sizeof buf - out_left) / 2;
        break;
      }
      if (errno != EINVAL) break;  // invalid, not merely incomplete
    }
    if (consumed == 0 || produced == 0) {
      out.push_back(u'\uFFFD');
      if (per_unit) per_unit->push_back(1);
      ++i;
      continue;
    }
    for (size_t k = 0; k < produced; ++k) {
      out.push_back(buf[k]);
      if (per_unit) per_unit->push_back(k == 0 ? uint8_t(consumed) : 0);
    }
    i += consumed;
  }
  return out;
}

}  // namespace pyra::gdi
