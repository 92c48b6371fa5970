// The PDF export step of billbook's reports, judged by qpdf and poppler:
// page count and order, page size, texts, compression, the save dialog,
// and two exports at once.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "billbook_reports_support.h"
#include "demo/reports/wmf_page_recorder.h"

namespace pyra::reports {
namespace {

using testing::answer;
using testing::decodedContent;
using testing::makeReportDatabase;
using testing::pageCount;
using testing::pageSize;
using testkit::TempDir;

// A queue of pages of the given sizes, each saying which page it is.
PreviewQueue queueOfPages(const std::vector<PageSize>& sizes) {
  ReportLayout layout;
  layout.margins = {500, 500, 500, 500};
  Band marker;
  marker.height = 400;
  marker.elements = {labelled({0, 0, 4000, 300}, "page marker ", "N", {"Arial", 14, true})};
  PreviewQueue queue = PreviewQueue::makeTemporary();
  for (size_t i = 0; i < sizes.size(); ++i) {
    PlacedPage page;
    page.number = int32_t(i + 1);
    page.size = sizes[i];
    page.bands.push_back({&marker, 1000, {{"N", std::to_string(i + 1)}}});
    const auto file = queue.nextPageFile();
    recordPage(layout, page, file);
    queue.add({file, sizes[i]});
  }
  return queue;
}

const ExportSettings kWithPreview{1, 3, true};

ReportRequest forInvoice(int32_t invoice) {
  ReportRequest r;
  r.invoice = invoice;
  return r;
}
ReportRequest forCustomer(int32_t custnumber) {
  ReportRequest r;
  r.customer = custnumber;
  return r;
}
ReportRequest forProduct(std::string sku) {
  ReportRequest r;
  r.product = std::move(sku);
  return r;
}

TEST(BillbookExport, EveryPageGetsTheFirstPagesSizeInPreviewOrder) {
  const struct {
    const char* name;
    std::vector<PageSize> sizes;
    const char* expected_size;
  } cases[] = {
      {"three letter pages", {{8500, 11000}, {8500, 11000}, {8500, 11000}}, "612 x 792"},
      {"later pages larger and smaller", {{8500, 11000}, {11000, 17000}, {5500, 8500}}, "612 x 792"},
      {"an A4 first page, points cut toward zero", {{8268, 11693}, {8500, 11000}}, "595 x 841"},
      {"a landscape first page", {{11000, 8500}, {8500, 11000}, {8500, 11000}}, "792 x 612"},
  };
  ExportLock lock;
  for (const auto& c : cases) {
    TempDir dir;
    const PreviewQueue queue = queueOfPages(c.sizes);
    const std::string pdf = dir.file("out.pdf");
    const ExportResult r = exportPreview(queue, kWithPreview, lock, {}, answer(pdf));
    ASSERT_EQ(r.outcome, ExportResult::Outcome::Written) << c.name;
    std::string report;
    EXPECT_TRUE(testkit::qpdfCheck(pdf, &report)) << c.name << "\n" << report;
    ASSERT_EQ(pageCount(pdf), int(c.sizes.size())) << c.name;
    for (int p = 1; p <= int(c.sizes.size()); ++p) {
      EXPECT_EQ(pageSize(pdf, p), c.expected_size) << c.name << ", page " << p;
      // A page stretched to another shape stretches its text too, and
      // pdftotext then sees no gaps between the words.
      const std::string n = std::to_string(p);
      std::string shown = testkit::pdfText(pdf, "-f " + n + " -l " + n);
      std::erase(shown, ' ');
      EXPECT_NE(shown.find("pagemarker" + n), std::string::npos)
          << c.name << ": page " << p << " is not preview page " << p;
    }
  }
}

class BillbookReportExport : public ::testing::Test {
 protected:
  void SetUp() override { db_ = makeReportDatabase(data_.file("billbook.sqlite")); }

  PreviewQueue print(const char* name, ReportRequest request = {}) {
    const ReportInfo* report = findReport(name);
    EXPECT_NE(report, nullptr) << name;
    return printReport(*report, *db_, request);
  }

  TempDir data_, out_;
  std::unique_ptr<demo::Database> db_;
  ExportLock lock_;
};

TEST_F(BillbookReportExport, InvoicesCarryHeadingsNamesAndTotals) {
  // Ann Lee: 2 x 6.49 = 12.98 and 1.5 x 74.50 = 111.75; sub-total 124.73,
  // discount 10 % per line 1.30 + 11.18 (halves to even) = 12.48, tax 6 % of
  // the rest 0.70 + 6.03 = 6.73, total 118.98.
  const struct {
    const char* report;
    ReportRequest request;
    int pages;
    std::vector<std::string> texts;
    std::vector<std::string> absent;
  } cases[] = {
      {"PrintAllInvoices", {}, 2,
       {"INVOICE", "Test Paper Ltd", "12 Mill Road", "Tampa, FL", "33602", "(813) 555-0100", "Invoice #",
        "0000001", "0000002", "Order Date:", "Sold to", "Ship to", "Product SKU", "Product Description",
        "BackOrder", "Price", "Quantity", "Extension", "PAP-1", "Copy Paper, Letter", "$6.49", "2.00", "$12.98",
        "$111.75", "NOTE: Product on Back-Order will be available in 4 days.", "Sub-total:", "$124.73",
        "Discount:", "$12.48", "Tax:", "$6.73", "Total:", "$118.98",
        "Thank You For Your Order, Please Call Again.", "Next", "Previous", "Last", "Yes"},
       {}},
      {"PrintInvoice", forInvoice(2), 1,
       {"INVOICE", "0000002", "Bo", "Diaz", "Gel Pens, Blue, 12", "Yes", "$32.97"},
       {"0000001", "Next", "Previous"}},
  };
  for (const auto& c : cases) {
    const PreviewQueue queue = print(c.report, c.request);
    ASSERT_EQ(int(queue.size()), c.pages) << c.report << ": one page per invoice";
    const std::string pdf = out_.file(std::string(c.report) + ".pdf");
    ASSERT_EQ(exportPreview(queue, *findReport(c.report)->export_settings, lock_, {}, answer(pdf)).outcome,
              ExportResult::Outcome::Written)
        << c.report;
    EXPECT_TRUE(testkit::qpdfCheck(pdf)) << c.report;
    EXPECT_EQ(pageCount(pdf), c.pages) << c.report;
    const std::string text = testkit::pdfText(pdf);
    for (const std::string& t : c.texts) EXPECT_NE(text.find(t), std::string::npos) << c.report << ": " << t;
    for (const std::string& t : c.absent) EXPECT_EQ(text.find(t), std::string::npos) << c.report << ": " << t;
  }
}

TEST_F(BillbookReportExport, EveryReportPrintsItsHeadingsAndData) {
  const struct {
    const char* report;
    ReportRequest request;
    std::vector<std::string> texts;
    std::vector<std::string> absent;
  } cases[] = {
      {"PrintStates", {}, {"States Report", "State Code", "State Name", "Colorado", "Florida", "Date:", "Time:", "Page 1"}, {}},
      {"PrintStatesNPPV", {}, {"States Report", "CO", "FL"}, {}},
      {"PrintCUS:StateKey", {}, {"Customers By State", "Name", "Company", "City", "Zipcode", "Phone#", "Ext", "CO",
                                 "Lee Design", "Denver", "80202-1234", "(303) 555-0111", "Miami", "Page 1"}, {}},
      {"PrintPRO:KeyProductSKU", {}, {"Products List", "Product SKU", "Description", "Qty. In Stock", "Unit Price",
                                      "Re-order Qty.", "INK-3", "Toner Cartridge", "40.00", "$74.50", "10.00"}, {}},
      {"PrintSelectedProduct", forProduct("PEN-2"), {"Product Information", "Product SKU:", "PEN-2",
                                                       "Description:", "Gel Pens, Blue, 12", "Unit Price:", "$10.99",
                                                       "Unit Cost:", "$5.49", "Page 1"}, {"PAP-1", "INK-3"}},
      {"PrintSelectedCustomer", forCustomer(1), {"Customer Information", "Name:", "Company:", "Lee Design",
                                                   "Address:", "5 Elm St, Apt 2", "City/State/Zip:", "Denver, CO",
                                                   "Phone#/Extension:", "(303) 555-0111"}, {"Diaz"}},
      {"PrintMailingLabels", {}, {"Ann Lee", "5 Elm St", "Denver, CO 802021234", "Bo Diaz", "Miami, FL 33101"}, {}},
  };
  for (const auto& c : cases) {
    const PreviewQueue queue = print(c.report, c.request);
    ASSERT_FALSE(queue.empty()) << c.report;
    const std::string pdf = out_.file("report.pdf");
    ASSERT_EQ(exportPreview(queue, kWithPreview, lock_, {}, answer(pdf)).outcome, ExportResult::Outcome::Written)
        << c.report;
    EXPECT_TRUE(testkit::qpdfCheck(pdf)) << c.report;
    // Word gaps vary with the layout; compare with runs of blanks folded.
    const auto fold = [](std::string s) {
      std::string out;
      for (char ch : s)
        if (!(ch == ' ' && !out.empty() && out.back() == ' ')) out += ch;
      return out;
    };
    const std::string text = fold(testkit::pdfText(pdf, "-raw"));
    for (const std::string& t : c.texts) EXPECT_NE(text.find(t), std::string::npos) << c.report << ": " << t << "\n" << text;
    for (const std::string& t : c.absent) EXPECT_EQ(text.find(t), std::string::npos) << c.report << ": " << t;
  }
}

TEST_F(BillbookReportExport, ADamagedPageFileStillEndsInAValidDocument) {
  const struct {
    const char* name;
    std::string bytes;  // replaces the first page file
  } cases[] = {
      {"empty file", ""},
      {"placeable key and nothing else", std::string("\xD7\xCD\xC6\x9A", 4)},
      {"placeable header with zero units per inch",
       std::string("\xD7\xCD\xC6\x9A\0\0\0\0\0\0\x34\x21\x4C\x2A\0\0\0\0\0\0\0\0", 22)},
      {"text", "not a metafile at all"},
      {"placeable header claiming a page 300 inches wide",
       std::string("\xD7\xCD\xC6\x9A\0\0\0\0\0\0\x30\x75\x30\x75\x64\0\0\0\0\0\0\0", 22)},
  };
  for (const auto& c : cases) {
    const PreviewQueue queue = print("PrintAllInvoices");
    testkit::writeFile(queue.pages().front().file.string(), c.bytes);
    const std::string pdf = out_.file("damaged.pdf");
    const ExportResult r = exportPreview(queue, kWithPreview, lock_, {}, answer(pdf));
    EXPECT_EQ(r.outcome, ExportResult::Outcome::Written) << c.name;
    EXPECT_EQ(r.width_points, 612) << c.name << ": the queue's size stands in for an unreadable header";
    EXPECT_EQ(r.height_points, 792) << c.name;
    std::string report;
    EXPECT_TRUE(testkit::qpdfCheck(pdf, &report)) << c.name << "\n" << report;
    EXPECT_EQ(pageCount(pdf), 2) << c.name;
    EXPECT_NE(testkit::pdfText(pdf, "-f 2 -l 2").find("0000002"), std::string::npos) << c.name;
  }
}

TEST_F(BillbookReportExport, CustomerNamesKeepTheirBlanks) {
  // pdftotext folds runs of blanks, so the shown strings are read from the
  // decoded content streams.
  const struct {
    const char* report;
    std::string name;
  } cases[] = {
      {"PrintAllInvoices", "(Ann   Lee)"},
      {"PrintInvoiceFromBrowse", "(Ann   Lee)"},
      {"PrintSelectedCustomer", "(Ann  Lee)"},
  };
  for (const auto& c : cases) {
    const PreviewQueue queue = print(c.report, forInvoice(1));
    const std::string pdf = out_.file("names.pdf");
    ASSERT_EQ(exportPreview(queue, kWithPreview, lock_, {}, answer(pdf)).outcome, ExportResult::Outcome::Written)
        << c.report;
    const std::string content = decodedContent(pdf);
    EXPECT_NE(content.find(c.name), std::string::npos) << c.report << " shows " << c.name;
    const std::string other = c.name == "(Ann  Lee)" ? "(Ann   Lee)" : "(Ann  Lee)";
    EXPECT_EQ(content.find(other), std::string::npos) << c.report << " shows " << other;
  }
}

TEST_F(BillbookReportExport, SettingsDecideCompressionAndTheMessage) {
  const struct {
    const char* report;
    bool compressed;
    bool message;
  } cases[] = {
      {"PrintAllInvoices", true, true},
      {"PrintAllInvsOOpt", true, true},
      {"PrintAllProducts", true, true},
      {"PyraPrintAllInvsNPPV", false, false},
  };
  for (const auto& c : cases) {
    const PreviewQueue queue = print(c.report);
    const std::string pdf = out_.file(std::string(c.report) + ".pdf");
    std::vector<std::string> events;
    const auto message = [&](const std::string& text) { events.push_back("message: " + text); };
    const auto dialog = [&](const std::string& title, const std::string&, const std::string&) {
      events.push_back("dialog: " + title);
      return std::optional(pdf);
    };
    const ExportResult r = exportPreview(queue, *findReport(c.report)->export_settings, lock_, message, dialog);
    ASSERT_EQ(r.outcome, ExportResult::Outcome::Written) << c.report;
    EXPECT_TRUE(testkit::qpdfCheck(pdf)) << c.report;
    EXPECT_EQ(r.pages, int32_t(queue.size())) << c.report;
    std::vector<std::string> expected;
    if (c.message) expected.push_back("message: You'll be prompted to enter PDF file name generated by PyraControl.");
    expected.push_back("dialog: Save Report As");
    EXPECT_EQ(events, expected) << c.report;

    // Page content streams as stored (images are always compressed).
    const auto contents = testing::contentStreams(pdf);
    ASSERT_EQ(contents.size(), queue.size()) << c.report;
    for (const auto& [dictionary, data] : contents) {
      EXPECT_EQ(dictionary.find("/FlateDecode") != std::string::npos, c.compressed) << c.report << ": " << dictionary;
      if (!c.compressed) {
        EXPECT_NE(data.find(")Tj"), std::string::npos) << c.report << ": content as written";
      }
    }
    if (!c.compressed) {
      EXPECT_NE(contents.front().second.find("(Ann   Lee)"), std::string::npos) << c.report;
    }
  }
}

TEST_F(BillbookReportExport, ACancelledDialogWritesNoFile) {
  const PreviewQueue queue = print("PrintAllInvoices");
  const auto cancel = [](const std::string&, const std::string&, const std::string&) {
    return std::optional<std::string>();
  };
  const ExportResult r = exportPreview(queue, kWithPreview, lock_, {}, cancel);
  EXPECT_EQ(r.outcome, ExportResult::Outcome::Cancelled);
  EXPECT_EQ(r.pages, 0);
  EXPECT_TRUE(std::filesystem::is_empty(out_.path()));
  EXPECT_TRUE(std::filesystem::exists(queue.pages().front().file)) << "the preview keeps its pages";

  // No dialog at all behaves the same; a folder that cannot take the file fails.
  EXPECT_EQ(exportPreview(queue, kWithPreview, lock_, {}, {}).outcome, ExportResult::Outcome::Cancelled);
  EXPECT_EQ(exportPreview(queue, kWithPreview, lock_, {}, answer(out_.file("missing/x.pdf"))).outcome,
            ExportResult::Outcome::Failed);
  EXPECT_TRUE(std::filesystem::is_empty(out_.path()));
}

TEST_F(BillbookReportExport, AnEmptyQueueSkipsTheExport) {
  PreviewQueue empty = PreviewQueue::makeTemporary();
  bool asked = false;
  const auto dialog = [&](const std::string&, const std::string&, const std::string&) {
    asked = true;
    return std::optional(out_.file("x.pdf"));
  };
  EXPECT_EQ(exportPreview(empty, kWithPreview, lock_, {}, dialog).outcome, ExportResult::Outcome::Skipped);
  EXPECT_FALSE(asked);
  EXPECT_TRUE(print("PrintSelectedCustomer", forCustomer(999)).empty());
}

TEST_F(BillbookReportExport, TwoExportsOnTwoThreadsBothWriteValidFiles) {
  const PreviewQueue invoices = print("PrintAllInvoices");
  const PreviewQueue products = print("PrintAllProducts");
  const std::string a = out_.file("a.pdf"), b = out_.file("b.pdf");

  // A waits in its save dialog until B has finished: the lock must not be
  // held while a dialog is open, or B would wait for A's user forever.
  std::promise<void> b_done;
  std::shared_future<void> b_finished = b_done.get_future().share();
  bool b_finished_first = false;
  const auto slow_dialog = [&](const std::string&, const std::string&, const std::string&) {
    b_finished_first = b_finished.wait_for(std::chrono::seconds(60)) == std::future_status::ready;
    return std::optional(a);
  };
  ExportResult ra, rb;
  std::thread ta([&] { ra = exportPreview(invoices, kWithPreview, lock_, {}, slow_dialog); });
  std::thread tb([&] {
    rb = exportPreview(products, kWithPreview, lock_, {}, answer(b));
    b_done.set_value();
  });
  ta.join();
  tb.join();
  EXPECT_TRUE(b_finished_first);
  for (const auto& [name, r, pages] : {std::tuple{a, ra, 2}, std::tuple{b, rb, int(products.size())}}) {
    EXPECT_EQ(r.outcome, ExportResult::Outcome::Written) << name;
    std::string report;
    EXPECT_TRUE(testkit::qpdfCheck(name, &report)) << name << "\n" << report;
    EXPECT_EQ(pageCount(name), pages) << name;
  }

  // Reports started together, each on its thread with its own connection,
  // printing and exporting at once: every file complete.
  std::vector<std::thread> threads;
  std::vector<ExportResult> results(4);
  const std::string db_file = data_.file("billbook.sqlite");
  for (int i = 0; i < 4; ++i)
    threads.emplace_back([&, i] {
      auto db = demo::Database::open(db_file);
      const PreviewQueue queue = printReport(*findReport("PrintAllInvoices"), *db, {});
      results[size_t(i)] = exportPreview(queue, kWithPreview, lock_, {}, answer(out_.file("m" + std::to_string(i) + ".pdf")));
    });
  for (auto& t : threads) t.join();
  for (int i = 0; i < 4; ++i) {
    const std::string name = out_.file("m" + std::to_string(i) + ".pdf");
    EXPECT_EQ(results[size_t(i)].outcome, ExportResult::Outcome::Written) << name;
    EXPECT_TRUE(testkit::qpdfCheck(name)) << name;
    EXPECT_NE(testkit::pdfText(name).find("Thank You For Your Order"), std::string::npos) << name;
  }
}

}  // namespace
}  // namespace pyra::reports
