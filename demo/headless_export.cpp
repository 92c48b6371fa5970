#include "demo/headless_export.h"

#include <stdlib.h>

#include <exception>
#include <filesystem>
#include <memory>

#include "demo/data/database.h"
#include "demo/data/seed.h"
#include "demo/reports/pdf_export.h"
#include "demo/reports/report_catalog.h"

namespace pyra::billbook {

namespace {

// The demonstration database of a run without --data: seeded afresh in a
// folder of its own and removed with it.
class ScratchData {
 public:
  ScratchData() {
    std::string pattern = (std::filesystem::temp_directory_path() / "billbook-data-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder for the demonstration data");
    folder_ = pattern;
  }
  ~ScratchData() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }
  ScratchData(const ScratchData&) = delete;
  ScratchData& operator=(const ScratchData&) = delete;
  std::filesystem::path file() const { return folder_ / demo::Database::kFileName; }

 private:
  std::filesystem::path folder_;
};

}  // namespace

void listReports(std::FILE* out) {
  for (const reports::ReportInfo& r : reports::reportCatalog())
    std::fprintf(out, "%-24s %s%s\n", r.name, r.prints, r.export_settings ? " [exports to PDF]" : "");
}

int runHeadlessExport(const HeadlessRequest& request, std::FILE* out, std::FILE* err) {
  const reports::ReportInfo* report = reports::findReport(request.report);
  if (report == nullptr) {
    std::fprintf(err, "billbook: there is no report \"%s\" (billbook --list shows them)\n", request.report.c_str());
    return 2;
  }
  if (!report->export_settings) {
    std::fprintf(err, "billbook: %s does not export to PDF (billbook --list marks those that do)\n", report->name);
    return 2;
  }
  if (request.output.empty()) {
    std::fprintf(err, "billbook: --export needs -o OUT.pdf\n");
    return 2;
  }
  try {
    std::unique_ptr<ScratchData> scratch;
    std::unique_ptr<demo::Database> db;
    if (request.data.empty()) {
      scratch = std::make_unique<ScratchData>();
      db = demo::Database::open(scratch->file());
      demo::seedDemoData(*db);
    } else {
      if (!std::filesystem::exists(request.data)) {
        std::fprintf(err, "billbook: %s: no such database\n", request.data.c_str());
        return 2;
      }
      db = demo::Database::open(request.data);
    }
    reports::ReportRequest selection;
    selection.invoice = request.invoice;
    const reports::PreviewQueue queue = reports::printReport(*report, *db, selection);
    if (queue.empty()) {
      std::fprintf(err, "billbook: %s printed no page; nothing to export\n", report->name);
      return 1;
    }
    reports::ExportLock lock;  // one export in this process; the lock keeps the pattern of the threaded UI
    const auto message = [err](const std::string& text) { std::fprintf(err, "%s\n", text.c_str()); };
    const std::string answer = request.output;
    const reports::ExportResult result = reports::exportPreview(
        queue, *report->export_settings, lock, message,
        [&answer](const std::string&, const std::string&, const std::string&) { return std::optional(answer); });
    switch (result.outcome) {
      case reports::ExportResult::Outcome::Written:
        std::fprintf(out, "%s\n", result.file.c_str());
        return 0;
      case reports::ExportResult::Outcome::Skipped:
        std::fprintf(err, "billbook: %s: nothing to export\n", report->name);
        return 1;
      case reports::ExportResult::Outcome::Cancelled:
        std::fprintf(err, "billbook: %s: no file name; nothing written\n", report->name);
        return 1;
      case reports::ExportResult::Outcome::Failed:
        std::fprintf(err, "billbook: %s: the PDF file %s could not be written\n", report->name,
                     result.file.empty() ? request.output.c_str() : result.file.c_str());
        return 1;
    }
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(err, "billbook: %s: %s\n", report->name, e.what());
    return 1;
  }
}

}  // namespace pyra::billbook
