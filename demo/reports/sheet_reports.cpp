// The information sheets: a block per product (with its picture) or per
// customer, under a titled page heading, numbered pages.
#include <memory>
#include <string>

#include "demo/data/global_texts.h"
#include "demo/reports/picture.h"
#include "demo/reports/report_fields.h"
#include "demo/reports/report_printer.h"
#include "demo/reports/report_procedures.h"

namespace pyra::reports {

namespace {

using demo::Customer;
using demo::Key;
using demo::Product;

const FontSpec kTitle{"Arial", 16, true};
const FontSpec kLabel{"Arial", 10, true};
const FontSpec kValue{"Arial", 10};

ReportLayout titledLayout(const std::string& title) {
  ReportLayout l;
  l.title = title;
  l.page_header.name = "Page Header";
  l.page_header.height = 600;
  l.page_header.elements = {text({0, 0, 7500, 350}, title, kTitle, Align::Center), line(0, 480, 7500, 480, 20)};
  l.page_footer.name = "Page Footer";
  l.page_footer.height = 300;
  l.page_footer.elements = {line(0, 40, 7500, 40), labelled({5500, 90, 2000, 180}, "Page ", "PAGE", kValue, Align::Right)};
  return l;
}

// Label and value rows of a sheet, 230 mils apart, starting at `top`.
void rows(Band& band, int32_t top, int32_t label_x, int32_t value_x,
          std::initializer_list<std::pair<const char*, const char*>> label_field) {
  int32_t y = top;
  for (const auto& [label, name] : label_field) {
    band.elements.push_back(text({label_x, y, value_x - label_x - 100, 200}, label, kLabel));
    band.elements.push_back(field({value_x, y, 7500 - value_x, 200}, name, kValue));
    y += 230;
  }
}

}  // namespace

PreviewQueue printProductSheets(demo::Database& db, const std::optional<std::string>& sku) {
  ReportLayout layout = titledLayout("Product Information");
  Band block;
  block.name = "Detail";
  block.height = 1700;
  rows(block, 100, 0, 2000,
       {{"Product SKU:", "PRO:PRODUCTSKU"},
        {"Description:", "PRO:DESCRIPTION"},
        {"Quantity In Stock:", "PRO:QUANTITYINSTOCK"},
        {"Re-order Quantity:", "PRO:REORDERQUANTITY"},
        {"Unit Price:", "PRO:PRICE"},
        {"Unit Cost:", "PRO:COST"}});
  for (auto& e : block.elements)
    if (e.kind == Element::Kind::Text && !e.field.empty()) e.box.w = 3800;  // leave room for the picture
  block.elements.push_back(line(0, 1600, 7500, 1600, 5));
  const size_t picture_slot = block.elements.size();
  block.elements.push_back(picture({6100, 100, 1300, 1300}, nullptr));

  ReportPrinter printer(layout);
  demo::BrowseOptions options;
  if (sku) options.equal = {*sku};
  auto cursor = db.browse<Product>(Key::ProKeyProductSKU, options);
  Product p;
  // Each product draws its own picture, so each gets a band of its own;
  // they stay alive until the printer has recorded every page.
  std::vector<std::unique_ptr<Band>> bands;
  while (cursor.next(p)) {
    auto band = std::make_unique<Band>(block);
    band->elements[picture_slot].picture =
        std::make_shared<const Picture>(makeProductPicture(p.productsku + p.description, 48));
    printer.bands().detail(*band, {
                                      {"PRO:PRODUCTSKU", p.productsku},
                                      {"PRO:DESCRIPTION", p.description},
                                      {"PRO:QUANTITYINSTOCK", quantity(p.quantityinstock)},
                                      {"PRO:REORDERQUANTITY", quantity(p.reorderquantity)},
                                      {"PRO:PRICE", currency(p.price)},
                                      {"PRO:COST", currency(p.cost)},
                                  });
    bands.push_back(std::move(band));
  }
  return printer.finish();
}

PreviewQueue printCustomerSheets(demo::Database& db, std::optional<int32_t> custnumber) {
  ReportLayout layout = titledLayout("Customer Information");
  Band block;
  block.name = "Detail";
  block.height = 1650;
  rows(block, 100, 0, 2000,
       {{"Name:", "GLOT:CustName"},
        {"Company:", "CUS:COMPANY"},
        {"Address:", "LOC:ADDRESS"},
        {"City/State/Zip:", "LOC:CSZ"},
        {"Phone#/Extension:", "PHONE"}});
  block.elements.push_back(line(0, 1500, 7500, 1500, 5));

  ReportPrinter printer(layout);
  demo::BrowseOptions options;
  if (custnumber) {
    // The selected customer's name limits the range; the number picks the
    // one record among namesakes.
    const auto c = db.find<Customer>(Key::CusKeyCustNumber, {int64_t(*custnumber)});
    if (!c) return printer.finish();
    options.equal = {c->lastname, c->firstname, c->mi};
    options.filter = {{"CUS:CUSTNUMBER", demo::Condition::Op::Eq, int64_t(*custnumber)}};
  }
  auto cursor = db.browse<Customer>(Key::CusKeyFullName, options);
  Customer c;
  while (cursor.next(c)) {
    std::string phone = demo::phonePicture(c.phonenumber);
    if (!demo::clip(c.extension).empty()) phone += "  " + demo::clip(c.extension);
    printer.bands().detail(block, {
                                      {"GLOT:CustName", demo::custName(c, demo::TextPlace::CustomerSheet)},
                                      {"CUS:COMPANY", c.company},
                                      {"LOC:ADDRESS", demo::sheetAddress(c)},
                                      {"LOC:CSZ", demo::sheetCSZ(c)},
                                      {"PHONE", phone},
                                  });
  }
  return printer.finish();
}

}  // namespace pyra::reports
