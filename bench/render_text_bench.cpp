// Text output speed: a report page written glyph by glyph (one text record
// per character, the shape many report generators give) and a page of
// whole-line runs with advances.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/pdf/pdf_device.h"
#include "engine/render/pdf_page_device.h"
#include "tests/testkit/emf_builder.h"

using pyra::testkit::EmfBuilder;

namespace {

void textRecord(EmfBuilder& b, int32_t x, int32_t y, const std::u16string& s, int32_t step) {
  const uint32_t n = uint32_t(s.size()), words = (n * 2 + 3) / 4;
  std::vector<uint32_t> w = {0, 0, 0, 0, 1, 0, 0, uint32_t(x), uint32_t(y), n, 76, 0, 0, 0, 0, 0, 76 + words * 4};
  std::u16string p = s;
  p.resize(words * 2, 0);
  for (size_t i = 0; i < p.size(); i += 2) w.push_back(uint32_t(p[i]) | uint32_t(p[i + 1]) << 16);
  for (uint32_t i = 0; i < n; ++i) w.push_back(uint32_t(step));
  b.record(84, w);
}

std::vector<uint8_t> page(bool per_glyph, int& runs) {
  EmfBuilder b({0, 0, 21000, 29700}, {0, 0, 794, 1123});
  std::vector<uint32_t> font = {1, uint32_t(-13), 0, 0, 0, 400, 0, 0};
  const std::u16string face = u"Arial";
  for (size_t i = 0; i < 32; i += 2)
    font.push_back((i < face.size() ? face[i] : 0) | uint32_t(i + 1 < face.size() ? face[i + 1] : 0) << 16);
  b.record(82, font).record(37, {1});
  const std::u16string line = u"Invoice 2026-0042  Item description  Qty 12  Price 1,234.50";
  runs = 0;
  for (int row = 0; row < 60; ++row) {
    const int32_t y = 40 + row * 17;
    if (per_glyph) {
      for (size_t i = 0; i < line.size(); ++i, ++runs) textRecord(b, 40 + int32_t(i) * 7, y, line.substr(i, 1), 7);
    } else {
      textRecord(b, 40, y, line, 7);
      ++runs;
    }
  }
  return b.bytes();
}

void playPages(benchmark::State& state, bool per_glyph) {
  int runs = 0;
  const std::vector<uint8_t> emf = page(per_glyph, runs);
  const std::string file = "/tmp/pyra_bench_text_" + std::to_string(per_glyph) + ".pdf";
  for (auto _ : state) {
    pyra::pdf::TPxPDFDevice document;
    document.setFileName(file);
    pyra::render::PdfPageDevice device(document);
    device.beginDocument(595, 842, 72);
    for (int p = 0; p < 10; ++p) {
      device.startPage(595, 842, 72, 72, 0);
      device.playMetafile(emf, 0, 0, 0, 0);
      device.endPage();
    }
    device.endDocument();
  }
  std::remove(file.c_str());
  state.counters["runs/s"] = benchmark::Counter(double(runs) * 10, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_TextPerGlyphTenPages(benchmark::State& state) { playPages(state, true); }
void BM_TextPerLineTenPages(benchmark::State& state) { playPages(state, false); }

}  // namespace

BENCHMARK(BM_TextPerGlyphTenPages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextPerLineTenPages)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
