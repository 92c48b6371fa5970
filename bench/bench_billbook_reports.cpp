// billbook's invoice report: printing the pages (data, bands, metafile
// page files) and exporting them through PyraControl, per invoice.
// Goal: all 3000 demonstration invoices printed and exported in under
// 10 s on one core, peak memory independent of the number of pages.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <optional>

#include "demo/data/seed.h"
#include "demo/reports/report_catalog.h"

namespace {

using namespace pyra;

struct Data {
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "bench-billbook-reports";
  std::unique_ptr<demo::Database> db;
  Data() {
    std::filesystem::remove_all(folder);
    db = demo::Database::openFolder(folder);
    demo::SeedOptions options;
    options.orders = 300;
    demo::seedDemoData(*db, options);
  }
  ~Data() { std::filesystem::remove_all(folder); }
};

Data& data() {
  static Data d;  // seeded once for every benchmark of the run
  return d;
}

void BM_PrintAllInvoices(benchmark::State& state) {
  const reports::ReportInfo& report = *reports::findReport("PrintAllInvoices");
  size_t pages = 0;
  for (auto _ : state) {
    reports::PreviewQueue queue = reports::printReport(report, *data().db, {});
    pages = queue.size();
  }
  state.counters["pages/s"] = benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PrintAllInvoices)->Unit(benchmark::kMillisecond);

void BM_ExportAllInvoices(benchmark::State& state) {
  const reports::ReportInfo& report = *reports::findReport(state.range(0) ? "PrintAllInvoices" : "PyraPrintAllInvsNPPV");
  const reports::PreviewQueue queue = reports::printReport(report, *data().db, {});
  const std::string pdf = (data().folder / "bench.pdf").string();
  reports::ExportLock lock;
  for (auto _ : state) {
    const auto r = reports::exportPreview(queue, *report.export_settings, lock, {},
                                          [&](auto&, auto&, auto&) { return std::optional(pdf); });
    if (r.outcome != reports::ExportResult::Outcome::Written) state.SkipWithError("export failed");
  }
  state.counters["pages/s"] =
      benchmark::Counter(double(queue.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["bytes"] = double(std::filesystem::file_size(pdf));
}
BENCHMARK(BM_ExportAllInvoices)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
