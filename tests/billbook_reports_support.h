#pragma once
// Shared by the billbook report tests: a small database built in code (a
// customer Ann Lee among them), page queues made to measure, and reading
// back what the engine wrote.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "demo/data/database.h"
#include "demo/data/line_amounts.h"
#include "demo/reports/pdf_export.h"
#include "demo/reports/report_catalog.h"
#include "testkit/testkit.h"

namespace pyra::reports::testing {

struct LineSpec {
  int32_t product;  // index into the products added
  int64_t quantity_cents;
  bool backordered;
};

// Company, two states, customers Ann Lee (CO) and Bo Diaz (FL), three
// products, orders: invoice 1 for Ann (two lines), invoice 2 for Bo (one
// line on back-order).
inline std::unique_ptr<demo::Database> makeReportDatabase(const std::string& path) {
  auto db = demo::Database::open(path);
  db->setCompany({0, "Test Paper Ltd", "12 Mill Road", "Tampa", "FL", "336021234", "8135550100"});
  for (auto [code, name] : {std::pair{"FL", "Florida"}, std::pair{"CO", "Colorado"}}) {
    demo::State s{0, code, name};
    db->insert(s);
  }
  demo::Customer ann = db->newCustomer();
  ann.firstname = "Ann";
  ann.lastname = "Lee";
  ann.company = "Lee Design";
  ann.address1 = "5 Elm St";
  ann.address2 = "Apt 2";
  ann.city = "Denver";
  ann.state = "CO";
  ann.zipcode = "802021234";
  ann.phonenumber = "3035550111";
  db->insert(ann);
  demo::Customer bo = db->newCustomer();
  bo.firstname = "Bo";
  bo.lastname = "Diaz";
  bo.address1 = "9 Bay Dr";
  bo.city = "Miami";
  bo.zipcode = "33101";
  db->insert(bo);

  const struct {
    const char* sku;
    const char* description;
    int64_t price_cents;
  } products[] = {{"PAP-1", "Copy Paper, Letter", 649}, {"PEN-2", "Gel Pens, Blue, 12", 1099},
                  {"INK-3", "Toner Cartridge", 7450}};
  std::vector<demo::Product> stored;
  for (const auto& p : products) {
    demo::Product r;
    r.productsku = p.sku;
    r.description = p.description;
    r.price = demo::Money::fromMinor(p.price_cents);
    r.cost = demo::Money::fromMinor(p.price_cents / 2);
    r.quantityinstock = demo::Quantity::fromUnits(40);
    r.reorderquantity = demo::Quantity::fromUnits(10);
    db->insert(r);
    stored.push_back(r);
  }

  const auto order = [&](const demo::Customer& c, std::vector<LineSpec> lines) {
    demo::Order o = db->newOrder();
    o.custnumber = c.custnumber;
    o.orderdate = 19800;
    o.shiptoname = c.firstname + " " + c.lastname;
    o.shipaddress1 = c.address1;
    o.shipcity = c.city;
    o.shipstate = c.state;
    o.shipzip = c.zipcode;
    db->insert(o);
    for (const LineSpec& l : lines) {
      demo::Detail d;
      d.custnumber = o.custnumber;
      d.ordernumber = o.ordernumber;
      d.productnumber = stored[size_t(l.product)].productnumber;
      d.quantityordered = demo::Quantity::fromMinor(l.quantity_cents);
      d.backordered = l.backordered;
      d.price = stored[size_t(l.product)].price;
      d.taxrate = demo::Rate::fromUnits(6);
      d.discountrate = demo::Rate::fromUnits(10);
      const demo::LineAmounts a = demo::lineAmounts(d.price, d.quantityordered, d.taxrate, d.discountrate);
      d.taxpaid = a.tax;
      d.discount = a.discount;
      d.savings = a.savings;
      d.totalcost = a.total;
      db->insert(d);
    }
  };
  order(ann, {{0, 200, false}, {2, 150, false}});
  order(bo, {{1, 300, true}});
  return db;
}

// Content streams of every page, decoded by qpdf (an independent reader).
inline std::string decodedContent(const std::string& pdf) {
  testkit::TempDir dir;
  const std::string qdf = dir.file("qdf.pdf");
  testkit::run("qpdf --qdf --object-streams=disable " + testkit::shellQuote(pdf) + " " + testkit::shellQuote(qdf));
  return testkit::readText(qdf);
}

// Every page's content streams as stored in the file, in page order: the
// stream dictionary and the raw (not decoded) data, read by qpdf.
inline std::vector<std::pair<std::string, std::string>> contentStreams(const std::string& pdf) {
  std::vector<std::pair<std::string, std::string>> out;
  const std::string pages = testkit::run("qpdf --show-pages " + testkit::shellQuote(pdf)).out;
  std::istringstream lines(pages);
  std::string line;
  bool in_content = false;
  while (std::getline(lines, line)) {
    if (line.rfind("page ", 0) == 0) in_content = false;
    else if (line.find("content:") != std::string::npos) in_content = true;
    else if (in_content) {
      const std::string number = line.substr(line.find_first_not_of(' '), line.find(" 0 R") - line.find_first_not_of(' '));
      const std::string object = "--show-object=" + number + " " + testkit::shellQuote(pdf);
      out.emplace_back(testkit::run("qpdf " + object).out, testkit::run("qpdf --raw-stream-data " + object).out);
    }
  }
  return out;
}

inline int pageCount(const std::string& pdf) {
  const std::string info = testkit::pdfInfo(pdf);
  const size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// "612 x 792" for page `page`, from pdfinfo.
inline std::string pageSize(const std::string& pdf, int page) {
  const std::string n = std::to_string(page);
  const std::string info = testkit::pdfInfo(pdf, "-f " + n + " -l " + n);
  const std::string key = "size:";
  size_t at = info.find("Page" + std::string(n.size() < 5 ? 5 - n.size() : 1, ' ') + n + " size:");
  if (at == std::string::npos) at = info.find("Page size:");
  if (at == std::string::npos) return {};
  at = info.find(key, at) + key.size();
  const size_t end = info.find(" pts", at);
  std::string s = info.substr(at, end - at);
  while (!s.empty() && s.front() == ' ') s.erase(0, 1);
  return s;
}

inline wrapper::FileNameProvider answer(std::string path) {
  return [path](const std::string&, const std::string&, const std::string&) { return std::optional(path); };
}

}  // namespace pyra::reports::testing
