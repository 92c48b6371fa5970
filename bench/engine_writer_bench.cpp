// The writer streams forward: many pages cost time linear in their number
// and memory that does not grow with them.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <string>

#include "pyra/pyractl.h"

namespace {

void onWrite(int32_t, int32_t, const void*, int32_t) {}

long peakRssKb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss;
}

void EmptyPagesToFile(benchmark::State& state) {
  std::string file = "/tmp/pyra-bench-" + std::to_string(getpid()) + ".pdf";
  for (auto _ : state) {
    int32_t env = PYRA_Initialize();
    PYRA_BeginDoc(env, file.c_str(), 0);
    for (int64_t i = 0; i < state.range(0); ++i) PYRA_StartPageEx(env, 612, 792, 0);
    PYRA_EndDoc(env);
    PYRA_Finalize(env);
  }
  unlink(file.c_str());
  state.counters["pages/s"] = benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["peak_rss_MB"] = double(peakRssKb()) / 1024.0;
}
BENCHMARK(EmptyPagesToFile)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void EmptyPagesToStream(benchmark::State& state) {
  PyraOptions o{};
  o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
  o.ONSTREAMWRITE = onWrite;
  for (auto _ : state) {
    int32_t env = PYRA_InitializeEx(&o);
    PYRA_BeginDoc(env, "", 1);
    for (int64_t i = 0; i < state.range(0); ++i) PYRA_StartPageEx(env, 612, 792, 0);
    PYRA_EndDoc(env);
    PYRA_Finalize(env);
  }
  state.counters["peak_rss_MB"] = double(peakRssKb()) / 1024.0;
}
BENCHMARK(EmptyPagesToStream)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
