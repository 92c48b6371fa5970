// The billbook store through its interface: automatic numbers, unique and
// optional keys, field rules with their messages, widths, relations and
// transactions.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <thread>

#include "demo/data/day_number.h"
#include "demo_data_support.h"
#include "testkit/testkit.h"

namespace pyra::demo {
namespace {

using testing::addBasics;
using testing::customer;
using testing::line;
using testing::order;
using testing::RawDb;
using Kind = DataError::Kind;

class DemoDataStore : public ::testing::Test {
 protected:
  void SetUp() override {
    db = Database::openFolder(dir.path());
    addBasics(*db);
  }
  std::string file() const { return dir.file(Database::kFileName); }
  int64_t rowsIn(const char* table) {
    RawDb raw(file());
    return std::stoll(raw.scalar(std::string("SELECT count(*) FROM ") + table));
  }
  template <class R>
  std::vector<int64_t> positions(Key key, BrowseOptions o = {}) {
    std::vector<int64_t> out;
    auto c = db->browse<R>(key, o);
    R r;
    while (c.next(r)) out.push_back(r.position);
    return out;
  }

  testkit::TempDir dir;
  std::unique_ptr<Database> db;
};

// Runs `action` and returns the DataError it throws (a failure when it throws none).
DataError thrown(const std::function<void()>& action) {
  try {
    action();
  } catch (const DataError& e) {
    return e;
  }
  ADD_FAILURE() << "no DataError thrown";
  return DataError(Kind::Usage, "none");
}

TEST_F(DemoDataStore, NewRecordsStartWithTheirDefaultValues) {
  EXPECT_EQ(db->newCustomer().state, "FL");
  const Order o = db->newOrder();
  EXPECT_EQ(o.shipstate, "FL");
  EXPECT_EQ(o.orderdate, today());
}

TEST_F(DemoDataStore, AutomaticNumbersFollowTheHighestInTheirKey) {
  Customer a = customer(*db, "Adams"), b = customer(*db, "Baker");
  db->insert(a);
  db->insert(b);
  EXPECT_EQ(a.custnumber, 1);
  EXPECT_EQ(b.custnumber, 2);

  // Order numbers count per customer; invoice numbers over all orders.
  Order a1 = order(*db, a.custnumber), b1 = order(*db, b.custnumber), a2 = order(*db, a.custnumber);
  db->insert(a1);
  db->insert(b1);
  db->insert(a2);
  EXPECT_EQ(a1.ordernumber, 1);
  EXPECT_EQ(b1.ordernumber, 1);
  EXPECT_EQ(a2.ordernumber, 2);
  EXPECT_EQ(a1.invoicenumber, 1);
  EXPECT_EQ(b1.invoicenumber, 2);
  EXPECT_EQ(a2.invoicenumber, 3);

  // Line numbers count per order.
  Detail l1 = line(1, 1), l2 = line(1, 1), m1 = line(1, 2);
  db->insert(l1);
  db->insert(l2);
  db->insert(m1);
  EXPECT_EQ(l1.linenumber, 1);
  EXPECT_EQ(l2.linenumber, 2);
  EXPECT_EQ(m1.linenumber, 1);

  // An explicit number is kept, and the next automatic one follows it.
  Customer c = customer(*db, "Clark");
  c.custnumber = 40;
  db->insert(c);
  Customer d = customer(*db, "Davis");
  db->insert(d);
  EXPECT_EQ(c.custnumber, 40);
  EXPECT_EQ(d.custnumber, 41);

  Product p;
  db->insert(p);
  EXPECT_EQ(p.productnumber, 3);
}

TEST_F(DemoDataStore, UniqueKeysRefuseASecondRecordWithTheSameValue) {
  Customer a = customer(*db, "Adams");
  db->insert(a);
  Order o = order(*db, a.custnumber);
  db->insert(o);
  Detail l = line(a.custnumber, o.ordernumber);
  db->insert(l);

  struct Case {
    const char* name;
    const char* key;
    std::function<void()> action;
  };
  const Case cases[] = {
      {"customer number", "CUS:KeyCustNumber",
       [&] {
         Customer c = customer(*db, "Other");
         c.custnumber = a.custnumber;
         db->insert(c);
       }},
      {"order number of the same customer", "ORD:KeyCustOrderNumber",
       [&] {
         Order x = order(*db, a.custnumber);
         x.ordernumber = o.ordernumber;
         db->insert(x);
       }},
      {"invoice number", "ORD:InvoiceNumberKey",
       [&] {
         Order x = order(*db, a.custnumber);
         x.invoicenumber = o.invoicenumber;
         db->insert(x);
       }},
      {"line number of the same order", "DTL:KeyDetails",
       [&] {
         Detail x = line(a.custnumber, o.ordernumber);
         x.linenumber = l.linenumber;
         db->insert(x);
       }},
      {"product number", "PRO:KeyProductNumber",
       [&] {
         Product p;
         p.productnumber = 1;
         db->insert(p);
       }},
      {"SKU differing only in letter case", "PRO:KeyProductSKU",
       [&] {
         Product p;
         p.productsku = "pap-1";
         db->insert(p);
       }},
      {"state code differing only in letter case", "STA:StateCodeKey",
       [&] {
         State s{0, "fl", "Florida again"};
         db->insert(s);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int64_t before = rowsIn("Customers") + rowsIn("Orders") + rowsIn("Detail") + rowsIn("Products") +
                           rowsIn("States");
    const DataError e = thrown(c.action);
    EXPECT_EQ(e.kind(), Kind::Duplicate) << e.what();
    EXPECT_EQ(e.subject(), c.key);
    EXPECT_EQ(std::string(e.what()),
              std::string("Adding this record would create a duplicate entry in the key ") + c.key + ".");
    EXPECT_EQ(before, rowsIn("Customers") + rowsIn("Orders") + rowsIn("Detail") + rowsIn("Products") +
                          rowsIn("States"));
  }

  // Changing a record onto another's key is refused the same way.
  Product second = *db->find<Product>(Key::ProKeyProductNumber, {int64_t{2}});
  second.productsku = "PAP-1  ";
  const DataError e = thrown([&] { db->update(second); });
  EXPECT_EQ(e.kind(), Kind::Duplicate);
  EXPECT_EQ(std::string(e.what()), "Saving this record would create a duplicate entry in the key PRO:KeyProductSKU.");
}

TEST_F(DemoDataStore, OptionalKeysLeaveOutBlankRecords) {
  // Two blank SKUs do not collide: blank records are not in the unique key.
  Product p1, p2;
  p1.description = "Loose item";
  db->insert(p1);
  db->insert(p2);
  const auto by_sku = positions<Product>(Key::ProKeyProductSKU);
  EXPECT_EQ(by_sku.size(), 2u);  // only the two basics with a SKU
  EXPECT_EQ(positions<Product>(Key::ProKeyProductNumber).size(), 4u);
  EXPECT_EQ(positions<Product>(Key::ProKeyDescription).size(), 3u);  // p2 has no description

  // A customer without a state (written by another program; the field rule
  // keeps our own saves from doing it) is not in CUS:StateKey.
  Customer named = customer(*db, "Adams");
  db->insert(named);
  {
    RawDb raw(file());
    raw.exec(
        "INSERT INTO Customers(CUSTNUMBER, COMPANY, FIRSTNAME, MI, LASTNAME, ADDRESS1, ADDRESS2, CITY, STATE,"
        " ZIPCODE, PHONENUMBER, EXTENSION, PHONETYPE) VALUES(7, 'Blank Co', '', '', '', '', '', '', '', '', '', '', '')");
  }
  EXPECT_EQ(positions<Customer>(Key::CusStateKey), std::vector<int64_t>{named.position});
  EXPECT_EQ(positions<Customer>(Key::CusKeyFullName), std::vector<int64_t>{named.position});
  EXPECT_EQ(positions<Customer>(Key::CusKeyCompany).size(), 2u);  // not optional
}

TEST_F(DemoDataStore, FullNameKeyKeepsDuplicatesAndSortsWithoutCase) {
  const char* names[][2] = {{"smith", "Bob"}, {"Adams", "Zoe"}, {"SMITH", "Al"}, {"Smithers", "Ann"},
                            {"Smith", "Carl"}, {"Smith", "Carl"}};
  std::vector<Customer> added;
  for (auto& n : names) {
    Customer c = customer(*db, n[0], n[1]);
    db->insert(c);
    added.push_back(c);
  }
  std::vector<std::string> order;
  auto cur = db->browse<Customer>(Key::CusKeyFullName);
  Customer c;
  while (cur.next(c)) order.push_back(c.lastname + "," + c.firstname + "#" + std::to_string(c.custnumber));
  EXPECT_EQ(order, (std::vector<std::string>{"Adams,Zoe#2", "SMITH,Al#3", "smith,Bob#1", "Smith,Carl#5",
                                             "Smith,Carl#6", "Smithers,Ann#4"}));
}

TEST_F(DemoDataStore, FieldRulesRefuseBadValuesWithTheirMessages) {
  Customer a = customer(*db, "Adams");
  db->insert(a);
  Order o = order(*db, a.custnumber);
  db->insert(o);

  struct Case {
    const char* name;
    const char* subject;
    const char* message;
    std::function<void()> action;
  };
  const Case cases[] = {
      {"customer state not in States", "CUS:STATE", "Value for Customer's State must be found in the States file.",
       [&] {
         Customer c = customer(*db, "X", "Y", "ZZ");
         db->insert(c);
       }},
      {"customer state blank", "CUS:STATE", "Value for Customer's State must be found in the States file.",
       [&] {
         Customer c = customer(*db, "X", "Y", "  ");
         db->insert(c);
       }},
      {"changed customer state not in States", "CUS:STATE",
       "Value for Customer's State must be found in the States file.",
       [&] {
         Customer c = a;
         c.state = "QQ";
         db->update(c);
       }},
      {"order of an unknown customer", "ORD:CUSTNUMBER",
       "Value for Customer's Identification Number must be found in the Customers file.",
       [&] {
         Order x = order(*db, 999);
         db->insert(x);
       }},
      {"order shipping to an unknown state", "ORD:SHIPSTATE",
       "Value for State to ship to must be found in the States file.",
       [&] {
         Order x = order(*db, a.custnumber);
         x.shipstate = "XX";
         db->insert(x);
       }},
      {"line of an unknown product", "DTL:PRODUCTNUMBER",
       "Value for Product Identification Number must be found in the Products file.",
       [&] {
         Detail d = line(a.custnumber, o.ordernumber, 99);
         db->insert(d);
       }},
      {"quantity 0", "DTL:QUANTITYORDERED",
       "Value for Quantity of product ordered must be in the range 1 .. 99999.",
       [&] {
         Detail d = line(a.custnumber, o.ordernumber, 1, "0");
         db->insert(d);
       }},
      {"quantity 0.99", "DTL:QUANTITYORDERED",
       "Value for Quantity of product ordered must be in the range 1 .. 99999.",
       [&] {
         Detail d = line(a.custnumber, o.ordernumber, 1, "0.99");
         db->insert(d);
       }},
      {"quantity 100000", "DTL:QUANTITYORDERED",
       "Value for Quantity of product ordered must be in the range 1 .. 99999.",
       [&] {
         Detail d = line(a.custnumber, o.ordernumber, 1, "99999.99");
         d.quantityordered = Quantity::fromUnits(100000);
         db->insert(d);
       }},
      {"quantity 99999.01", "DTL:QUANTITYORDERED",
       "Value for Quantity of product ordered must be in the range 1 .. 99999.",
       [&] {
         Detail d = line(a.custnumber, o.ordernumber, 1, "99999.01");
         db->insert(d);
       }},
      {"line number below 1", "DTL:LINENUMBER", "Value for Line number must be in the range 1 .. 99999.99.",
       [&] {
         Detail d = line(a.custnumber, o.ordernumber);
         d.linenumber = -3;
         db->insert(d);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DataError e = thrown(c.action);
    EXPECT_EQ(e.kind(), Kind::FieldRule) << e.what();
    EXPECT_EQ(e.subject(), c.subject);
    EXPECT_EQ(std::string(e.what()), c.message);
  }
  EXPECT_EQ(rowsIn("Detail"), 0);
  EXPECT_EQ(rowsIn("Orders"), 1);

  // The edges that pass: quantity 1.50 and 99999, a state looked up without case.
  for (const char* q : {"1.50", "1", "99999"}) {
    Detail d = line(a.custnumber, o.ordernumber, 2, q);
    EXPECT_NO_THROW(db->insert(d)) << q;
  }
  Customer lower = customer(*db, "Lower", "Case", "ga");
  EXPECT_NO_THROW(db->insert(lower));
  EXPECT_EQ(lower.state, "ga");
}

TEST_F(DemoDataStore, ValuesMustFitTheirFields) {
  struct Case {
    const char* name;
    const char* subject;
    const char* message;  // empty: accepted
    std::function<void()> action;
  };
  const std::string twenty_e = [] {
    std::string s;
    for (int i = 0; i < 20; ++i) s += "\xC3\xA9";  // é: 20 characters, 40 bytes
    return s;
  }();
  const Case cases[] = {
      {"company of 21 characters", "CUS:COMPANY", "Value for CUS:COMPANY is longer than 20 characters.",
       [&] {
         Customer c = customer(*db, "X");
         c.company = std::string(21, 'c');
         db->insert(c);
       }},
      {"company of 20 characters and trailing blanks", "", "",
       [&] {
         Customer c = customer(*db, "X");
         c.company = std::string(20, 'c') + "     ";
         db->insert(c);
         EXPECT_EQ(c.company, std::string(20, 'c'));
       }},
      {"company of 20 two-byte characters", "", "",
       [&] {
         Customer c = customer(*db, "X");
         c.company = twenty_e;
         db->insert(c);
       }},
      {"text that is not UTF-8", "CUS:CITY", "Value for CUS:CITY is not valid UTF-8 text.",
       [&] {
         Customer c = customer(*db, "X");
         c.city = "Orl\xE9ns";
         db->insert(c);
       }},
      {"price beyond DECIMAL 4/2", "PRO:PRICE", "Value for PRO:PRICE does not fit its field (-99999.99 .. 99999.99).",
       [&] {
         Product p;
         p.price = Money::fromUnits(100000);
         db->insert(p);
       }},
      {"tax rate beyond DECIMAL 4/4", "DTL:TAXRATE",
       "Value for DTL:TAXRATE does not fit its field (-999.9999 .. 999.9999).",
       [&] {
         Detail d = line(1, 1);
         d.taxrate = Rate::fromUnits(1000);
         db->insert(d);
       }},
      {"line number beyond a SHORT", "DTL:LINENUMBER",
       "Value for DTL:LINENUMBER does not fit its field (-32768 .. 32767).",
       [&] {
         Detail d = line(1, 1);
         d.linenumber = 40000;
         db->insert(d);
       }},
  };
  Customer owner = customer(*db, "Owner");
  db->insert(owner);
  Order o = order(*db, owner.custnumber);
  db->insert(o);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!*c.message) {
      EXPECT_NO_THROW(c.action());
      continue;
    }
    const DataError e = thrown(c.action);
    EXPECT_EQ(e.kind(), Kind::Width) << e.what();
    EXPECT_EQ(e.subject(), c.subject);
    EXPECT_EQ(std::string(e.what()), c.message);
  }
  // A line total of DECIMAL 6/2 holds more than the line's other amounts.
  Detail big = line(owner.custnumber, o.ordernumber);
  big.totalcost = *Money::parse("999999999.99");
  EXPECT_NO_THROW(db->insert(big));
  EXPECT_EQ(db->find<Detail>(Key::DtlKeyDetails, {int64_t{owner.custnumber}, int64_t{o.ordernumber}})
                ->totalcost.toString(),
            "999999999.99");
}

TEST_F(DemoDataStore, RelationsRestrictOrCascadeAsDefined) {
  Customer a = customer(*db, "Adams"), b = customer(*db, "Baker"), lonely = customer(*db, "Lonely");
  db->insert(a);
  db->insert(b);
  db->insert(lonely);
  Order a1 = order(*db, a.custnumber), a2 = order(*db, a.custnumber);
  db->insert(a1);
  db->insert(a2);
  for (int i = 0; i < 3; ++i) {
    Detail d = line(a.custnumber, a1.ordernumber);
    db->insert(d);
  }
  Detail keep = line(a.custnumber, a2.ordernumber, 2);
  db->insert(keep);

  // A customer with orders stays.
  DataError e = thrown([&] { db->remove(a); });
  EXPECT_EQ(e.kind(), Kind::Restricted);
  EXPECT_EQ(std::string(e.what()), "Unable to delete this Customers record: related records exist in Orders.");
  EXPECT_TRUE(db->find<Customer>(Key::CusKeyCustNumber, {int64_t{a.custnumber}}));
  EXPECT_EQ(rowsIn("Orders"), 2);

  // A customer without orders goes.
  db->remove(lonely);
  EXPECT_FALSE(db->find<Customer>(Key::CusKeyCustNumber, {int64_t{lonely.custnumber}}));

  // An order takes its lines with it, and only its own.
  db->remove(a1);
  EXPECT_EQ(rowsIn("Detail"), 1);
  EXPECT_TRUE(db->find<Detail>(Key::DtlKeyDetails, {int64_t{a.custnumber}, int64_t{a2.ordernumber}}));

  // Parents that children still point at keep their linking fields.
  struct Case {
    const char* name;
    const char* message;
    std::function<void()> action;
  };
  const Case cases[] = {
      {"delete a product on an order line", "Unable to delete this Products record: related records exist in Detail.",
       [&] { db->remove(*db->find<Product>(Key::ProKeyProductNumber, {int64_t{2}})); }},
      {"delete a state customers live in", "Unable to delete this States record: related records exist in Customers.",
       [&] { db->remove(*db->find<State>(Key::StaStateCodeKey, {std::string("FL")})); }},
      {"renumber a customer with orders",
       "Unable to change the linking fields of this Customers record: related records exist in Orders.",
       [&] {
         Customer c = a;
         c.custnumber = 77;
         db->update(c);
       }},
      {"move an order with lines to another customer",
       "Unable to change the linking fields of this Orders record: related records exist in Detail.",
       [&] {
         Order o = a2;
         o.custnumber = b.custnumber;
         db->update(o);
       }},
      {"a line of no order", "Unable to save this Detail record: there is no related record in Orders.",
       [&] {
         Detail d = line(b.custnumber, 5);
         db->insert(d);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DataError err = thrown(c.action);
    EXPECT_EQ(err.kind(), Kind::Restricted) << err.what();
    EXPECT_EQ(std::string(err.what()), c.message);
  }
  // A state nobody uses can go; a customer without orders can be renumbered.
  db->remove(*db->find<State>(Key::StaStateCodeKey, {std::string("NY")}));
  Customer renumbered = b;
  renumbered.custnumber = 90;
  db->update(renumbered);
  EXPECT_TRUE(db->find<Customer>(Key::CusKeyCustNumber, {int64_t{90}}));

  RawDb raw(file());
  EXPECT_TRUE(raw.rows("PRAGMA foreign_key_check").empty());
}

TEST_F(DemoDataStore, ThreadsWithTheirOwnConnectionsNumberWithoutCollisions) {
  // Each browse or form thread opens its own Database; their adds are
  // serialised by the file, so automatic numbers never repeat.
  constexpr int kThreads = 4, kEach = 50;
  std::vector<std::vector<int32_t>> numbers(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      try {
        auto own = Database::openFolder(dir.path());
        for (int i = 0; i < kEach; ++i) {
          Customer c = customer(*own, "Thread" + std::to_string(t));
          own->insert(c);
          Order o = order(*own, c.custnumber);
          own->insert(o);
          numbers[size_t(t)].push_back(o.invoicenumber);
        }
      } catch (const DataError& e) {
        ADD_FAILURE() << "thread " << t << ": " << e.what();
      }
    });
  for (auto& t : threads) t.join();
  std::set<int32_t> all;
  for (auto& v : numbers) all.insert(v.begin(), v.end());
  EXPECT_EQ(all.size(), size_t(kThreads * kEach));
  EXPECT_EQ(*all.begin(), 1);
  EXPECT_EQ(*all.rbegin(), kThreads * kEach);
}

TEST_F(DemoDataStore, ChangingOrDeletingAVanishedRecordIsReported) {
  Customer a = customer(*db, "Adams");
  db->insert(a);
  db->remove(a);
  EXPECT_EQ(thrown([&] { db->update(a); }).kind(), Kind::NotFound);
  EXPECT_EQ(thrown([&] { db->remove(a); }).kind(), Kind::NotFound);
}

TEST_F(DemoDataStore, TransactionsCommitAllOrNothing) {
  {
    Database::Transaction t(*db);
    Customer a = customer(*db, "Adams"), b = customer(*db, "Baker");
    db->insert(a);
    db->insert(b);
  }  // not committed
  EXPECT_EQ(rowsIn("Customers"), 0);

  {
    Database::Transaction t(*db);
    Customer a = customer(*db, "Adams");
    db->insert(a);
    // A refused save inside the batch undoes only itself.
    Customer bad = customer(*db, "Bad", "B", "ZZ");
    EXPECT_THROW(db->insert(bad), DataError);
    Customer b = customer(*db, "Baker");
    db->insert(b);
    EXPECT_EQ(b.custnumber, 2);
    t.commit();
  }
  EXPECT_EQ(rowsIn("Customers"), 2);
}

TEST_F(DemoDataStore, OrderTotalsAreExactSumsOfTheLines) {
  Customer a = customer(*db, "Adams");
  db->insert(a);
  Order o = order(*db, a.custnumber);
  db->insert(o);
  // 0.10 three times is 0.30 exactly, which binary floating point misses.
  for (int i = 0; i < 3; ++i) {
    Detail d = line(a.custnumber, o.ordernumber);
    d.price = *Money::parse("0.10");
    d.discount = *Money::parse("0.01");
    d.taxpaid = *Money::parse("0.10");
    d.totalcost = *Money::parse("0.19");
    db->insert(d);
  }
  const OrderTotals t = db->orderTotals(a.custnumber, o.ordernumber);
  EXPECT_EQ(t.lines, 3);
  EXPECT_EQ(t.subtotal.toString(), "0.30");
  EXPECT_EQ(t.discount.toString(), "0.03");
  EXPECT_EQ(t.tax.toString(), "0.30");
  EXPECT_EQ(t.total.toString(), "0.57");
  EXPECT_EQ(db->orderTotals(a.custnumber, 99).lines, 0);
}

TEST_F(DemoDataStore, CompanyIsOneRecord) {
  EXPECT_FALSE(db->company());
  db->setCompany({0, "Gulf Coast Supply", "1 Main St", "Orlando", "FL", "32801", "4075550100"});
  db->setCompany({0, "Gulf Coast Supply Co", "2 Main St", "Orlando", "FL", "32801", "4075550100"});
  EXPECT_EQ(db->company()->name, "Gulf Coast Supply Co");
  EXPECT_EQ(rowsIn("Company"), 1);
  EXPECT_EQ(thrown([&] { db->setCompany({0, std::string(21, 'x'), "", "", "", "", ""}); }).kind(), Kind::Width);
}

}  // namespace
}  // namespace pyra::demo
