// Exact decimals, line amounts and the global texts the windows and reports
// print, with the blanks each place joins them with.
#include <gtest/gtest.h>

#include "demo/data/day_number.h"
#include "demo/data/global_texts.h"
#include "demo/data/line_amounts.h"

namespace pyra::demo {
namespace {

TEST(DemoDataDecimal, ParsesAndPrintsWithoutRoundingSurprises) {
  struct Case {
    const char* text;
    std::optional<int64_t> minor;
    const char* printed;
  };
  const Case cases[] = {
      {"1.50", 150, "1.50"},      {"1.5", 150, "1.50"},      {"-0.05", -5, "-0.05"},
      {".5", 50, "0.50"},         {"1,234.56", 123456, "1234.56"}, {" 7 ", 700, "7.00"},
      {"+3", 300, "3.00"},        {"1.505", std::nullopt, ""},     {"abc", std::nullopt, ""},
      {"", std::nullopt, ""},     {"-", std::nullopt, ""},         {"1.2.3", std::nullopt, ""},
      {"99999999999999999999", std::nullopt, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto v = Money::parse(c.text);
    ASSERT_EQ(v.has_value(), c.minor.has_value());
    if (!v) continue;
    EXPECT_EQ(v->minor(), *c.minor);
    EXPECT_EQ(v->toString(), c.printed);
  }
  EXPECT_EQ(Rate::parse("6.5")->toString(), "6.5000");
}

TEST(DemoDataDecimal, LineAmountsRoundHalvesToEvenCents) {
  struct Case {
    const char* name;
    const char* price;
    const char* quantity;
    const char* tax;
    const char* discount;
    const char* extended;
    const char* discount_amount;
    const char* tax_amount;
    const char* total;
  };
  const Case cases[] = {
      {"plain", "6.49", "3", "6", "0", "19.47", "0.00", "1.17", "20.64"},
      {"half cent down to even", "0.25", "0.50", "0", "0", "0.12", "0.00", "0.00", "0.12"},
      {"half cent up to even", "0.75", "0.50", "0", "0", "0.38", "0.00", "0.00", "0.38"},
      {"discount before tax", "100.00", "2", "7.25", "10", "200.00", "20.00", "13.05", "193.05"},
      {"fractional quantity", "7.99", "13.50", "4", "0", "107.86", "0.00", "4.31", "112.17"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LineAmounts a = lineAmounts(*Money::parse(c.price), *Quantity::parse(c.quantity), *Rate::parse(c.tax),
                                      *Rate::parse(c.discount));
    EXPECT_EQ(a.extended.toString(), c.extended);
    EXPECT_EQ(a.discount.toString(), c.discount_amount);
    EXPECT_EQ(a.tax.toString(), c.tax_amount);
    EXPECT_EQ(a.total.toString(), c.total);
    EXPECT_EQ(a.extended - a.discount + a.tax, a.total);
  }
}

TEST(DemoDataTexts, GlobalTextsJoinFieldsAsEachPlaceDoes) {
  Customer c;
  c.firstname = "John";
  c.lastname = "Smith";
  c.address1 = "12 Palm Ave";
  c.address2 = "Suite 4";
  c.city = "Orlando";
  c.state = "FL";
  c.zipcode = "32801-1234";
  Order o;
  o.shiptoname = "Jane Smith   ";
  o.shipaddress1 = "9 Bay St";
  o.shipaddress2 = "Apt 2";
  o.shipcity = "Tampa";
  o.shipstate = "FL";
  o.shipzip = "33602";
  Customer no_state = c;
  no_state.state = "";
  Customer no_second_line = c;
  no_second_line.address2 = "";
  Customer long_name = c;
  long_name.firstname = std::string(20, 'F');
  long_name.lastname = std::string(25, 'L');
  Company company{0, "Gulf Coast Supply Co", "", "Orlando", "FL", "32804-4811", ""};

  struct Case {
    const char* name;
    std::string got;
    std::string expected;
  };
  const Case cases[] = {
      {"CustName in a browse", custName(c, TextPlace::Browse), "John   Smith"},
      {"CustName on an invoice", custName(c, TextPlace::Invoice), "John   Smith"},
      {"CustName on the customer sheet", custName(c, TextPlace::CustomerSheet), "John  Smith"},
      {"CustName cut to 35", custName(long_name, TextPlace::Browse),
       std::string(20, 'F') + "   " + std::string(12, 'L')},
      {"CustAddress", custAddress(c), "12 Palm Ave    Suite 4"},
      {"CusCSZ in a browse", cusCSZ(c, TextPlace::Browse), "Orlando,  FL   32801-1234"},
      {"CusCSZ on an invoice", cusCSZ(c, TextPlace::Invoice), "Orlando,  FL     32801-1234"},
      {"CusCSZ with a blank state keeps its width", cusCSZ(no_state, TextPlace::Browse), "Orlando,       32801-1234"},
      {"ShipName", shipName(o), "Jane Smith"},
      {"ShipAddress on an invoice", shipAddress(o, TextPlace::Invoice), "9 Bay St    Apt 2"},
      {"ShipAddress on a label", shipAddress(o, TextPlace::MailingLabel), "9 Bay St  Apt 2"},
      {"ShipCSZ in a browse", shipCSZ(o, TextPlace::Browse), "Tampa,  FL   33602"},
      {"ShipCSZ on an invoice", shipCSZ(o, TextPlace::Invoice), "Tampa,  FL    33602"},
      {"ShipCSZ on a label", shipCSZ(o, TextPlace::MailingLabel), "Tampa, FL 33602"},
      {"company city line", companyCSZ(company), "Orlando, FL  32804-4811"},
      {"sheet address with two lines", sheetAddress(c), "12 Palm Ave,  Suite 4"},
      {"sheet address with one line", sheetAddress(no_second_line), "12 Palm Ave"},
      {"sheet CSZ complete", sheetCSZ(c), "Orlando, FL  32801-1234"},
      {"sheet CSZ without state", sheetCSZ(no_state), "Orlando,  32801-1234"},
      {"invoice number picture", number7(42), "0000042"},
      {"ZIP picture", zipPicture("328011234"), "32801-1234"},
      {"ZIP picture blank", zipPicture(""), ""},
      {"phone picture", phonePicture("4075550142"), "(407) 555-0142"},
      {"phone picture blank", phonePicture("   "), ""},
  };
  for (const Case& k : cases) EXPECT_EQ(k.got, k.expected) << k.name;

  Customer no_city = c;
  no_city.city = "";
  EXPECT_EQ(sheetCSZ(no_city), "FL  32801-1234");
  Customer no_zip = c;
  no_zip.zipcode = "";
  EXPECT_EQ(sheetCSZ(no_zip), "Orlando,  FL");
  const GlobalTexts all = GlobalTexts::fill(c, o, TextPlace::Invoice);
  ASSERT_TRUE(all.byName("glot:cuscsz"));
  EXPECT_EQ(*all.byName("glot:cuscsz"), "Orlando,  FL     32801-1234");
  EXPECT_EQ(*all.byName("GLOT:ShipCSZ"), "Tampa,  FL    33602");
  EXPECT_EQ(all.byName("GLOT:Nothing"), nullptr);
  // Cutting never splits a character.
  EXPECT_EQ(cutTo("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xC3\xA9\xC3\xA9");
}

}  // namespace
}  // namespace pyra::demo

namespace pyra::demo {
namespace {

TEST(DemoDataDates, DayNumbersCountFromTheEpoch) {
  EXPECT_EQ(dayNumber(1970, 1, 1), 0);
  EXPECT_EQ(dayNumber(2024, 1, 2), 19724);
  EXPECT_EQ(dayNumber(1969, 12, 31), -1);
  EXPECT_EQ(formatDate(dayNumber(2024, 2, 29)), "2/29/2024");
  EXPECT_EQ(formatDate(dayNumber(2025, 12, 31) + 1), "1/1/2026");
}

}  // namespace
}  // namespace pyra::demo
