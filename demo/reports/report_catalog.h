#pragma once
// billbook's report procedures: what each one is called, whether it hands its
// pages to the PDF export and with which settings, and the printing itself.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "demo/data/database.h"
#include "demo/reports/pdf_export.h"
#include "demo/reports/preview_queue.h"

namespace pyra::reports {

// What a procedure started for a selected record prints; headless runs
// give it on the command line.
struct ReportRequest {
  std::optional<int32_t> invoice = {};      // PrintInvoice, PrintInvoiceFromBrowse: ORD:INVOICENUMBER
  std::optional<int32_t> customer = {};     // PrintSelectedCustomer: CUS:CUSTNUMBER (all when absent)
  std::optional<std::string> product = {};  // PrintSelectedProduct: PRO:PRODUCTSKU (all when absent)
};

enum class ReportKind {
  AllInvoices,     // every order, with the page actions' texts in the heading
  OneInvoice,      // the order of ReportRequest::invoice
  AllProducts,
  SelectedProduct,
  SelectedCustomer,
  CustomersByState,
  ProductsList,
  MailingLabels,
  States,
};

struct ReportInfo {
  const char* name;    // the procedure's name: "PrintAllInvoices"
  const char* prints;  // one line for listings
  ReportKind kind;
  bool previews;
  std::optional<ExportSettings> export_settings;  // set for the reports that export through PyraControl
};

std::span<const ReportInfo> reportCatalog();
// Exact name, or nullptr.
const ReportInfo* findReport(std::string_view name);

// Reads the report's data and prints it into a fresh preview queue; an
// empty queue when there was nothing to print. Throws ReportError for a
// selection that names no record, DataError for a store that fails.
PreviewQueue printReport(const ReportInfo& report, demo::Database& db, const ReportRequest& request);

}  // namespace pyra::reports
