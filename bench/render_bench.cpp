// Content-stream generation speed: a million path segments per page must
// cost well under a second, and memory must track the stream size alone.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <vector>

#include "engine/render/content_writer.h"

using namespace pyra::render;

namespace {

constexpr int kSegments = 1000000;

double peakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024.0;
}

void report(benchmark::State& state, ContentWriter& w, size_t bytes) {
  state.counters["segments/s"] = benchmark::Counter(double(kSegments), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["stream_MB"] = double(bytes) / 1e6;
  state.counters["buffer_MB"] = double(w.buffer().capacity()) / 1e6;
  state.counters["peak_rss_MB"] = peakRssMb();
}

// One polyline of a million points: the shape a chart or a scanned outline gives.
void BM_PolylineMillionPoints(benchmark::State& state) {
  std::vector<Point> pts(kSegments + 1);
  for (int i = 0; i <= kSegments; ++i) pts[i] = {i % 5000, (i * 7) % 3000};
  ContentWriter w;
  w.beginPage(595, 842, 96, 96);
  size_t bytes = 0;
  for (auto _ : state) {
    w.startOutput();
    w.polyline(pts);
    bytes = w.endOutput().size();
  }
  report(state, w, bytes);
}
BENCHMARK(BM_PolylineMillionPoints)->Unit(benchmark::kMillisecond);

// A million separate LineTo records: each one a move, a line and a stroke.
void BM_LineToMillionRecords(benchmark::State& state) {
  ContentWriter w;
  w.beginPage(595, 842, 96, 96);
  w.dc().selectPen(penFromLogPen(0, 2, 0x336699));
  size_t bytes = 0;
  for (auto _ : state) {
    w.startOutput();
    w.moveTo(0, 0);
    for (int i = 0; i < kSegments; ++i) w.lineTo(i % 5000, (i * 7) % 3000);
    bytes = w.endOutput().size();
  }
  report(state, w, bytes);
}
BENCHMARK(BM_LineToMillionRecords)->Unit(benchmark::kMillisecond);

// Segments in an anisotropic mapping with large extents: coordinates are
// divided by the precision factor and written as decimals.
void BM_LineToUnderPrecisionFactor(benchmark::State& state) {
  ContentWriter w;
  w.beginPage(595, 842, 96, 96);
  w.dc().setMapMode(kMmAnisotropic);
  w.dc().setWindowExt(50000, 50000);
  w.dc().setViewportExt(800, 800);
  size_t bytes = 0;
  for (auto _ : state) {
    w.startOutput();
    w.moveTo(0, 0);
    for (int i = 0; i < kSegments; ++i) w.lineTo(i % 50000, (i * 7) % 30000);
    bytes = w.endOutput().size();
  }
  report(state, w, bytes);
}
BENCHMARK(BM_LineToUnderPrecisionFactor)->Unit(benchmark::kMillisecond);

// Filled shapes with colour changes: the attribute comparison on every shape.
void BM_RectanglesAlternatingBrushes(benchmark::State& state) {
  ContentWriter w;
  w.beginPage(595, 842, 96, 96);
  size_t bytes = 0;
  for (auto _ : state) {
    w.startOutput();
    for (int i = 0; i < kSegments / 4; ++i) {
      w.dc().selectBrush(BrushValues{kBsSolid, uint32_t(i & 1 ? 0xFF : 0xFF00), 0});
      w.rectangle(i % 700, i % 900, i % 700 + 20, i % 900 + 10);
    }
    bytes = w.endOutput().size();
  }
  report(state, w, bytes);
}
BENCHMARK(BM_RectanglesAlternatingBrushes)->Unit(benchmark::kMillisecond);

// Arcs and ellipses: trigonometry per segment.
void BM_EllipsesQuarterMillion(benchmark::State& state) {
  ContentWriter w;
  w.beginPage(595, 842, 96, 96);
  size_t bytes = 0;
  for (auto _ : state) {
    w.startOutput();
    for (int i = 0; i < kSegments / 4; ++i) w.ellipse(i % 700, i % 900, i % 700 + 30, i % 900 + 20);
    bytes = w.endOutput().size();
  }
  report(state, w, bytes);
}
BENCHMARK(BM_EllipsesQuarterMillion)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
