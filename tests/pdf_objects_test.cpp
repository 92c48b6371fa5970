// The object model and filters: texts that readers parse, so each case is a
// byte-level rule of the file format.
#include <gtest/gtest.h>
#include <zlib.h>

#include <clocale>

#include "engine/pdf/error.h"
#include "engine/pdf/filters.h"
#include "engine/pdf/number_text.h"
#include "engine/pdf/pdf_device.h"
#include "engine/pdf/pdf_object.h"

using namespace pyra;
using namespace pyra::pdf;

namespace {

std::string str(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }
std::span<const uint8_t> bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// A device writing into memory, for object-level tests.
struct MemoryDevice {
  MemorySink sink;
  TPxPDFDevice device;
  MemoryDevice() {
    device.setExternalOutput(&sink);
    device.info().DontSaveInfo = true;
    EXPECT_TRUE(device.beginDocument(576, 800, 72, 0));
  }
  std::string text() const { return str(sink.data()); }
};

}  // namespace

TEST(NumberText, FollowsTheFixedRules) {
  struct Case { double v; const char* want; } cases[] = {
      {0, "0"}, {1, "1"}, {-0.0, "0"}, {42, "42"}, {-7, "-7"}, {0.5, "0.500"}, {12.3456, "12.346"},
      {0.333333, "0.333"}, {-0.0001, "0.000"}, {12345.678, "12345.680"}, {1234567.25, "1234567.000"},
  };
  for (const auto& c : cases) EXPECT_EQ(numberText(c.v), c.want) << c.v;
  EXPECT_THROW(numberText(std::nan("")), Error);
}

TEST(NumberText, IgnoresACommaDecimalLocale) {
  const char* locales[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE", "C.UTF-8"};
  std::string old = setlocale(LC_ALL, nullptr);
  for (const char* l : locales)
    if (setlocale(LC_ALL, l)) break;
  EXPECT_EQ(numberText(2.25), "2.250");
  EXPECT_EQ(fixedText(-1.5, 4), "-1.5000");
  setlocale(LC_ALL, old.c_str());
}

TEST(StringObjects, EscapeAsReadersExpect) {
  MemoryDevice m;
  struct Case { std::string in; std::string want; } cases[] = {
      {"Hello", "(Hello)"},
      {"a(b", "(a\\(b)"},
      {std::string(1, char(233)), "(\\351)"},
      {"back\\slash", "(back\\\\slash)"},
      {std::string("\n", 1), "(\\012)"},
  };
  for (auto& c : cases) EXPECT_EQ(TPxPDFString(&m.device, c.in).asString(), c.want) << c.in;
  std::string long_text(150, 'x');
  std::string out = TPxPDFString(&m.device, long_text).asString();
  size_t breaks = 0;
  for (size_t at = 0; (at = out.find("\\\r\n", at)) != std::string::npos; ++at) ++breaks;
  EXPECT_EQ(breaks, 1u);
  EXPECT_EQ(TPxPDFString(&m.device, "(raw)", true).asString(), "(raw)");
}

TEST(NameObjects, EscapeDelimitersAndBlanks) {
  EXPECT_EQ(pdfName("Arial"), "/Arial");
  EXPECT_EQ(pdfName("Times New Roman"), "/Times#20New#20Roman");
  EXPECT_EQ(pdfName("a/b#c"), "/a#2Fb#23c");
}

TEST(NumArrays, WriteNineteenAValueLine) {
  MemoryDevice m;
  TPxPDFNumArray a(&m.device);
  EXPECT_EQ(a.asString(), "[ ]");
  a.add(500); a.add(600); a.add(700);
  EXPECT_EQ(a.asString(), "[ 500 600 700 ]");
  TPxPDFNumArray b(&m.device);
  for (int i = 0; i < 20; ++i) b.add(i);
  std::string s = b.asString();
  EXPECT_EQ(s.find('\n'), s.find(" 18") + 3) << s;
}

TEST(Objects, NumberLazilyAndWriteOnce) {
  MemoryDevice m;
  TPxPDFNull first(&m.device);
  EXPECT_EQ(first.objectNumber(), 1);
  EXPECT_EQ(m.device.xref().entry(1), "undef TPxPDFNull");
  EXPECT_EQ(first.reference(), "1 0 R");
  first.writeObject();
  EXPECT_EQ(m.device.xref().entry(1).substr(10), " 00000 n");
  size_t size = m.sink.data().size();
  try {
    first.writeObject();
    FAIL() << "second write accepted";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("Object may only be written once!"), std::string::npos);
  }
  EXPECT_EQ(m.sink.data().size(), size) << "a refused write must leave the output alone";
  TPxCustomPDFType plain(&m.device);
  EXPECT_THROW(plain.asString(), Error);
}

TEST(Filters, Ascii85MatchesTheFormat) {
  EXPECT_EQ(str(ascii85Encode(bytes("abc"))), "@:E^~>\n");
  EXPECT_EQ(str(ascii85Encode(bytes(std::string(4, '\0')))), "z~>\n");
  // Long data breaks lines before 80 characters.
  std::string data(400, 'Q');
  std::string out = str(ascii85Encode(bytes(data)));
  size_t line_start = 0, longest = 0;
  for (size_t i = 0; i < out.size(); ++i)
    if (out[i] == '\n') { longest = std::max(longest, i - line_start); line_start = i + 1; }
  EXPECT_LE(longest, 80u);
}

TEST(Filters, HexBreaksEveryFortyBytes) {
  std::string out = str(hexEncode(bytes(std::string(81, '\x01'))));
  EXPECT_EQ(out.size(), 2 * 81 + 81 / 40 + 1u);
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 3);
  EXPECT_EQ(out.back(), '\n');
}

TEST(Filters, RunLengthRoundTripsAndEnds) {
  std::string data = std::string(300, 'a') + "xyz" + std::string(2, 'b') + "q";
  auto enc = runLengthEncode(bytes(data));
  ASSERT_EQ(enc.back(), 128);
  std::string dec;
  for (size_t i = 0; i < enc.size() && enc[i] != 128;) {
    int n = enc[i++];
    if (n < 128) { dec.append(reinterpret_cast<const char*>(&enc[i]), size_t(n + 1)); i += size_t(n + 1); }
    else { dec.append(size_t(257 - n), char(enc[i++])); }
  }
  EXPECT_EQ(dec, data);
}

TEST(Filters, FlateIsZlibFormat) {
  std::string data(10000, 'z');
  auto enc = flateEncode(bytes(data), 6);
  std::vector<uint8_t> out(data.size());
  uLongf n = out.size();
  ASSERT_EQ(uncompress(out.data(), &n, enc.data(), enc.size()), Z_OK);
  EXPECT_EQ(std::string(out.begin(), out.begin() + long(n)), data);
}

TEST(Streams, FiltersStackOutermostFirstAndRunLengthNeverLengthens) {
  struct Case { uint8_t compression, encoding; std::string data; std::string want_filter; };
  Case cases[] = {
      {1, 1, std::string(100, 'a'), "/Filter [/ASCII85Decode/FlateDecode]"},
      {3, 2, std::string(100, 'a'), "/Filter [/ASCIIHexDecode/FlateDecode]"},
      {2, 0, std::string(100, 'a'), "/Filter [/RunLengthDecode]"},
      {2, 0, "abcdefghij", ""},
      {0, 0, "abc", ""},
  };
  for (auto& c : cases) {
    MemoryDevice m;
    m.device.setCompression(c.compression);
    m.device.setEncoding(c.encoding);
    TPxPDFStream s(&m.device);
    s.append(c.data);
    s.writeStream();
    std::string t = m.text();
    if (c.want_filter.empty()) {
      EXPECT_EQ(t.find("/Filter"), std::string::npos) << t;
    } else {
      EXPECT_NE(t.find(c.want_filter), std::string::npos) << t;
    }
    if (c.compression == 2 && c.want_filter.empty()) {
      EXPECT_NE(t.find("/Length 10 >>\r\nstream\n" + c.data + "\nendstream"), std::string::npos) << t;
    }
  }
}
