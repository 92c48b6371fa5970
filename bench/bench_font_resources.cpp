// What the text path pays per run: finding the font resource again,
// measuring and converting a line of text; and what a document pays once per
// font: loading metrics (and the program when embedding).
#include <benchmark/benchmark.h>

#include "engine/fonts/font_resources.h"
#include "engine/pdf/byte_sink.h"
#include "engine/pdf/pdf_device.h"

using namespace pyra;
using namespace pyra::fonts;

namespace {

struct Doc {
  pdf::MemorySink sink;
  pdf::TPxPDFDevice device;
  std::unique_ptr<FontMetricsSource> platform = makeGdiFontMetricsSource();
  std::unique_ptr<FontResources> fonts;
  explicit Doc(uint8_t mode) {
    device.setExternalOutput(&sink);
    device.setFontMode(mode);
    device.beginDocument(612, 792, 72, 0);
    fonts = std::make_unique<FontResources>(device, *platform);
  }
};

const char16_t kLatin[] = u"The quick brown fox jumps over the lazy dog, 0123456789 times and again: \u20ac";
const char16_t kCyrillic[] = u"\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451 \u044d\u0442\u0438\u0445 "
                             u"\u043c\u044f\u0433\u043a\u0438\u0445 \u0444\u0440\u0430\u043d\u0446\u0443\u0437\u0441";

void BM_FindExistingFont(benchmark::State& state) {
  Doc doc(0);
  const char* faces[] = {"Arial", "Times New Roman", "Courier New"};
  for (const char* f : faces)
    for (int cs : {0, 204, 238})
      for (uint8_t st = 0; st < 4; ++st) doc.fonts->findOrCreateFont(f, cs, st);
  for (auto _ : state) benchmark::DoNotOptimize(doc.fonts->findOrCreateFont("courier new", 238, 3));
}
BENCHMARK(BM_FindExistingFont);

void BM_TextWidthW(benchmark::State& state) {
  Doc doc(uint8_t(state.range(0)));
  doc.fonts->findOrCreateFont("Arial", 0, 0);
  for (auto _ : state) benchmark::DoNotOptimize(doc.fonts->textWidthW(kLatin, 12));
  state.SetLabel(state.range(0) ? "embedded (program tables)" : "by reference (widths)");
}
BENCHMARK(BM_TextWidthW)->Arg(0)->Arg(1);

void BM_WideToAnsiCyrillic(benchmark::State& state) {
  Doc doc(0);
  doc.fonts->findOrCreateFont("Arial", 204, 0);
  for (auto _ : state) benchmark::DoNotOptimize(doc.fonts->wideToAnsi(kCyrillic));
}
BENCHMARK(BM_WideToAnsiCyrillic);

void BM_MarkUsedSubset(benchmark::State& state) {
  Doc doc(5);
  doc.fonts->findOrCreateFont("Arial", 0, 0);
  for (auto _ : state) doc.fonts->markUsedW(kLatin);
}
BENCHMARK(BM_MarkUsedSubset);

void BM_CreateFont(benchmark::State& state) {
  for (auto _ : state) {
    Doc doc(uint8_t(state.range(0)));
    benchmark::DoNotOptimize(doc.fonts->findOrCreateFont("Arial", 204, 1));
  }
  state.SetLabel(state.range(0) ? "with program read and parsed" : "metrics and widths only");
}
BENCHMARK(BM_CreateFont)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
BENCHMARK_MAIN();
