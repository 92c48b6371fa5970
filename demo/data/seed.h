#pragma once
// Demonstration data: a company, the 50 states, customers, products and
// orders with their lines, generated from a fixed seed with our own PRNG so
// every build on every machine produces the same invoices.
#include <cstdint>

#include "demo/data/database.h"

namespace pyra::demo {

struct SeedOptions {
  uint64_t seed = 0x62696C6C626F6F6BULL;  // "billbook"
  int customers = 300;
  int products = 60;
  int orders = 3000;
  int max_lines = 6;  // lines per order: 1 .. max_lines
};

struct SeedSummary {
  int states = 0, customers = 0, products = 0, orders = 0, lines = 0;
};

// True when any file of the database holds a record.
bool holdsData(Database& db);

// Fills an empty database in one transaction (all or nothing). Refuses with
// DataError (Kind::Usage) when the database already holds data.
SeedSummary seedDemoData(Database& db, const SeedOptions& options = {});

// The generator: SplitMix64, fully specified here so its output never
// depends on a standard library's distributions.
class SeedRandom {
 public:
  explicit SeedRandom(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  // 0 .. n-1 (n > 0), by multiplying the top 32 bits: no modulo, tiny bias.
  uint32_t below(uint32_t n) { return uint32_t(((next() >> 32) * uint64_t(n)) >> 32); }
  // true with probability percent / 100
  bool chance(uint32_t percent) { return below(100) < percent; }

 private:
  uint64_t state_;
};

}  // namespace pyra::demo
