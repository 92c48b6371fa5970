// Throughput of what every encrypted document pays for: MD5 and RC4 over
// stream data, AES per object, and the one-off cost of setting up each mode
// (the AES-256 password hash dominates that).
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/pdf/crypto/md5.h"
#include "engine/pdf/crypto/rc4.h"
#include "engine/pdf/crypto/standard_security.h"

namespace {

using pyra::pdf::KeyLengthMode;
using pyra::pdf::StandardSecurity;

const StandardSecurity::FileId kId = {'B', 'E', 'N', 'C', 'H', 'B', 'E', 'N', 'C', 'H', 'B', 'E', 'N', 'C', 'H', '!'};

void BM_Md5(benchmark::State& state) {
  std::vector<uint8_t> data(size_t(state.range(0)), 0x5A);
  for (auto _ : state) benchmark::DoNotOptimize(pyra::pdf::Md5::digest(data));
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Md5)->Arg(64)->Arg(1 << 20);

void BM_Rc4(benchmark::State& state) {
  std::vector<uint8_t> data(size_t(state.range(0)), 0x5A);
  const uint8_t key[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  for (auto _ : state) {
    pyra::pdf::Rc4(key).process(data);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Rc4)->Arg(64)->Arg(1 << 20);

// A content stream or string encrypted for its object, key derivation included.
void BM_EncryptObject(benchmark::State& state) {
  const auto mode = KeyLengthMode(state.range(0));
  const StandardSecurity security("owner", "user", 0x1F, mode, kId, false);
  const std::vector<uint8_t> plain(size_t(state.range(1)), 0x5A);
  uint32_t object = 1;
  for (auto _ : state) {
    std::vector<uint8_t> data = plain;
    security.encrypt(object++, 0, data);
    benchmark::DoNotOptimize(data.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * state.range(1));
}
BENCHMARK(BM_EncryptObject)->ArgsProduct({{0, 1, 2, 3}, {32, 64 << 10}});

void BM_SetUpHandler(benchmark::State& state) {
  const auto mode = KeyLengthMode(state.range(0));
  for (auto _ : state) {
    StandardSecurity security("owner", "user", 0x1F, mode, kId, false);
    benchmark::DoNotOptimize(security.dictionaryText().data());
  }
}
BENCHMARK(BM_SetUpHandler)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
