// Browsing 100,000 orders by each key: rows per second, and the peak memory a
// browse adds (it must stay flat: rows stream from the file, nothing is
// loaded ahead). The database is built once, in a child process so that its
// generation does not count towards our memory, and kept in the temp folder
// for later runs (PYRA_BENCH_BILLBOOK names another file).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "demo/data/database.h"
#include "demo/data/seed.h"

namespace {

using namespace pyra::demo;

constexpr int kOrders = 100000;

std::string databasePath() {
  if (const char* p = std::getenv("PYRA_BENCH_BILLBOOK")) return p;
  return (std::filesystem::temp_directory_path() / "pyra_bench_billbook_100k.sqlite").string();
}

bool ready(const std::string& path) {
  if (!std::filesystem::exists(path)) return false;
  try {
    auto db = Database::open(path);
    return db->count(Key::OrdInvoiceNumberKey) == kOrders;
  } catch (const DataError&) {
    return false;
  }
}

void buildDatabase(const std::string& path) {
  if (ready(path)) return;
  std::filesystem::remove(path);
  std::filesystem::remove(path + "-wal");
  std::filesystem::remove(path + "-shm");
  const pid_t child = fork();
  if (child == 0) {
    try {
      auto db = Database::open(path);
      SeedOptions o;
      o.customers = 5000;
      o.orders = kOrders;
      o.max_lines = 4;
      const SeedSummary s = seedDemoData(*db, o);
      std::fprintf(stderr, "bench_demo_data: built %s: %d orders, %d lines\n", path.c_str(), s.orders, s.lines);
      _exit(0);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "bench_demo_data: %s\n", e.what());
      _exit(1);
    }
  }
  int status = 0;
  waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "bench_demo_data: cannot build the database\n");
    std::exit(1);
  }
}

// VmHWM / VmRSS of this process in KiB.
long statusKiB(const char* field) {
  std::ifstream in("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::strtol(line.c_str() + key.size(), nullptr, 10);
  return -1;
}

// Resets the peak so VmHWM afterwards shows what the browse itself needed.
void resetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
}

template <class R>
void browseAll(benchmark::State& state, Key key, BrowseOptions options) {
  static const std::string path = [] {
    const std::string p = databasePath();
    buildDatabase(p);
    return p;
  }();
  auto db = Database::open(path);
  int64_t rows = 0;
  resetPeak();
  const long rss_before = statusKiB("VmRSS");
  for (auto _ : state) {
    auto cursor = db->browse<R>(key, options);
    R record;
    int64_t n = 0;
    while (cursor.next(record)) ++n;
    benchmark::DoNotOptimize(record);
    rows += n;
  }
  const long peak = statusKiB("VmHWM");
  state.SetItemsProcessed(rows);
  state.counters["rows"] = double(rows) / double(state.iterations());
  state.counters["peak_rss_MiB"] = double(peak) / 1024.0;
  state.counters["peak_growth_MiB"] = double(peak - rss_before) / 1024.0;
}

void BM_OrdersByInvoiceNumber(benchmark::State& s) { browseAll<Order>(s, Key::OrdInvoiceNumberKey, {}); }
void BM_OrdersByCustOrderNumber(benchmark::State& s) { browseAll<Order>(s, Key::OrdKeyCustOrderNumber, {}); }
void BM_OrdersByInvoiceNumberBackward(benchmark::State& s) {
  BrowseOptions o;
  o.backward = true;
  browseAll<Order>(s, Key::OrdInvoiceNumberKey, o);
}
void BM_OrdersUnshippedFiltered(benchmark::State& s) {
  BrowseOptions o;
  o.filter = {Condition{"ORD:ORDERSHIPPED", Condition::Op::Eq, int64_t{0}}};
  browseAll<Order>(s, Key::OrdKeyCustOrderNumber, o);
}
void BM_OrdersOfOneCustomer(benchmark::State& s) {
  BrowseOptions o;
  o.equal = {int64_t{17}};
  browseAll<Order>(s, Key::OrdKeyCustOrderNumber, o);
}
void BM_DetailByKeyDetails(benchmark::State& s) { browseAll<Detail>(s, Key::DtlKeyDetails, {}); }
void BM_CustomersByFullName(benchmark::State& s) { browseAll<Customer>(s, Key::CusKeyFullName, {}); }

// For contrast: what holding every order in memory would cost.
void BM_LoadAllOrdersIntoMemory(benchmark::State& state) {
  const std::string path = databasePath();
  buildDatabase(path);
  auto db = Database::open(path);
  resetPeak();
  const long rss_before = statusKiB("VmRSS");
  size_t rows = 0;
  for (auto _ : state) {
    std::vector<Order> all;
    auto cursor = db->browse<Order>(Key::OrdInvoiceNumberKey);
    Order o;
    while (cursor.next(o)) all.push_back(o);
    rows += all.size();
    benchmark::DoNotOptimize(all.data());
  }
  const long peak = statusKiB("VmHWM");
  state.SetItemsProcessed(int64_t(rows));
  state.counters["peak_rss_MiB"] = double(peak) / 1024.0;
  state.counters["peak_growth_MiB"] = double(peak - rss_before) / 1024.0;
}

BENCHMARK(BM_OrdersByInvoiceNumber)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrdersByCustOrderNumber)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrdersByInvoiceNumberBackward)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrdersUnshippedFiltered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OrdersOfOneCustomer)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DetailByKeyDetails)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CustomersByFullName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAllOrdersIntoMemory)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
