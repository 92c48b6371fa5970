// The platform stand-in's hot paths: width queries for a whole 8-bit code
// page (cached per font after the first), font creation and metrics,
// code-page conversion, and pixel extraction.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "pyra/gdi.h"

namespace {

HFONT makeFont(const char* face, DWORD charset = DEFAULT_CHARSET) {
  return CreateFontA(-1000, 0, 0, 0, 400, 0, 0, 0, charset, OUT_TT_PRECIS, 0, PROOF_QUALITY, 0, face);
}

// What font loading does once per face: create, select, outline metrics,
// 256 widths, release. Includes fontconfig matching and opening the file.
void BM_FontLoadMetricsAndWidths(benchmark::State& state) {
  HDC dc = GetDC(0);
  std::vector<char> otm(4096);
  INT widths[256];
  for (auto _ : state) {
    HFONT f = makeFont("Arial");
    HGDIOBJ old = SelectObject(dc, f);
    benchmark::DoNotOptimize(GetOutlineTextMetricsA(dc, UINT(otm.size()), reinterpret_cast<OUTLINETEXTMETRICA*>(otm.data())));
    benchmark::DoNotOptimize(GetCharWidthA(dc, 0, 255, widths));
    SelectObject(dc, old);
    DeleteObject(f);
  }
  ReleaseDC(0, dc);
}
BENCHMARK(BM_FontLoadMetricsAndWidths)->Unit(benchmark::kMillisecond);

// Widths of a whole code page again, on a font already measured once.
void BM_CodePageWidthsCached(benchmark::State& state) {
  HDC dc = GetDC(0);
  HFONT f = makeFont("Times New Roman", DWORD(state.range(0)));
  HGDIOBJ old = SelectObject(dc, f);
  INT widths[256];
  GetCharWidthA(dc, 0, 255, widths);
  for (auto _ : state) benchmark::DoNotOptimize(GetCharWidthA(dc, 0, 255, widths));
  SelectObject(dc, old);
  DeleteObject(f);
  ReleaseDC(0, dc);
}
BENCHMARK(BM_CodePageWidthsCached)->Arg(ANSI_CHARSET)->Arg(RUSSIAN_CHARSET)->Arg(EASTEUROPE_CHARSET)->Unit(benchmark::kMicrosecond);

void BM_TextExtent(benchmark::State& state) {
  HDC dc = GetDC(0);
  HFONT f = makeFont("Arial");
  HGDIOBJ old = SelectObject(dc, f);
  const std::string text = "Invoice 2026-0042: 17 items, total 1.234,56 EUR";
  SIZE s;
  for (auto _ : state) benchmark::DoNotOptimize(GetTextExtentPoint32A(dc, text.data(), INT(text.size()), &s));
  SelectObject(dc, old);
  DeleteObject(f);
  ReleaseDC(0, dc);
}
BENCHMARK(BM_TextExtent)->Unit(benchmark::kMicrosecond);

// One short string per call, the way text runs arrive: the iconv
// descriptor is opened per call, so this is its price.
void BM_WideToCodePage(benchmark::State& state) {
  const UINT page = UINT(state.range(0));
  const std::u16string text = page == 932 ? u"\u8ACB\u6C42\u66F8 No. 42" : u"Gr\u00FC\u00DFe \u20AC 42 \u0416";
  char out[64];
  BOOL used;
  for (auto _ : state)
    benchmark::DoNotOptimize(WideCharToMultiByte(page, 0, reinterpret_cast<const WCHAR*>(text.data()), INT(text.size()),
                                                 out, sizeof out, nullptr, &used));
}
BENCHMARK(BM_WideToCodePage)->Arg(1252)->Arg(1251)->Arg(932)->Unit(benchmark::kMicrosecond);

void BM_AsciiToWide(benchmark::State& state) {
  const std::string text = "Invoice 2026-0042: 17 items";
  WCHAR out[64];
  for (auto _ : state)
    benchmark::DoNotOptimize(MultiByteToWideChar(1252, 0, text.data(), INT(text.size()), out, 64));
}
BENCHMARK(BM_AsciiToWide)->Unit(benchmark::kMicrosecond);

// A page-sized picture (A4 at 150 dpi) out as 24-bit rows and as 1-bit.
void BM_GetDIBits(benchmark::State& state) {
  const int w = 1240, h = 1754, bpp = int(state.range(0));
  HBITMAP bm = CreateBitmap(w, h, 1, 32, nullptr);
  HDC dc = GetDC(0);
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD c[2];
  } info{};
  info.h = {sizeof(BITMAPINFOHEADER), w, h, 1, WORD(bpp), BI_RGB, 0, 0, 0, 0, 0};
  info.c[1] = RGBQUAD{255, 255, 255, 0};
  std::vector<uint8_t> out(size_t((w * bpp + 31) / 32 * 4) * h);
  for (auto _ : state)
    benchmark::DoNotOptimize(GetDIBits(dc, bm, 0, UINT(h), out.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS));
  state.SetBytesProcessed(int64_t(state.iterations()) * w * h * 4);
  ReleaseDC(0, dc);
  DeleteObject(bm);
}
BENCHMARK(BM_GetDIBits)->Arg(24)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
