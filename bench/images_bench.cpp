// Image encoding at page size: a 2480 x 3508 (A4 at 300 dpi) 24-bit DIB,
// mostly white with text-like strokes and a photographic block, through
// DIB decoding, Flate (libdeflate, which the writer uses, against zlib's
// compress2 at the same levels) and JPEG.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include <zlib.h>

#include "engine/images/dib_decoder.h"
#include "engine/images/dib_image.h"
#include "engine/images/jpeg_encoder.h"
#include "engine/pdf/filters.h"


namespace {

using namespace pyra::images;

constexpr uint32_t kW = 2480, kH = 3508;

struct PageDib {
  std::vector<uint8_t> info, bits;
};

const PageDib& pageDib() {
  static const PageDib page = [] {
    PageDib p;
    auto put32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) p.info.push_back(uint8_t(v >> (8 * i))); };
    put32(40); put32(kW); put32(kH);
    p.info.insert(p.info.end(), {1, 0, 24, 0});
    for (int i = 0; i < 6; ++i) put32(0);
    const uint32_t stride = (kW * 3 + 3) & ~3u;
    p.bits.assign(size_t(stride) * kH, 255);
    uint32_t seed = 12345;
    auto rnd = [&] { seed = seed * 1103515245u + 12345u; return seed >> 16; };
    for (uint32_t y = 0; y < kH; ++y) {
      uint8_t* row = p.bits.data() + size_t(y) * stride;
      const bool text_line = (y % 60) < 30 && y > 300 && y < 2400;
      for (uint32_t x = 0; x < kW; ++x) {
        uint8_t* px = row + x * 3;
        if (y >= 2500 && y < 3300 && x >= 300 && x < 2180) {
          // Photographic block: smooth gradients with sensor noise.
          const int n = int(rnd() % 9) - 4;
          px[0] = uint8_t((x / 8 + n) & 255);
          px[1] = uint8_t((y / 5 + x / 16 + n) & 255);
          px[2] = uint8_t((200 - y / 20 + n) & 255);
        } else if (text_line && x > 200 && x < 2280 && (rnd() % 7) < 2) {
          px[0] = px[1] = px[2] = uint8_t(rnd() % 64);
        }
      }
    }
    return p;
  }();
  return page;
}

const ImageSamples& pageSamples() {
  static const ImageSamples s = decodeDib(pageDib().info, pageDib().bits).samples;
  return s;
}

void BM_DecodeDib24(benchmark::State& state) {
  const PageDib& p = pageDib();
  for (auto _ : state) benchmark::DoNotOptimize(decodeDib(p.info, p.bits));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p.bits.size()));
}
BENCHMARK(BM_DecodeDib24)->Unit(benchmark::kMillisecond);

void BM_WriterFlate(benchmark::State& state) {
  const auto& s = pageSamples().data;
  size_t out = 0;
  for (auto _ : state) out = pyra::pdf::flateEncode(s, int(state.range(0))).size();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
  state.counters["out_bytes"] = double(out);
  state.counters["ratio"] = double(out) / double(s.size());
}
BENCHMARK(BM_WriterFlate)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);

// zlib at the same levels: what the writer used before libdeflate.
void BM_ZlibCompress2(benchmark::State& state) {
  const auto& s = pageSamples().data;
  std::vector<uint8_t> out(compressBound(uLong(s.size())));
  uLongf n = 0;
  for (auto _ : state) {
    n = out.size();
    compress2(out.data(), &n, s.data(), uLong(s.size()), int(state.range(0)));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
  state.counters["out_bytes"] = double(n);
  state.counters["ratio"] = double(n) / double(s.size());
}
BENCHMARK(BM_ZlibCompress2)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);

// A page's content stream is a few kilobytes: the cost per stream, set-up
// included, matters more than the rate.
const std::vector<uint8_t>& contentStream() {
  static const std::vector<uint8_t> s = [] {
    const char line[] = "BT /F1 12 Tf 100 200 Td (Hello) Tj ET\n";
    std::vector<uint8_t> v;
    while (v.size() < 2000) v.insert(v.end(), line, line + sizeof line - 1);
    return v;
  }();
  return s;
}

void BM_WriterFlateContentStream(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(pyra::pdf::flateEncode(contentStream(), 6));
}
BENCHMARK(BM_WriterFlateContentStream)->Unit(benchmark::kMicrosecond);

// What the document writer does: one compressor kept for every stream.
void BM_WriterEncoderContentStream(benchmark::State& state) {
  pyra::pdf::FlateEncoder encoder;
  for (auto _ : state) benchmark::DoNotOptimize(encoder.encode(contentStream(), 6));
}
BENCHMARK(BM_WriterEncoderContentStream)->Unit(benchmark::kMicrosecond);

void BM_ZlibCompress2ContentStream(benchmark::State& state) {
  const auto& s = contentStream();
  std::vector<uint8_t> out(compressBound(uLong(s.size())));
  for (auto _ : state) {
    uLongf n = out.size();
    compress2(out.data(), &n, s.data(), uLong(s.size()), 6);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_ZlibCompress2ContentStream)->Unit(benchmark::kMicrosecond);

// The whole path a page bitmap takes: decode, then compress.
void BM_DibToFlateImage(benchmark::State& state) {
  const PageDib& p = pageDib();
  DibImageRequest req;
  req.stream.number = 1;
  size_t out = 0;
  for (auto _ : state) out = makeDibImage(p.info, p.bits, req).stream.body.size();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(p.bits.size()));
  state.counters["out_bytes"] = double(out);
}
BENCHMARK(BM_DibToFlateImage)->Unit(benchmark::kMillisecond);

void BM_Jpeg(benchmark::State& state) {
  const ImageSamples& s = pageSamples();
  size_t out = 0;
  for (auto _ : state) out = encodeJpeg(s, int(state.range(0))).size();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.data.size()));
  state.counters["out_bytes"] = double(out);
}
BENCHMARK(BM_Jpeg)->Arg(25)->Arg(75)->Unit(benchmark::kMillisecond);

void BM_RunLength(benchmark::State& state) {
  const auto& s = pageSamples().data;
  size_t out = 0;
  for (auto _ : state) out = pyra::pdf::runLengthEncode(s).size();
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(s.size()));
  state.counters["out_bytes"] = double(out);
}
BENCHMARK(BM_RunLength)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
