// The list reports: customers by state, products, states, and the ship-to
// mailing labels: one row (or label) per record under column headings.
#include <cctype>
#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "demo/data/day_number.h"
#include "demo/data/global_texts.h"
#include "demo/reports/report_fields.h"
#include "demo/reports/report_printer.h"
#include "demo/reports/report_procedures.h"

namespace pyra::reports {

namespace {

using demo::Key;

const FontSpec kTitle{"Arial", 16, true};
const FontSpec kHeading{"Arial", 9, true};
const FontSpec kRow{"Arial", 9};

struct Column {
  const char* heading;
  const char* field;
  int32_t x, w;
  Align align = Align::Left;
};

// Title and column headings on every page; the page number in the footer.
ReportLayout listLayout(const std::string& title, const std::vector<Column>& columns) {
  ReportLayout l;
  l.title = title;
  l.page_header.name = "Page Header";
  l.page_header.height = 800;
  l.page_header.elements = {text({0, 0, 7500, 350}, title, kTitle, Align::Center)};
  for (const Column& c : columns)
    l.page_header.elements.push_back(text({c.x, 520, c.w, 190}, c.heading, kHeading, c.align));
  l.page_header.elements.push_back(line(0, 740, 7500, 740));
  l.page_footer.name = "Page Footer";
  l.page_footer.height = 300;
  l.page_footer.elements = {line(0, 40, 7500, 40),
                            labelled({5500, 90, 2000, 180}, "Page ", "PAGE", kRow, Align::Right)};
  return l;
}

Band rowBand(const std::vector<Column>& columns) {
  Band b;
  b.name = "Detail";
  b.height = 200;
  for (const Column& c : columns) b.elements.push_back(field({c.x, 10, c.w, 180}, c.field, kRow, c.align));
  return b;
}

}  // namespace

PreviewQueue printCustomersByState(demo::Database& db) {
  const std::vector<Column> columns = {
      {"Name", "GLOT:CustName", 0, 2100},     {"Company", "CUS:COMPANY", 2100, 1700},
      {"City", "CUS:CITY", 3800, 1400},       {"Zipcode", "CUS:ZIPCODE", 5200, 1000},
      {"Phone#", "CUS:PHONENUMBER", 6200, 1000}, {"Ext", "CUS:EXTENSION", 7200, 300},
  };
  ReportLayout layout = listLayout("Customers By State", columns);
  Band state;
  state.name = "State";
  state.height = 330;
  state.elements = {field({0, 80, 3000, 200}, "CUS:STATE", {"Arial", 10, true})};
  Band end;
  end.name = "State Footer";
  end.height = 80;
  const Band row = rowBand(columns);

  ReportPrinter printer(layout);
  auto cursor = db.browse<demo::Customer>(Key::CusStateKey);
  demo::Customer c;
  std::string current;
  bool open = false;
  while (cursor.next(c)) {
    // The key ignores letter case, and so does the grouping.
    std::string key = c.state;
    for (char& ch : key) ch = char(std::toupper(uint8_t(ch)));
    if (!open || key != current) {
      if (open) printer.bands().groupFooter(end, {});
      printer.bands().groupHeader(state, {{"CUS:STATE", c.state}});
      current = key;
      open = true;
    }
    printer.bands().detail(row, {
                                    {"GLOT:CustName", demo::custName(c, demo::TextPlace::Browse)},
                                    {"CUS:COMPANY", c.company},
                                    {"CUS:CITY", c.city},
                                    {"CUS:ZIPCODE", demo::zipPicture(c.zipcode)},
                                    {"CUS:PHONENUMBER", demo::phonePicture(c.phonenumber)},
                                    {"CUS:EXTENSION", c.extension},
                                });
  }
  if (open) printer.bands().groupFooter(end, {});
  return printer.finish();
}

PreviewQueue printProductsList(demo::Database& db) {
  const std::vector<Column> columns = {
      {"Product SKU", "PRO:PRODUCTSKU", 0, 1300},
      {"Description", "PRO:DESCRIPTION", 1300, 3200},
      {"Qty. In Stock", "PRO:QUANTITYINSTOCK", 4500, 1000, Align::Right},
      {"Unit Price", "PRO:PRICE", 5500, 1000, Align::Right},
      {"Re-order Qty.", "PRO:REORDERQUANTITY", 6500, 1000, Align::Right},
  };
  ReportLayout layout = listLayout("Products List", columns);
  const Band row = rowBand(columns);
  ReportPrinter printer(layout);
  auto cursor = db.browse<demo::Product>(Key::ProKeyProductSKU);
  demo::Product p;
  while (cursor.next(p))
    printer.bands().detail(row, {
                                    {"PRO:PRODUCTSKU", p.productsku},
                                    {"PRO:DESCRIPTION", p.description},
                                    {"PRO:QUANTITYINSTOCK", quantity(p.quantityinstock)},
                                    {"PRO:PRICE", currency(p.price)},
                                    {"PRO:REORDERQUANTITY", quantity(p.reorderquantity)},
                                });
  return printer.finish();
}

PreviewQueue printStates(demo::Database& db) {
  const std::vector<Column> columns = {
      {"State Code", "STA:STATECODE", 0, 1500},
      {"State Name", "STA:NAME", 1500, 4000},
  };
  ReportLayout layout = listLayout("States Report", columns);
  // Date and time of the run, taken once so every page shows the same.
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  char clock[16];
  std::strftime(clock, sizeof clock, "%I:%M %p", &local);
  layout.report_fields = {{"DATE", demo::formatDate(demo::today())}, {"TIME", clock}};
  layout.page_footer.elements.push_back(labelled({0, 90, 2000, 180}, "Date: ", "DATE", kRow));
  layout.page_footer.elements.push_back(labelled({2500, 90, 2000, 180}, "Time: ", "TIME", kRow));
  const Band row = rowBand(columns);
  ReportPrinter printer(layout);
  auto cursor = db.browse<demo::State>(Key::StaStateCodeKey);
  demo::State s;
  while (cursor.next(s)) printer.bands().detail(row, {{"STA:STATECODE", s.statecode}, {"STA:NAME", s.name}});
  return printer.finish();
}

PreviewQueue printMailingLabels(demo::Database& db) {
  ReportLayout layout;
  layout.title = "Mailing Labels";
  Band label;
  label.name = "Label";
  label.height = 1000;
  label.elements = {
      frame({0, 50, 3800, 880}, 5),
      field({150, 120, 3500, 190}, "ORD:SHIPTONAME", {"Arial", 10, true}),
      field({150, 330, 3500, 190}, "ORD:SHIPADDRESS1", kRow),
      field({150, 530, 3500, 190}, "ORD:SHIPADDRESS2", kRow),
      field({150, 730, 3500, 190}, "GLOT:ShipCSZ", kRow),
  };
  ReportPrinter printer(layout);
  auto cursor = db.browse<demo::Order>(Key::OrdKeyCustOrderNumber);
  demo::Order o;
  while (cursor.next(o))
    printer.bands().detail(label, {
                                      {"ORD:SHIPTONAME", o.shiptoname},
                                      {"ORD:SHIPADDRESS1", o.shipaddress1},
                                      {"ORD:SHIPADDRESS2", o.shipaddress2},
                                      {"GLOT:ShipCSZ", demo::shipCSZ(o, demo::TextPlace::MailingLabel)},
                                  });
  return printer.finish();
}

}  // namespace pyra::reports
