// Parsing and subsetting cost of TrueType programs. Subsetting should be
// linear in the program: the scaling run cuts the largest TrueType font on
// the machine down to its first N glyphs and fits the complexity.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

#include "engine/fonts/font_subset.h"
#include "engine/fonts/truetype_font.h"
#include "engine/fonts/truetype_tag.h"

namespace {

using namespace pyra::fonts;

const char* kLargest = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";  // find /usr/share/fonts -name '*.ttf' | largest
const char* kFonts[] = {
    "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
    kLargest,
};

std::vector<uint8_t> load(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::set<uint16_t> tenCharacters(const TrueTypeFont& font) {
  std::set<uint16_t> used;
  for (char c : std::string("Fjord 42!x")) used.insert(font.glyphForChar(uint8_t(c)));
  used.insert(font.glyphForChar(0xE9));
  return used;
}

void BM_Parse(benchmark::State& state) {
  const auto bytes = load(kFonts[state.range(0)]);
  for (auto _ : state) benchmark::DoNotOptimize(parseTrueType(bytes));
  state.SetBytesProcessed(int64_t(state.iterations() * bytes.size()));
  state.SetLabel(kFonts[state.range(0)]);
}
BENCHMARK(BM_Parse)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void BM_SubsetTenCharacters(benchmark::State& state) {
  auto font = parseTrueType(load(kFonts[state.range(0)]));
  const auto used = tenCharacters(*font);
  size_t out = 0;
  for (auto _ : state) out = subsetTrueType(*font, used).size();
  state.SetBytesProcessed(int64_t(state.iterations() * font->bytes().size()));
  state.counters["font_bytes"] = double(font->bytes().size());
  state.counters["subset_bytes"] = double(out);
  state.SetLabel(kFonts[state.range(0)]);
}
BENCHMARK(BM_SubsetTenCharacters)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

void BM_SubsetEveryGlyph(benchmark::State& state) {
  auto font = parseTrueType(load(kLargest));
  std::set<uint16_t> all;
  for (uint32_t g = 0; g < font->numGlyphs(); ++g) all.insert(uint16_t(g));
  for (auto _ : state) benchmark::DoNotOptimize(subsetTrueType(*font, all));
  state.SetBytesProcessed(int64_t(state.iterations() * font->bytes().size()));
}
BENCHMARK(BM_SubsetEveryGlyph)->Unit(benchmark::kMicrosecond);

// The largest font cut to its first n glyphs: glyph count, locations, metrics
// and outlines shrink together, as in a smaller font of the same design.
std::vector<uint8_t> firstGlyphs(const std::vector<uint8_t>& src, uint16_t n) {
  auto font = parseTrueType(src);
  std::vector<uint8_t> b = src;
  auto put16 = [&](size_t at, uint32_t v) { b[at] = uint8_t(v >> 8), b[at + 1] = uint8_t(v); };
  auto put32 = [&](size_t at, uint32_t v) { put16(at, v >> 16), put16(at + 2, v & 0xFFFF); };
  uint32_t glyf_len = 0;
  for (uint32_t g = 0; g < n; ++g) {
    auto data = font->glyphData(uint16_t(g));
    glyf_len += uint32_t(data.size());
    if (data.size() < 10 || int16_t(data[0] << 8 | data[1]) >= 0) continue;
    // Components beyond the cut become .notdef.
    size_t at = size_t(data.data() - font->bytes().data()) + 10;
    for (uint16_t flags = 0x20; flags & 0x20;) {
      flags = uint16_t(b[at] << 8 | b[at + 1]);
      if (uint16_t(b[at + 2] << 8 | b[at + 3]) >= n) put16(at + 2, 0);
      at += 4 + ((flags & 1) ? 4 : 2) + ((flags & 8) ? 2 : (flags & 0x40) ? 4 : (flags & 0x80) ? 8 : 0);
    }
  }
  for (size_t i = 0; i < font->tables().size(); ++i) {
    const auto& t = font->tables()[i];
    if (t.tag == tableTag("maxp")) put16(t.offset + 4, n);
    if (t.tag == tableTag("glyf")) put32(12 + 16 * i + 12, glyf_len);
  }
  return b;
}

void BM_SubsetScaling(benchmark::State& state) {
  const auto src = load(kLargest);
  const auto bytes = firstGlyphs(src, uint16_t(state.range(0)));
  std::string why;
  auto font = parseTrueType(bytes, &why);
  if (!font) {
    state.SkipWithError(why.c_str());
    return;
  }
  // Every fourth glyph drawn, so the output grows with the font too.
  std::set<uint16_t> used;
  for (uint32_t g = 0; g < font->numGlyphs(); g += 4) used.insert(uint16_t(g));
  for (auto _ : state) benchmark::DoNotOptimize(subsetTrueType(*font, used));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_SubsetScaling)->RangeMultiplier(2)->Range(390, 6240)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);

void BM_ParseAndSubsetScaling(benchmark::State& state) {
  const auto bytes = firstGlyphs(load(kLargest), uint16_t(state.range(0)));
  for (auto _ : state) {
    auto font = parseTrueType(bytes);
    std::set<uint16_t> used = tenCharacters(*font);
    benchmark::DoNotOptimize(subsetTrueType(*font, used));
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ParseAndSubsetScaling)->RangeMultiplier(2)->Range(390, 6240)->Complexity(benchmark::oN)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
