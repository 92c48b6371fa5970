#include "demo/reports/report_catalog.h"

#include "demo/reports/report_error.h"
#include "demo/reports/report_procedures.h"

namespace pyra::reports {

namespace {

constexpr ExportSettings kExportWithPreview{1, 3, true};
// Pages that go only to the file: no compression, no JPEG, no message.
constexpr ExportSettings kExportOnly{0, 0, false};

const ReportInfo kReports[] = {
    {"PrintInvoiceFromBrowse", "one invoice: the order selected in the orders browse", ReportKind::OneInvoice,
     true, std::nullopt},
    {"PrintSelectedCustomer", "customer information sheet", ReportKind::SelectedCustomer, true, std::nullopt},
    {"PrintSelectedProduct", "product information sheet", ReportKind::SelectedProduct, true, std::nullopt},
    {"PrintCUS:StateKey", "customers by state", ReportKind::CustomersByState, true, std::nullopt},
    {"PrintPRO:KeyProductSKU", "products list", ReportKind::ProductsList, true, std::nullopt},
    {"PrintAllProducts", "product information with picture, one block per product", ReportKind::AllProducts, true,
     kExportWithPreview},
    {"PrintAllInvoices", "all invoices", ReportKind::AllInvoices, true, kExportWithPreview},
    {"PrintInvoice", "one invoice, chosen by its number", ReportKind::OneInvoice, true, kExportWithPreview},
    {"PrintMailingLabels", "one ship-to label per order", ReportKind::MailingLabels, true, std::nullopt},
    {"PrintStates", "states list", ReportKind::States, true, std::nullopt},
    {"PrintStatesNPPV", "states list, without preview", ReportKind::States, false, std::nullopt},
    {"PrintStatesOOpt", "states list", ReportKind::States, true, std::nullopt},
    {"PrintAllInvsOOpt", "all invoices", ReportKind::AllInvoices, true, kExportWithPreview},
    {"PrintAllInvsNPPV", "all invoices, without preview", ReportKind::AllInvoices, false, std::nullopt},
    {"PyraPrintAllInvsNPPV", "all invoices, to the PDF file only, uncompressed", ReportKind::AllInvoices, false,
     kExportOnly},
};

}  // namespace

std::span<const ReportInfo> reportCatalog() { return kReports; }

const ReportInfo* findReport(std::string_view name) {
  for (const ReportInfo& r : kReports)
    if (name == r.name) return &r;
  return nullptr;
}

PreviewQueue printReport(const ReportInfo& report, demo::Database& db, const ReportRequest& request) {
  switch (report.kind) {
    case ReportKind::AllInvoices:
      return printInvoices(db, std::nullopt, true);
    case ReportKind::OneInvoice:
      if (!request.invoice) throw ReportError(std::string(report.name) + " needs an invoice number");
      return printInvoices(db, request.invoice, false);
    case ReportKind::AllProducts:
      return printProductSheets(db, std::nullopt);
    case ReportKind::SelectedProduct:
      return printProductSheets(db, request.product);
    case ReportKind::SelectedCustomer:
      return printCustomerSheets(db, request.customer);
    case ReportKind::CustomersByState:
      return printCustomersByState(db);
    case ReportKind::ProductsList:
      return printProductsList(db);
    case ReportKind::MailingLabels:
      return printMailingLabels(db);
    case ReportKind::States:
      return printStates(db);
  }
  throw ReportError(std::string(report.name) + ": unknown kind of report");
}

}  // namespace pyra::reports
