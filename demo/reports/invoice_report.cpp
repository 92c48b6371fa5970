// The invoice reports: one invoice per order, each starting on a page of
// its own, headed by the company's address.
#include <memory>
#include <string>

#include "demo/data/day_number.h"
#include "demo/data/global_texts.h"
#include "demo/data/line_amounts.h"
#include "demo/reports/picture.h"
#include "demo/reports/report_error.h"
#include "demo/reports/report_fields.h"
#include "demo/reports/report_printer.h"
#include "demo/reports/report_procedures.h"

namespace pyra::reports {

namespace {

using demo::Customer;
using demo::Database;
using demo::Detail;
using demo::Key;
using demo::Money;
using demo::Order;
using demo::Product;

const FontSpec kTitle{"Arial", 20, true};
const FontSpec kCompany{"Arial", 12, true};
const FontSpec kNormal{"Arial", 10};
const FontSpec kBold{"Arial", 10, true};
const FontSpec kSmall{"Arial", 8};
const FontSpec kLine{"Arial", 9};

struct InvoiceBands {
  ReportLayout layout;
  Band header, line, footer;
};

InvoiceBands invoiceBands(bool page_actions) {
  InvoiceBands b;
  ReportLayout& l = b.layout;
  l.title = "Invoices";
  auto left = std::make_shared<const Picture>(makeEmblem(64, 0x8A4A1F));
  auto right = std::make_shared<const Picture>(makeEmblem(64, 0x2F7D32));
  l.page_header.name = "Page Header";
  l.page_header.height = 1550;
  l.page_header.elements = {
      picture({0, 0, 800, 800}, left),
      picture({6700, 0, 800, 800}, right),
      text({1000, 0, 5500, 400}, "INVOICE", kTitle, Align::Center),
      field({1000, 430, 5500, 230}, "COM:NAME", kCompany, Align::Center),
      field({1000, 670, 5500, 200}, "COM:ADDRESS", kNormal, Align::Center),
      field({1000, 870, 5500, 200}, "LOC:CCSZ", kNormal, Align::Center),
      field({1000, 1070, 5500, 200}, "COM:PHONE", kNormal, Align::Center),
      line(0, 1480, 7500, 1480, 20),
  };
  if (page_actions) {
    // Texts the runtime's own generators turn into page actions; printed
    // pages carry them as plain words.
    l.page_header.elements.push_back(text({5300, 1280, 700, 160}, "Previous", kSmall, Align::Center));
    l.page_header.elements.push_back(text({6000, 1280, 700, 160}, "Next", kSmall, Align::Center));
    l.page_header.elements.push_back(text({6700, 1280, 700, 160}, "Last", kSmall, Align::Center));
  }

  b.header.name = "Header";
  b.header.new_page_before = true;
  b.header.height = 2150;
  b.header.elements = {
      frame({0, 100, 3200, 520}),
      text({100, 160, 1200, 200}, "Invoice #", kBold),
      field({1350, 160, 1700, 200}, "ORD:INVOICENUMBER", kBold),
      text({100, 390, 1200, 200}, "Order Date:", kNormal),
      field({1350, 390, 1700, 200}, "ORD:ORDERDATE", kNormal),
      text({0, 780, 3600, 200}, "Sold to", kBold),
      field({200, 990, 3500, 200}, "GLOT:CustName", kNormal),
      field({200, 1190, 3500, 200}, "GLOT:CustAddress", kNormal),
      field({200, 1390, 3500, 200}, "GLOT:CusCSZ", kNormal),
      text({3900, 780, 3600, 200}, "Ship to", kBold),
      field({4100, 990, 3400, 200}, "GLOT:ShipName", kNormal),
      field({4100, 1190, 3400, 200}, "GLOT:ShipAddress", kNormal),
      field({4100, 1390, 3400, 200}, "GLOT:ShipCSZ", kNormal),
      text({0, 1800, 1100, 200}, "Product SKU", kBold),
      text({1100, 1800, 2700, 200}, "Product Description", kBold),
      text({3800, 1800, 900, 200}, "BackOrder", kBold, Align::Center),
      text({4700, 1800, 900, 200}, "Price", kBold, Align::Right),
      text({5600, 1800, 900, 200}, "Quantity", kBold, Align::Right),
      text({6500, 1800, 1000, 200}, "Extension", kBold, Align::Right),
      line(0, 2040, 7500, 2040),
  };

  b.line.name = "Line";
  b.line.height = 220;
  b.line.elements = {
      field({0, 20, 1100, 180}, "PRO:PRODUCTSKU", kLine),
      field({1100, 20, 2700, 180}, "PRO:DESCRIPTION", kLine),
      field({3800, 20, 900, 180}, "DTL:BACKORDERED", kLine, Align::Center),
      field({4700, 20, 900, 180}, "PRO:PRICE", kLine, Align::Right),
      field({5600, 20, 900, 180}, "DTL:QUANTITYORDERED", kLine, Align::Right),
      field({6500, 20, 1000, 180}, "EXTENDPRICE", kLine, Align::Right),
  };

  b.footer.name = "Footer";
  b.footer.height = 1500;
  b.footer.elements = {
      line(0, 60, 7500, 60),
      text({0, 160, 4400, 200}, "NOTE: Product on Back-Order will be available in 4 days.", {"Arial", 9, false, true}),
      text({4600, 160, 1400, 200}, "Sub-total:", kNormal, Align::Right),
      field({6000, 160, 1500, 200}, "SUBTOTAL", kNormal, Align::Right),
      text({4600, 380, 1400, 200}, "Discount:", kNormal, Align::Right),
      field({6000, 380, 1500, 200}, "DISCOUNT", kNormal, Align::Right),
      text({4600, 600, 1400, 200}, "Tax:", kNormal, Align::Right),
      field({6000, 600, 1500, 200}, "TAX", kNormal, Align::Right),
      line(5800, 820, 7500, 820),
      text({4600, 860, 1400, 200}, "Total:", kBold, Align::Right),
      field({6000, 860, 1500, 200}, "TOTAL", kBold, Align::Right),
      text({0, 1200, 7500, 220}, "Thank You For Your Order, Please Call Again.", kBold, Align::Center),
  };
  return b;
}

Fields invoiceFields(const Order& o, const Customer& c) {
  const demo::GlobalTexts g = demo::GlobalTexts::fill(c, o, demo::TextPlace::Invoice);
  return {
      {"ORD:INVOICENUMBER", demo::number7(o.invoicenumber)},
      {"ORD:ORDERDATE", demo::formatDate(o.orderdate)},
      {"GLOT:CustName", g.cust_name},
      {"GLOT:CustAddress", g.cust_address},
      {"GLOT:CusCSZ", g.cus_csz},
      {"GLOT:ShipName", g.ship_name},
      {"GLOT:ShipAddress", g.ship_address},
      {"GLOT:ShipCSZ", g.ship_csz},
  };
}

struct Totals {
  Money subtotal, discount, tax, total;
};

// One invoice: its heading, a band per line (the product fetched by
// PRO:KeyProductNumber), its totals.
void printOne(Database& db, const Order& order, const InvoiceBands& bands, BandWriter& out) {
  // A customer missing from the file still gets an invoice, with blank
  // sold-to lines, as the relation's lookup would leave it.
  const Customer customer =
      db.find<Customer>(Key::CusKeyCustNumber, {int64_t(order.custnumber)}).value_or(Customer{});
  const Fields heading = invoiceFields(order, customer);
  out.groupHeader(bands.header, heading);

  demo::BrowseOptions lines;
  lines.equal = {int64_t(order.custnumber), int64_t(order.ordernumber)};
  auto cursor = db.browse<Detail>(Key::DtlKeyDetails, lines);
  Totals t;
  Detail d;
  while (cursor.next(d)) {
    const Product product =
        db.find<Product>(Key::ProKeyProductNumber, {int64_t(d.productnumber)}).value_or(Product{});
    const Money extend = demo::multiply<2>(d.price, d.quantityordered);  // EXTENDPRICE
    t.subtotal += extend;
    t.discount += d.discount;
    t.tax += d.taxpaid;
    t.total += d.totalcost;
    out.detail(bands.line, {
                               {"PRO:PRODUCTSKU", product.productsku},
                               {"PRO:DESCRIPTION", product.description},
                               {"DTL:BACKORDERED", demo::yesNo(d.backordered)},
                               {"PRO:PRICE", currency(product.price)},
                               {"DTL:QUANTITYORDERED", quantity(d.quantityordered)},
                               {"EXTENDPRICE", currency(extend)},
                           });
  }
  out.groupFooter(bands.footer, {
                                    {"SUBTOTAL", currency(t.subtotal)},
                                    {"DISCOUNT", currency(t.discount)},
                                    {"TAX", currency(t.tax)},
                                    {"TOTAL", currency(t.total)},
                                });
}

}  // namespace

PreviewQueue printInvoices(Database& db, std::optional<int32_t> invoice, bool page_actions) {
  InvoiceBands bands = invoiceBands(page_actions);
  const demo::Company company = db.company().value_or(demo::Company{});
  bands.layout.report_fields = {
      {"COM:NAME", company.name},
      {"COM:ADDRESS", company.address},
      {"LOC:CCSZ", demo::companyCSZ(company)},
      {"COM:PHONE", demo::phonePicture(company.phone)},
  };
  ReportPrinter printer(bands.layout);
  if (invoice) {
    const auto order = db.find<Order>(Key::OrdInvoiceNumberKey, {int64_t(*invoice)});
    if (!order) throw ReportError("there is no invoice " + demo::number7(*invoice));
    printOne(db, *order, bands, printer.bands());
  } else {
    auto orders = db.browse<Order>(Key::OrdInvoiceNumberKey);
    Order o;
    while (orders.next(o)) printOne(db, o, bands, printer.bands());
  }
  return printer.finish();
}

}  // namespace pyra::reports
