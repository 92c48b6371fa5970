// billbook-seed <db path> [--customers N] [--products N] [--orders N] [--seed N]
// Creates the billbook database when missing and fills it with the
// demonstration data. A database that already holds data is left as it is,
// so the demo can run it every time.
#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "demo/data/database.h"
#include "demo/data/seed.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: billbook-seed <db path> [--customers N] [--products N] [--orders N] [--seed N]\n");
  return 2;
}

bool number(const char* text, uint64_t& out) {
  const char* end = text + std::strlen(text);
  auto [p, ec] = std::from_chars(text, end, out);
  return ec == std::errc() && p == end;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace pyra::demo;
  if (argc < 2) return usage();
  std::string path;
  SeedOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) == 0) {
      uint64_t v = 0;
      if (i + 1 >= argc || !number(argv[i + 1], v)) return usage();
      ++i;
      if (arg == "--seed") {
        options.seed = v;
        continue;
      }
      if (v > 10'000'000) return usage();
      if (arg == "--customers") options.customers = int(v);
      else if (arg == "--products") options.products = int(v);
      else if (arg == "--orders") options.orders = int(v);
      else return usage();
    } else if (path.empty()) {
      path = arg;
    } else {
      return usage();
    }
  }
  if (path.empty()) return usage();
  try {
    auto db = Database::open(path);
    if (holdsData(*db)) {
      std::printf("billbook-seed: %s already holds data; left as it is\n", path.c_str());
      return 0;
    }
    const SeedSummary s = seedDemoData(*db, options);
    std::printf("billbook-seed: %s: %d states, %d customers, %d products, %d orders, %d order lines\n", path.c_str(),
                s.states, s.customers, s.products, s.orders, s.lines);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "billbook-seed: %s\n", e.what());
    return 1;
  }
}
