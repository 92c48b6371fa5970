#pragma once
// billbook without a window: print one exporting report and write its PDF
// to the file named on the command line, the way the report does from the
// menu, with the save dialog answered by that name and the message before
// it written to standard error.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace pyra::billbook {

struct HeadlessRequest {
  std::string report;              // "PrintAllInvoices"
  std::optional<int32_t> invoice;  // PrintInvoice
  std::string data;                // billbook database; empty: demonstration data in a temporary folder
  std::string output;              // the PDF file
};

// 0 when the PDF was written (its path printed to `out`), 1 when the report
// or the export failed, 2 for a request that cannot run; messages go to `err`.
int runHeadlessExport(const HeadlessRequest& request, std::FILE* out, std::FILE* err);

// Lists the reports, marking those that export to PDF.
void listReports(std::FILE* out);

}  // namespace pyra::billbook
