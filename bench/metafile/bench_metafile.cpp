// A report page is a few thousand records: validating an EMF and converting
// a WMF of that size should cost well under a millisecond each.
#include <benchmark/benchmark.h>

#include "platform/emf_reader.h"
#include "platform/metafile_records.h"
#include "platform/wmf_to_emf.h"
#include "platform/wmf_writer.h"

namespace {

using namespace pyra::gdi;

std::vector<uint8_t> reportPage(int lines) {
  WmfWriter w;
  w.simple(mf::kMetaSetWindowExt, {11000, 8500});
  w.begin(mf::kMetaCreateFontIndirect);
  for (int16_t v : {-120, 0, 0, 0, 400}) w.i16(v);
  const uint8_t rest[] = {0, 0, 0, 0, 0, 0, 0, 0, 'A', 'r', 'i', 'a', 'l', 0};
  w.bytes(rest);
  w.end();
  w.simple(mf::kMetaSelectObject, {0});
  const uint8_t text[] = "Invoice line with some text  ";
  for (int i = 0; i < lines; ++i) {
    w.simple(mf::kMetaMoveTo, {int16_t(i * 10), 100});
    w.simple(mf::kMetaLineTo, {int16_t(i * 10), 8000});
    w.begin(mf::kMetaExtTextOut);
    w.i16(int16_t(i * 10));
    w.i16(200);
    w.i16(28);
    w.u16(0);
    w.bytes(std::span<const uint8_t>(text, 28));
    for (int k = 0; k < 28; ++k) w.i16(60);
    w.end();
  }
  return w.finish();
}

void BM_WmfToEmf(benchmark::State& state) {
  const auto wmf = reportPage(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(convertWmfToEmf(wmf, {}));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(wmf.size()));
}
BENCHMARK(BM_WmfToEmf)->Arg(100)->Arg(1000);

void BM_EmfValidate(benchmark::State& state) {
  const auto emf = convertWmfToEmf(reportPage(int(state.range(0))), {});
  for (auto _ : state) benchmark::DoNotOptimize(EmfReader::validate(emf));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(emf.size()));
}
BENCHMARK(BM_EmfValidate)->Arg(100)->Arg(1000);

}  // namespace
BENCHMARK_MAIN();
