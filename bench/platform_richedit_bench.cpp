// The rich-text object: reading RTF (bytes per second) and laying a long
// document out page by page with real fonts (characters per second), the
// work PYRA_RichEditPrint asks of it per document.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/richedit_object.h"
#include "platform/richedit_rtf_reader.h"
#include "pyra/gdi.h"

namespace {

using namespace pyra::gdi;

// About 1 MB of RTF: paragraphs of mixed bold, italic, sizes and colours.
std::string sampleRtf() {
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman Times New Roman;}}"
                    "{\\colortbl;\\red200\\green0\\blue0;}";
  const char* words[] = {"invoice", "customer", "caf\\'e9", "\\u8364?", "total", "shipping", "order", "line"};
  for (int p = 0; rtf.size() < 1'000'000; ++p) {
    rtf += p % 3 == 0 ? "\\pard\\qj " : "\\pard ";
    for (int w = 0; w < 60; ++w) {
      if (w % 17 == 0) rtf += "{\\b ";
      if (w % 23 == 0) rtf += "{\\i\\cf1\\f1\\fs28 ";
      rtf += words[(p + w) % 8];
      if (w % 23 == 0) rtf += "}";
      if (w % 17 == 0) rtf += "}";
      rtf += " ";
    }
    rtf += "\\par\n";
  }
  return rtf + "}";
}

void BM_ReadRtf(benchmark::State& state) {
  const std::string rtf = sampleRtf();
  for (auto _ : state) {
    RichDocument doc;
    readRtf({reinterpret_cast<const uint8_t*>(rtf.data()), rtf.size()}, doc);
    benchmark::DoNotOptimize(doc.size());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(rtf.size()));
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond);

void BM_PaginateLetterPages(benchmark::State& state) {
  const std::string rtf = sampleRtf();
  RichEditObject edit;
  edit.setRtfOrText({reinterpret_cast<const uint8_t*>(rtf.data()), rtf.size()});
  const int64_t length = edit.textLength();
  HDC dc = CreateCompatibleDC(0);
  int64_t pages = 0;
  for (auto _ : state) {
    FORMATRANGE fr{};
    fr.hdc = fr.hdcTarget = dc;
    fr.rc = fr.rcPage = RECT{720, 720, 1440 * 8 - 720, 1440 * 11 - 720};  // Letter, half-inch margins
    for (LRESULT next = 0; next >= 0 && next < length; ++pages) {
      fr.chrg = {LONG(next), -1};
      next = edit.formatRange(false, &fr);
    }
  }
  DeleteDC(dc);
  state.SetItemsProcessed(int64_t(state.iterations()) * length);
  state.counters["pages"] = benchmark::Counter(double(pages) / double(state.iterations()));
}
BENCHMARK(BM_PaginateLetterPages)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
