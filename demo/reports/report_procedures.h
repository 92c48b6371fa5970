#pragma once
// The printing half of each report procedure: data read in the report's
// order, computed fields, bands. The catalog (report_catalog.h) picks one.
#include <cstdint>
#include <optional>
#include <string>

#include "demo/data/database.h"
#include "demo/reports/preview_queue.h"

namespace pyra::reports {

// All orders in ORD:InvoiceNumberKey order, or the one order with
// `invoice`; `page_actions` adds the "Next", "Previous" and "Last" texts of
// the all-invoice reports to the heading.
PreviewQueue printInvoices(demo::Database& db, std::optional<int32_t> invoice, bool page_actions);
// Product information blocks in PRO:KeyProductSKU order, all or one SKU.
PreviewQueue printProductSheets(demo::Database& db, const std::optional<std::string>& sku);
// Customer information sheets in CUS:KeyFullName order, all or one customer.
PreviewQueue printCustomerSheets(demo::Database& db, std::optional<int32_t> custnumber);
PreviewQueue printCustomersByState(demo::Database& db);
PreviewQueue printProductsList(demo::Database& db);
PreviewQueue printMailingLabels(demo::Database& db);
PreviewQueue printStates(demo::Database& db);

}  // namespace pyra::reports
