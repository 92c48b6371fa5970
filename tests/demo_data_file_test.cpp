// Opening files: a new database is created where asked; a file that is not
// ours, or is newer than this program, is refused and left byte for byte and
// time for time as it was. The demonstration data and its command.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "demo/data/line_amounts.h"
#include "demo/data/seed.h"
#include "demo_data_support.h"
#include "testkit/testkit.h"

namespace pyra::demo {
namespace {

using testing::RawDb;
using Kind = DataError::Kind;

struct FileState {
  std::vector<uint8_t> bytes;
  timespec mtime{};
  bool operator==(const FileState& o) const {
    return bytes == o.bytes && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
  }
};

FileState stateOf(const std::string& path) {
  FileState s;
  s.bytes = testkit::readFile(path);
  struct stat st {};
  stat(path.c_str(), &st);
  s.mtime = st.st_mtim;
  return s;
}

TEST(DemoDataFile, RefusedFilesAreLeftUntouched) {
  struct Case {
    const char* name;
    std::function<void(const std::string&)> make;
    Kind kind;
    const char* phrase;
  };
  const Case cases[] = {
      {"a text file",
       [](const std::string& p) {
         std::string text;
         for (int i = 0; i < 200; ++i) text += "Invoice 4711, paid in full.\n";
         testkit::writeFile(p, text);
       },
       Kind::NotADatabase, "is not a billbook database"},
      {"random bytes",
       [](const std::string& p) {
         std::string bytes;
         SeedRandom rng(7);
         for (int i = 0; i < 8192; ++i) bytes += char(rng.below(256));
         testkit::writeFile(p, bytes);
       },
       Kind::NotADatabase, "is not a billbook database"},
      {"an SQLite header on garbage",
       [](const std::string& p) {
         std::string bytes("SQLite format 3", 16);
         bytes.append(4096 - bytes.size(), '\x5A');
         testkit::writeFile(p, bytes);
       },
       Kind::NotADatabase, "is not a billbook database"},
      {"another program's SQLite database",
       [](const std::string& p) {
         RawDb raw(p);
         raw.exec("CREATE TABLE notes(id INTEGER PRIMARY KEY, text TEXT); INSERT INTO notes VALUES(1, 'keep me')");
       },
       Kind::NotADatabase, "an SQLite database of another program"},
      {"a billbook database without its tables",
       [](const std::string& p) {
         RawDb raw(p);
         raw.exec("PRAGMA application_id = " + std::to_string(Database::kApplicationId) +
                  "; PRAGMA user_version = 1; CREATE TABLE Customers(x)");
       },
       Kind::NotADatabase, "damaged"},
      {"a billbook database of a newer version",
       [](const std::string& p) {
         {
           auto db = Database::open(p);
           testing::addBasics(*db);
         }
         RawDb raw(p);
         raw.exec("PRAGMA journal_mode = DELETE; PRAGMA user_version = 2");
       },
       Kind::NewerSchema, "newer version of billbook (data version 2; this program reads versions up to 1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testkit::TempDir dir;
    const std::string path = dir.file("data.sqlite");
    c.make(path);
    const FileState before = stateOf(path);
    try {
      Database::open(path);
      ADD_FAILURE() << "opened";
    } catch (const DataError& e) {
      EXPECT_EQ(e.kind(), c.kind) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.phrase), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_TRUE(stateOf(path) == before) << "the file changed";
    // No journal or WAL was left beside it either.
    EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
  }

  testkit::TempDir dir;
  try {
    Database::open(dir.path());
    ADD_FAILURE() << "opened a folder";
  } catch (const DataError& e) {
    EXPECT_EQ(e.kind(), Kind::NotADatabase) << e.what();
  }
}

TEST(DemoDataFile, ForeignContentsInOurTablesAreReadSafely) {
  // A file that passes the identity checks but whose tables were written by
  // something else: no types, NULLs, blobs, overlong texts, no indexes.
  testkit::TempDir dir;
  const std::string path = dir.file("odd.sqlite");
  {
    RawDb raw(path);
    raw.exec("PRAGMA application_id = " + std::to_string(Database::kApplicationId) + "; PRAGMA user_version = 1");
    for (Table table : {Table::Customers, Table::Orders, Table::Detail, Table::Products, Table::Company,
                        Table::States}) {
      const TableInfo& t = tableInfo(table);
      std::string columns = "RECID INTEGER PRIMARY KEY", nulls, blobs, texts;
      for (const FieldInfo& f : t.fields) {
        columns += std::string(", ") + f.column;
        nulls += std::string(nulls.empty() ? "" : ", ") + "NULL";
        blobs += std::string(blobs.empty() ? "" : ", ") + "x'00FF00C3'";
        texts += std::string(texts.empty() ? "" : ", ") + "printf('%.*c', 5000, 'w') || '12.5'";
      }
      raw.exec(std::string("CREATE TABLE ") + t.label + "(" + columns + ")");
      raw.exec(std::string("INSERT INTO ") + t.label + " VALUES(1, " + nulls + ")");
      raw.exec(std::string("INSERT INTO ") + t.label + " VALUES(2, " + blobs + ")");
      raw.exec(std::string("INSERT INTO ") + t.label + " VALUES(3, " + texts + ")");
    }
  }
  auto db = Database::open(path);
  for (Key key : kAllKeys) {
    SCOPED_TRACE(keyInfo(key).label);
    auto readAll = [&](auto tag) {
      using R = decltype(tag);
      auto c = db->browse<R>(key);
      R r;
      int n = 0;
      while (c.next(r)) ++n;
      return n;
    };
    try {
      switch (keyInfo(key).table) {
        case Table::Customers: readAll(Customer{}); break;
        case Table::Orders: readAll(Order{}); break;
        case Table::Detail: readAll(Detail{}); break;
        case Table::Products: readAll(Product{}); break;
        default: readAll(State{}); break;
      }
      db->count(key);
    } catch (const DataError& e) {
      SUCCEED() << e.what();  // a clear refusal is as good as rows
    }
  }
  EXPECT_NO_THROW(db->company());
  // Saving into such a file either works or is refused; it never crashes.
  try {
    Customer c = db->newCustomer();
    db->insert(c);
  } catch (const DataError& e) {
    SUCCEED() << e.what();
  }
}

TEST(DemoDataFile, FirstOpenCreatesTheFolderAndTheSchema) {
  testkit::TempDir dir;
  const auto folder = dir.path() / "data" / "billbook";
  {
    auto db = Database::openFolder(folder);
    testing::addBasics(*db);
  }
  const std::string path = (folder / Database::kFileName).string();
  ASSERT_TRUE(std::filesystem::exists(path));
  RawDb raw(path);
  EXPECT_EQ(raw.scalar("PRAGMA user_version"), "1");
  EXPECT_EQ(raw.scalar("PRAGMA application_id"), std::to_string(Database::kApplicationId));
  EXPECT_EQ(raw.scalar("PRAGMA journal_mode"), "wal");
  EXPECT_EQ(raw.scalar("SELECT count(*) FROM sqlite_schema WHERE type = 'table'"), "6");
  // Every key of the dictionary is an index of the same name.
  for (Key k : kAllKeys)
    EXPECT_EQ(raw.scalar(std::string("SELECT count(*) FROM sqlite_schema WHERE type = 'index' AND name = '") +
                         keyInfo(k).label + "'"),
              "1")
        << keyInfo(k).label;
  // Reopening keeps what is there.
  auto again = Database::open(path);
  EXPECT_EQ(again->count(Key::StaStateCodeKey), 3);

  // An empty file holds nothing to lose: SQLite reads it as an empty
  // database, and it becomes ours.
  const std::string empty = dir.file("empty.sqlite");
  testkit::writeFile(empty, std::string());
  auto fresh = Database::open(empty);
  testing::addBasics(*fresh);
  EXPECT_EQ(fresh->count(Key::ProKeyProductNumber), 2);
}

std::string dump(const std::string& path) {
  RawDb raw(path);
  std::string out;
  for (const char* t : {"Company", "States", "Customers", "Products", "Orders", "Detail"})
    for (const auto& row : raw.rows(std::string("SELECT * FROM ") + t + " ORDER BY RECID")) {
      out += t;
      for (const auto& v : row) out += "|" + v;
      out += "\n";
    }
  return out;
}

TEST(DemoDataSeed, SameSeedSameDataWithConsistentAmounts) {
  testkit::TempDir dir;
  SeedOptions small;
  small.customers = 60;
  small.orders = 250;
  SeedSummary s1, s2;
  {
    auto a = Database::open(dir.file("a.sqlite"));
    s1 = seedDemoData(*a, small);
    auto b = Database::open(dir.file("b.sqlite"));
    s2 = seedDemoData(*b, small);
    small.seed += 1;
    auto c = Database::open(dir.file("c.sqlite"));
    seedDemoData(*c, small);
    // A second seeding would double everything: refused.
    try {
      seedDemoData(*a, small);
      ADD_FAILURE() << "seeded twice";
    } catch (const DataError& e) {
      EXPECT_EQ(e.kind(), Kind::Usage);
    }
  }
  const std::string da = dump(dir.file("a.sqlite"));
  EXPECT_EQ(da, dump(dir.file("b.sqlite")));
  EXPECT_NE(da, dump(dir.file("c.sqlite")));
  EXPECT_EQ(s1.states, 50);
  EXPECT_EQ(s1.customers, 60);
  EXPECT_EQ(s1.orders, 250);
  EXPECT_EQ(s1.lines, s2.lines);

  RawDb raw(dir.file("a.sqlite"));
  EXPECT_EQ(raw.scalar("SELECT count(DISTINCT STATECODE) FROM States WHERE length(STATECODE) = 2"), "50");
  EXPECT_EQ(raw.scalar("SELECT NAME FROM States WHERE STATECODE = 'WY'"), "Wyoming");
  EXPECT_TRUE(raw.rows("PRAGMA foreign_key_check").empty());
  EXPECT_EQ(raw.scalar("SELECT count(*) FROM Customers WHERE length(PHONENUMBER) <> 10"), "0");
  // Some customers never order: the orders browse must show an empty list for them.
  EXPECT_NE(raw.scalar("SELECT count(*) FROM Customers WHERE CUSTNUMBER NOT IN (SELECT CUSTNUMBER FROM Orders)"),
            "0");

  // Every line's amounts follow from its price, quantity and rates, and
  // every order's totals add up.
  auto db = Database::open(dir.file("a.sqlite"));
  auto cur = db->browse<Detail>(Key::DtlKeyDetails);
  Detail d;
  int lines = 0;
  while (cur.next(d)) {
    ++lines;
    const LineAmounts a = lineAmounts(d.price, d.quantityordered, d.taxrate, d.discountrate);
    ASSERT_EQ(d.taxpaid, a.tax) << d.custnumber << "/" << d.ordernumber << "/" << d.linenumber;
    ASSERT_EQ(d.discount, a.discount);
    ASSERT_EQ(d.totalcost, a.total);
  }
  EXPECT_EQ(lines, s1.lines);
  auto orders = db->browse<Order>(Key::OrdInvoiceNumberKey);
  Order o;
  int32_t previous_date = 0;
  while (orders.next(o)) {
    const OrderTotals t = db->orderTotals(o.custnumber, o.ordernumber);
    ASSERT_GE(t.lines, 1);
    ASSERT_EQ(t.subtotal - t.discount + t.tax, t.total) << o.invoicenumber;
    ASSERT_GE(o.orderdate, previous_date) << "invoice numbers rise with the dates";
    previous_date = o.orderdate;
  }
}

TEST(DemoDataSeed, CommandCreatesSeedsAndLeavesASeededDatabase) {
  testkit::TempDir dir;
  const std::string path = dir.file("demo/billbook.sqlite");
  const std::string seed = testkit::shellQuote(BILLBOOK_SEED);
  auto first = testkit::run(seed + " " + testkit::shellQuote(path));
  EXPECT_EQ(first.status, 0) << first.out;
  EXPECT_NE(first.out.find("50 states, 300 customers, 60 products, 3000 orders"), std::string::npos) << first.out;
  const std::string seeded = dump(path);

  auto second = testkit::run(seed + " " + testkit::shellQuote(path));
  EXPECT_EQ(second.status, 0) << second.out;
  EXPECT_NE(second.out.find("already holds data"), std::string::npos) << second.out;
  EXPECT_EQ(dump(path), seeded);

  testkit::writeFile(dir.file("notes.txt"), std::string("not a database\n"));
  auto bad = testkit::run(seed + " " + testkit::shellQuote(dir.file("notes.txt")));
  EXPECT_EQ(bad.status, 1) << bad.out;
  EXPECT_NE(bad.out.find("is not a billbook database"), std::string::npos) << bad.out;

  EXPECT_EQ(testkit::run(seed).status, 2);
  EXPECT_EQ(testkit::run(seed + " x.sqlite --orders many").status, 2);
}

}  // namespace
}  // namespace pyra::demo
