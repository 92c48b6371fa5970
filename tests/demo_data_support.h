#pragma once
// Shared by the billbook data tests: a plain SQLite connection that looks at
// the file the way any other program would, and a minimal set of records.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "demo/data/database.h"

namespace pyra::demo::testing {

class RawDb {
 public:
  explicit RawDb(const std::string& path, bool foreign_keys = false) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
      ADD_FAILURE() << "cannot open " << path;
    sqlite3_busy_timeout(db_, 5000);
    if (foreign_keys) exec("PRAGMA foreign_keys = ON");
  }
  ~RawDb() { sqlite3_close_v2(db_); }
  RawDb(const RawDb&) = delete;
  RawDb& operator=(const RawDb&) = delete;

  void exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
      ADD_FAILURE() << sql << ": " << (err ? err : "?");
      sqlite3_free(err);
    }
  }
  // Every row as its columns' text (NULL as "NULL").
  std::vector<std::vector<std::string>> rows(const std::string& sql) {
    std::vector<std::vector<std::string>> out;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db_);
      return out;
    }
    while (sqlite3_step(s) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int i = 0; i < sqlite3_column_count(s); ++i) {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
        row.push_back(t ? t : "NULL");
      }
      out.push_back(std::move(row));
    }
    sqlite3_finalize(s);
    return out;
  }
  std::string scalar(const std::string& sql) {
    auto r = rows(sql);
    return r.empty() || r[0].empty() ? std::string() : r[0][0];
  }
  std::vector<int64_t> ids(const std::string& sql) {
    std::vector<int64_t> out;
    for (auto& r : rows(sql)) out.push_back(std::stoll(r[0]));
    return out;
  }

 private:
  sqlite3* db_ = nullptr;
};

// Three states and two products: enough for the field rules to pass.
inline void addBasics(Database& db) {
  for (auto [code, name] : {std::pair{"FL", "Florida"}, {"GA", "Georgia"}, {"NY", "New York"}}) {
    State s{0, code, name};
    db.insert(s);
  }
  for (auto [sku, desc, cents] : {std::tuple{"PAP-1", "Copy Paper", 649}, {"PEN-1", "Pens", 399}}) {
    Product p;
    p.productsku = sku;
    p.description = desc;
    p.price = Money::fromMinor(cents);
    db.insert(p);
  }
}

inline Customer customer(Database& db, std::string last, std::string first = "Ann", std::string state = "FL") {
  Customer c = db.newCustomer();
  c.lastname = std::move(last);
  c.firstname = std::move(first);
  c.state = std::move(state);
  return c;
}

inline Order order(Database& db, int32_t custnumber) {
  Order o = db.newOrder();
  o.custnumber = custnumber;
  return o;
}

inline Detail line(int32_t cust, int32_t ord, int32_t product = 1, const char* quantity = "1") {
  Detail d;
  d.custnumber = cust;
  d.ordernumber = ord;
  d.productnumber = product;
  d.quantityordered = *Quantity::parse(quantity);
  d.price = Money::fromMinor(649);
  return d;
}

}  // namespace pyra::demo::testing
