#include "demo/reports/pdf_export.h"

#include <fstream>
#include <optional>
#include <utility>

#include "pyra/gdi.h"
#include "pyra/gdi_metafile.h"
#include "wrapper/host_text.h"

namespace pyra::reports {

namespace {

// A PDF the engine finished ends with its end-of-file marker; one that
// stops short of it was cut off by a failure.
bool endsWithEofMarker(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const std::streamoff size = in.tellg();
  const std::streamoff tail = size < 32 ? size : 32;
  std::string last(size_t(tail), '\0');
  in.seekg(size - tail);
  if (!in.read(last.data(), tail)) return false;
  while (!last.empty() && (last.back() == '\r' || last.back() == '\n' || last.back() == ' ')) last.pop_back();
  return last.ends_with("%%EOF");
}

constexpr int64_t kMaxPdfSideMils = 200 * kMilsPerInch;

}  // namespace

PageSize measureFirstPage(const PreviewQueue& queue) {
  if (queue.empty()) return {};
  const PreviewPage& first = queue.pages().front();
  PLACEABLEMETAHEADER header{};
  BOOL checksum_ok = FALSE;
  if (PyraReadPlaceableHeader(first.file.c_str(), &header, &checksum_ok) && header.inch != 0) {
    const int64_t w = int64_t(header.right) - header.left, h = int64_t(header.bottom) - header.top;
    const int64_t w_mils = w * kMilsPerInch / header.inch, h_mils = h * kMilsPerInch / header.inch;
    // A PDF page side stops at 200 inches (14400 points); a header that
    // claims more is damaged, and the size the page was laid out at serves.
    if (w_mils > 0 && h_mils > 0 && w_mils <= kMaxPdfSideMils && h_mils <= kMaxPdfSideMils)
      return {int32_t(w_mils), int32_t(h_mils)};
  }
  return first.size;
}

// One export holding the application's lock; the control is declared after
// the lock so that it is destroyed, and any environment it still owns
// finalized, while the lock is held.
class ExportRun {
 public:
  explicit ExportRun(ExportLock& lock) : held_(lock.mutex_) {}

  ExportResult run(const PreviewQueue& queue, const ExportSettings& settings, PageSize measured,
                   wrapper::FileNameProvider choose_file) {
    ExportResult result;
    result.width_points = pointsFromMils(measured.width);
    result.height_points = pointsFromMils(measured.height);
    const int32_t wp = result.width_points, hp = result.height_points;

    pdf_.PDFXRES = 72;
    pdf_.PDFYRES = 72;
    pdf_.COMPRESSION = settings.compression;
    pdf_.JPEGCOMPRESS = settings.jpeg_compress;
    std::optional<std::string> chosen;
    pdf_.setFileNameProvider([&](const std::string& title, const std::string& filter, const std::string& folder) {
      held_.unlock();
      struct Relock {
        std::unique_lock<std::mutex>& lock;
        ~Relock() { lock.lock(); }
      } relock{held_};
      chosen = choose_file ? choose_file(title, filter, folder) : std::nullopt;
      return chosen;
    });

    if (pdf_.InitializeEx() <= 0) {
      result.outcome = ExportResult::Outcome::Failed;
      return result;
    }
    const int32_t begun = pdf_.BeginDoc("", 0);
    if (chosen && !chosen->empty()) result.file = wrapper::pdfNameFromChosen(*chosen);
    // Without a document the engine refuses every page call anyway; not
    // making them spares loading each page file for nothing.
    if (begun != 0) {
      for (const PreviewPage& page : queue.pages()) {
        pdf_.StartPageEx(wp, hp, 0);
        pdf_.DrawWMF(page.file.string(), 0, 0, wp, hp);
        pdf_.EndPage();
        ++result.pages;
      }
      pdf_.EndDoc();
    }
    pdf_.Finalize();

    if (begun == 0) {
      result.outcome = chosen && !chosen->empty() ? ExportResult::Outcome::Failed : ExportResult::Outcome::Cancelled;
    } else if (endsWithEofMarker(result.file)) {
      result.outcome = ExportResult::Outcome::Written;
    } else {
      // A file the engine began but could not finish is no PDF: leave no
      // broken document where the user expects a report.
      std::error_code ec;
      std::filesystem::remove(result.file, ec);
      result.outcome = ExportResult::Outcome::Failed;
    }
    return result;
  }

 private:
  std::unique_lock<std::mutex> held_;
  wrapper::PyraControl pdf_;
};

ExportResult exportPreview(const PreviewQueue& queue, const ExportSettings& settings, ExportLock& lock,
                           const MessageSink& message, wrapper::FileNameProvider choose_file) {
  if (queue.empty()) return {};
  const PageSize measured = measureFirstPage(queue);
  if (settings.message_first && message) message(kExportMessage);
  ExportRun run(lock);
  return run.run(queue, settings, measured, std::move(choose_file));
}

}  // namespace pyra::reports
