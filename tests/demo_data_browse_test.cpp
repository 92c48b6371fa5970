// Browsing by key: every key, with range limits, filters, locators and
// paging, must return exactly the rows a plain SQL query written
// independently returns, in the same order, without sorting in memory.
#include <gtest/gtest.h>

#include "demo/data/seed.h"
#include "demo_data_support.h"
#include "testkit/testkit.h"

namespace pyra::demo {
namespace {

using testing::RawDb;

class DemoDataBrowse : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<testkit::TempDir>();
    auto db = Database::openFolder(dir_->path());
    SeedOptions o;
    o.customers = 150;
    o.products = 70;  // past the product list, so some descriptions repeat a stem
    o.orders = 500;
    seedDemoData(*db, o);
  }
  static void TearDownTestSuite() {
    dir_.reset();
  }
  void SetUp() override { db = Database::openFolder(dir_->path()); }
  static std::string file() { return dir_->file(Database::kFileName); }

  template <class R>
  std::vector<int64_t> browsed(Key key, const BrowseOptions& o) {
    std::vector<int64_t> out;
    auto c = db->browse<R>(key, o);
    R r;
    while (c.next(r)) out.push_back(r.position);
    return out;
  }
  std::vector<int64_t> browsedAny(Key key, const BrowseOptions& o) {
    switch (keyInfo(key).table) {
      case Table::Customers: return browsed<Customer>(key, o);
      case Table::Orders: return browsed<Order>(key, o);
      case Table::Detail: return browsed<Detail>(key, o);
      case Table::Products: return browsed<Product>(key, o);
      default: return browsed<State>(key, o);
    }
  }

  static std::unique_ptr<testkit::TempDir> dir_;
  std::unique_ptr<Database> db;
};
std::unique_ptr<testkit::TempDir> DemoDataBrowse::dir_;

Condition cond(const char* field, Condition::Op op, Value v) { return Condition{field, op, std::move(v)}; }

TEST_F(DemoDataBrowse, EveryKeyWithLimitsAndFiltersMatchesPlainSql) {
  using Op = Condition::Op;
  struct Case {
    const char* name;
    Key key;
    BrowseOptions options;
    const char* sql;  // the reference: SELECT RECID ... in the expected order
  };
  auto opts = [](auto&& fill) {
    BrowseOptions o;
    fill(o);
    return o;
  };
  const Case cases[] = {
      {"customers by number", Key::CusKeyCustNumber, {}, "SELECT RECID FROM Customers ORDER BY CUSTNUMBER"},
      {"customers by number above 0 (the browse filter)", Key::CusKeyCustNumber,
       opts([](auto& o) { o.filter = {cond("CUS:CustNumber", Op::Gt, int64_t{0})}; }),
       "SELECT RECID FROM Customers WHERE CUSTNUMBER > 0 ORDER BY CUSTNUMBER"},
      {"customers by full name", Key::CusKeyFullName, {},
       "SELECT RECID FROM Customers WHERE LASTNAME <> '' OR FIRSTNAME <> '' OR MI <> '' "
       "ORDER BY lower(LASTNAME), lower(FIRSTNAME), lower(MI), RECID"},
      {"customers by full name, backward", Key::CusKeyFullName, opts([](auto& o) { o.backward = true; }),
       "SELECT RECID FROM Customers WHERE LASTNAME <> '' OR FIRSTNAME <> '' OR MI <> '' "
       "ORDER BY lower(LASTNAME) DESC, lower(FIRSTNAME) DESC, lower(MI) DESC, RECID DESC"},
      {"last-name locator 'mA' in any case", Key::CusKeyFullName,
       opts([](auto& o) { o.filter = {cond("CUS:LASTNAME", Op::BeginsWith, std::string("mA"))}; }),
       "SELECT RECID FROM Customers WHERE upper(LASTNAME) LIKE 'MA%' "
       "ORDER BY lower(LASTNAME), lower(FIRSTNAME), lower(MI), RECID"},
      {"locator text with a LIKE wildcard is literal", Key::CusKeyFullName,
       opts([](auto& o) { o.filter = {cond("CUS:LASTNAME", Op::BeginsWith, std::string("%"))}; }),
       "SELECT RECID FROM Customers WHERE 0"},
      {"invoice numbers beginning with 12", Key::OrdInvoiceNumberKey,
       opts([](auto& o) { o.filter = {cond("ORD:INVOICENUMBER", Op::BeginsWith, int64_t{12})}; }),
       "SELECT RECID FROM Orders WHERE CAST(INVOICENUMBER AS TEXT) LIKE '12%' ORDER BY INVOICENUMBER"},
      {"customers by company", Key::CusKeyCompany, {},
       "SELECT RECID FROM Customers ORDER BY lower(COMPANY), RECID"},
      {"customers by company from 'M' on", Key::CusKeyCompany,
       opts([](auto& o) { o.seek = {std::string("m")}; }),
       "SELECT RECID FROM Customers WHERE lower(COMPANY) >= 'm' ORDER BY lower(COMPANY), RECID"},
      {"customers by ZIP in a range", Key::CusKeyZipCode,
       opts([](auto& o) {
         o.low = std::string("30000");
         o.high = std::string("39999");
       }),
       "SELECT RECID FROM Customers WHERE ZIPCODE BETWEEN '30000' AND '39999' ORDER BY ZIPCODE, RECID"},
      {"customers of one state, given in lower case", Key::CusStateKey,
       opts([](auto& o) { o.equal = {std::string("fl")}; }),
       "SELECT RECID FROM Customers WHERE STATE = 'FL' ORDER BY RECID"},
      {"customers by state from 'N' backward", Key::CusStateKey,
       opts([](auto& o) {
         o.seek = {std::string("N")};
         o.backward = true;
       }),
       "SELECT RECID FROM Customers WHERE STATE <> '' AND lower(STATE) <= 'n' "
       "ORDER BY lower(STATE) DESC, RECID DESC"},
      {"orders of one customer", Key::OrdKeyCustOrderNumber, opts([](auto& o) { o.equal = {int64_t{5}}; }),
       "SELECT RECID FROM Orders WHERE CUSTNUMBER = 5 ORDER BY ORDERNUMBER"},
      {"unshipped orders since a day", Key::OrdKeyCustOrderNumber,
       opts([](auto& o) {
         o.filter = {cond("ORD:ORDERSHIPPED", Op::Eq, int64_t{0}), cond("ORD:ORDERDATE", Op::Ge, int64_t{20000})};
       }),
       "SELECT RECID FROM Orders WHERE ORDERSHIPPED = 0 AND ORDERDATE >= 20000 ORDER BY CUSTNUMBER, ORDERNUMBER"},
      {"invoices 100 to 150 backward", Key::OrdInvoiceNumberKey,
       opts([](auto& o) {
         o.low = int64_t{100};
         o.high = std::string("150");
         o.backward = true;
       }),
       "SELECT RECID FROM Orders WHERE INVOICENUMBER BETWEEN 100 AND 150 ORDER BY INVOICENUMBER DESC"},
      {"ten invoices from 200", Key::OrdInvoiceNumberKey,
       opts([](auto& o) {
         o.seek = {int64_t{200}};
         o.limit = 10;
       }),
       "SELECT RECID FROM Orders WHERE INVOICENUMBER >= 200 ORDER BY INVOICENUMBER LIMIT 10"},
      {"lines of one order", Key::DtlKeyDetails, opts([](auto& o) { o.equal = {int64_t{3}, int64_t{1}}; }),
       "SELECT RECID FROM Detail WHERE CUSTNUMBER = 3 AND ORDERNUMBER = 1 ORDER BY LINENUMBER"},
      {"lines priced above 20.00 (decimal text)", Key::DtlKeyDetails,
       opts([](auto& o) { o.filter = {cond("DTL:PRICE", Op::Gt, std::string("20.00"))}; }),
       "SELECT RECID FROM Detail WHERE PRICE > 2000 ORDER BY CUSTNUMBER, ORDERNUMBER, LINENUMBER"},
      {"back-ordered lines of customers 1..20", Key::DtlKeyDetails,
       opts([](auto& o) {
         o.low = int64_t{1};
         o.high = int64_t{20};
         o.filter = {cond("DTL:BACKORDERED", Op::Ne, int64_t{0})};
       }),
       "SELECT RECID FROM Detail WHERE CUSTNUMBER BETWEEN 1 AND 20 AND BACKORDERED <> 0 "
       "ORDER BY CUSTNUMBER, ORDERNUMBER, LINENUMBER"},
      {"products by number", Key::ProKeyProductNumber, {}, "SELECT RECID FROM Products ORDER BY PRODUCTNUMBER"},
      {"one product by number", Key::ProKeyProductNumber, opts([](auto& o) { o.equal = {int64_t{7}}; }),
       "SELECT RECID FROM Products WHERE PRODUCTNUMBER = 7"},
      {"products by SKU", Key::ProKeyProductSKU, {},
       "SELECT RECID FROM Products WHERE PRODUCTSKU <> '' ORDER BY lower(PRODUCTSKU)"},
      {"SKU incremental locator 'fil'", Key::ProKeyProductSKU,
       opts([](auto& o) { o.seek = {std::string("fil")}; }),
       "SELECT RECID FROM Products WHERE PRODUCTSKU <> '' AND lower(PRODUCTSKU) >= 'fil' ORDER BY lower(PRODUCTSKU)"},
      {"descriptions beginning with 'paper'", Key::ProKeyDescription,
       opts([](auto& o) { o.filter = {cond("PRO:DESCRIPTION", Op::BeginsWith, std::string("paper"))}; }),
       "SELECT RECID FROM Products WHERE upper(DESCRIPTION) LIKE 'PAPER%' ORDER BY lower(DESCRIPTION), RECID"},
      {"products priced 10.00 .. 50.00 by description", Key::ProKeyDescription,
       opts([](auto& o) {
         o.filter = {cond("PRO:PRICE", Op::Ge, int64_t{1000}), cond("PRO:PRICE", Op::Le, std::string("50"))};
       }),
       "SELECT RECID FROM Products WHERE DESCRIPTION <> '' AND PRICE BETWEEN 1000 AND 5000 "
       "ORDER BY lower(DESCRIPTION), RECID"},
      {"states", Key::StaStateCodeKey, {}, "SELECT RECID FROM States ORDER BY STATECODE"},
      {"five states from N", Key::StaStateCodeKey,
       opts([](auto& o) {
         o.seek = {std::string("N")};
         o.limit = 5;
       }),
       "SELECT RECID FROM States WHERE STATECODE >= 'N' ORDER BY STATECODE LIMIT 5"},
  };
  RawDb raw(file());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<int64_t> expected = raw.ids(c.sql);
    const std::vector<int64_t> got = browsedAny(c.key, c.options);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(db->count(c.key, c.options), int64_t(expected.size()));
  }
  // The cases must see data, or they prove nothing.
  EXPECT_GT(raw.ids("SELECT RECID FROM Customers WHERE upper(LASTNAME) LIKE 'MA%'").size(), 0u);
  EXPECT_GT(raw.ids("SELECT RECID FROM Detail WHERE BACKORDERED <> 0 AND CUSTNUMBER <= 20").size(), 0u);
}

TEST_F(DemoDataBrowse, PagingOnFromTheLastRowNeitherSkipsNorRepeats) {
  for (Key key : kAllKeys) {
    SCOPED_TRACE(keyInfo(key).label);
    for (bool backward : {false, true}) {
      BrowseOptions all;
      all.backward = backward;
      const std::vector<int64_t> whole = browsedAny(key, all);
      std::vector<int64_t> paged;
      BrowseOptions page;
      page.backward = backward;
      page.limit = 7;
      for (int guard = 0; guard < 100000; ++guard) {
        // The last row of each page gives the next page's start.
        std::vector<int64_t> rows;
        std::vector<Value> last_key;
        auto run = [&](auto tag) {
          using R = decltype(tag);
          auto c = db->browse<R>(key, page);
          R r;
          while (c.next(r)) {
            rows.push_back(r.position);
            last_key = Database::keyValues(key, r);
          }
        };
        switch (keyInfo(key).table) {
          case Table::Customers: run(Customer{}); break;
          case Table::Orders: run(Order{}); break;
          case Table::Detail: run(Detail{}); break;
          case Table::Products: run(Product{}); break;
          default: run(State{}); break;
        }
        paged.insert(paged.end(), rows.begin(), rows.end());
        if (rows.size() < 7) break;
        page.seek = last_key;
        page.seek_position = rows.back();
      }
      EXPECT_EQ(paged, whole) << (backward ? "backward" : "forward");
    }
  }
}

TEST_F(DemoDataBrowse, KeysStreamInIndexOrderWithoutSorting) {
  for (Key key : kAllKeys) {
    SCOPED_TRACE(keyInfo(key).label);
    for (bool backward : {false, true}) {
      BrowseOptions o;
      o.backward = backward;
      const std::string plan = db->queryPlan(key, o);
      EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << plan;
      EXPECT_NE(plan.find(keyInfo(key).label), std::string::npos) << plan;
      // Paging must reach its start through the index, too.
      o.seek = std::vector<Value>(keyInfo(key).components.size(), Value{int64_t{1}});
      o.seek_position = 1;
      const std::string seek_plan = db->queryPlan(key, o);
      EXPECT_EQ(seek_plan.find("TEMP B-TREE"), std::string::npos) << seek_plan;
    }
  }
}

TEST_F(DemoDataBrowse, FindGetsOneRecordByKey) {
  RawDb raw(file());
  const auto o = db->find<Order>(Key::OrdInvoiceNumberKey, {int64_t{42}});
  ASSERT_TRUE(o);
  EXPECT_EQ(o->invoicenumber, 42);
  EXPECT_EQ(std::to_string(o->custnumber), raw.scalar("SELECT CUSTNUMBER FROM Orders WHERE INVOICENUMBER = 42"));
  EXPECT_FALSE(db->find<Order>(Key::OrdInvoiceNumberKey, {int64_t{999999}}));
  const auto again = db->fetch<Order>(o->position);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->invoicenumber, 42);
  EXPECT_FALSE(db->fetch<Order>(987654321));
  const auto fl = db->find<State>(Key::StaStateCodeKey, {std::string("fl  ")});
  ASSERT_TRUE(fl);
  EXPECT_EQ(fl->name, "Florida");
}

TEST_F(DemoDataBrowse, MisusedBrowsesAreRefusedClearly) {
  using Kind = DataError::Kind;
  auto kindOf = [](auto&& f) {
    try {
      f();
    } catch (const DataError& e) {
      return e.kind();
    }
    return Kind::Storage;  // "nothing thrown" shows up as a mismatch
  };
  EXPECT_EQ(kindOf([&] { db->browse<Product>(Key::CusKeyFullName); }), Kind::Usage);
  BrowseOptions unknown_field;
  unknown_field.filter = {cond("CUS:NOSUCH", Condition::Op::Eq, int64_t{1})};
  EXPECT_EQ(kindOf([&] { db->browse<Customer>(Key::CusKeyFullName, unknown_field); }), Kind::Usage);
  BrowseOptions not_a_number;
  not_a_number.equal = {std::string("abc")};
  EXPECT_EQ(kindOf([&] { db->browse<Order>(Key::OrdInvoiceNumberKey, not_a_number); }), Kind::Usage);
  BrowseOptions too_many;
  too_many.equal = {int64_t{1}, int64_t{2}};
  EXPECT_EQ(kindOf([&] { db->browse<Order>(Key::OrdInvoiceNumberKey, too_many); }), Kind::Usage);
  BrowseOptions partial_position;
  partial_position.seek = {int64_t{1}};
  partial_position.seek_position = 3;
  EXPECT_EQ(kindOf([&] { db->browse<Detail>(Key::DtlKeyDetails, partial_position); }), Kind::Usage);
}

}  // namespace
}  // namespace pyra::demo
