// PyraControl through libpyrawrap and the real engine, driven the way a
// report host drives it: option fields, InitializeEx, BeginDoc, one page
// per page file, EndDoc, Finalize. The PDF is judged by qpdf and poppler.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pyra/pyractl.h"
#include "testkit/testkit.h"
#include "wrapper/pyra_control.h"

namespace pyra::wrapper_test {
std::vector<uint8_t> plainWmfPage();
std::vector<uint8_t> placeableWmfPage(bool good_checksum);
std::vector<uint8_t> emfPage();
}  // namespace pyra::wrapper_test

using namespace pyra::testkit;
using namespace pyra::wrapper_test;
using pyra::wrapper::PyraControl;
namespace fs = std::filesystem;

namespace {

// What the engine reported for one environment, found through the
// environment's user pointer so the callbacks need no global state.
struct Events {
  struct Event { char kind; int32_t code; std::string text; int32_t number; };
  std::vector<Event> list;

  int count(char kind, int32_t code) const {
    int n = 0;
    for (const Event& e : list) n += e.kind == kind && e.code == code;
    return n;
  }
  std::optional<std::string> errorContaining(const std::string& a, const std::string& b) const {
    for (const Event& e : list)
      if (e.kind == 'E' && e.text.find(a) != std::string::npos && e.text.find(b) != std::string::npos) return e.text;
    return std::nullopt;
  }
};

void onError(int32_t env, int32_t code, const void* data, int32_t length) {
  auto* ev = static_cast<Events*>(PYRA_GetPointer(env));
  if (!ev) return;
  std::string text = data && length > 0 ? std::string(static_cast<const char*>(data), size_t(length)) : "";
  ev->list.push_back({'E', code, text, length});
}
void onMessage(int32_t env, int32_t code, const void* data, int32_t number) {
  auto* ev = static_cast<Events*>(PYRA_GetPointer(env));
  if (ev) ev->list.push_back({'M', code, data ? static_cast<const char*>(data) : "", number});
}

void listen(const PyraControl& control, Events& events) {
  PYRA_SetPointer(control.PDFENV, &events);
  PYRA_SetCallback(control.PDFENV, PYRA_CB_ERROR, onError);
  PYRA_SetCallback(control.PDFENV, PYRA_CB_MESSAGE, onMessage);
}

// The value of a "Key:   value" line of pdfinfo, blanks around it removed.
std::string infoField(const std::string& info, const std::string& key) {
  const size_t at = info.find("\n" + key + ":");
  if (at == std::string::npos) return "<missing>";
  size_t start = info.find_first_not_of(' ', at + key.size() + 2);
  size_t end = info.find('\n', start);
  return info.substr(start, end - start);
}

int pageCount(const std::string& pdf) {
  const std::string info = pdfInfo(pdf);
  const size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

// Points TMPDIR at a folder of the test's own, so that what the wrapper
// leaves behind there can be counted.
class PrivateTempFolder {
 public:
  PrivateTempFolder() {
    if (const char* old = std::getenv("TMPDIR")) old_ = old;
    ::setenv("TMPDIR", dir_.path().c_str(), 1);
  }
  ~PrivateTempFolder() {
    if (old_) ::setenv("TMPDIR", old_->c_str(), 1);
    else ::unsetenv("TMPDIR");
  }
  const TempDir& dir() const { return dir_; }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path())) names.push_back(e.path().filename().string());
    return names;
  }

 private:
  TempDir dir_;
  std::optional<std::string> old_;
};

struct PageFiles {
  std::string placeable, plain, enhanced;
};

// The three kinds of page file a report runtime's preview writes, in a
// folder whose name is not ASCII.
PageFiles writePageFiles(const TempDir& dir) {
  const fs::path folder = dir.path() / "Berichte-Größe-报告";
  fs::create_directories(folder);
  PageFiles files{(folder / "page1.wmf").string(), (folder / "page2.wmf").string(),
                  (folder / "Seite3.EMF").string()};
  const auto placeable = placeableWmfPage(true);
  const auto plain = plainWmfPage();
  const auto enhanced = emfPage();
  writeFile(files.placeable, placeable.data(), placeable.size());
  writeFile(files.plain, plain.data(), plain.size());
  writeFile(files.enhanced, enhanced.data(), enhanced.size());
  return files;
}

constexpr int32_t kWidth = 612, kHeight = 792;

}  // namespace

// One report as billbook's export writes it: three page files, one page
// each, through the method under test.
struct Report {
  std::string pdf;
  Events events;
  std::vector<std::string> left_in_temp;
};

void writeReport(const std::string& method, const TempDir& work, Report& out) {
  PrivateTempFolder tmp;
  const PageFiles pages = writePageFiles(work);
  out.pdf = (fs::path(work.path()) / "Berichte-Größe-报告" / "Rechnung.pdf").string();
  {
    PyraControl control;
    control.COMPRESSION = 1;
    control.TITLE = "Invoices";
    control.AUTHOR = "billbook";
    ASSERT_GT(control.InitializeEx(), 0);
    listen(control, out.events);
    ASSERT_EQ(control.BeginDoc(out.pdf, 0), 1);
    for (const std::string& page : {pages.placeable, pages.plain, pages.enhanced}) {
      control.StartPageEx(kWidth, kHeight, 0);
      if (method == "DrawWMF") control.DrawWMF(page, 0, 0, kWidth, kHeight);
      else control.DrawMetafile(page, 0, 0, kWidth, kHeight);
      control.EndPage();
    }
    control.EndDoc();
    control.Finalize();
  }
  out.left_in_temp = tmp.entries();
}

class ReportHostTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ReportHostTest, ThreePageFilesBecomeOneValidDocumentAndNoTemporaryFileIsLeft) {
  TempDir work;
  Report report;
  writeReport(GetParam(), work, report);
  if (HasFatalFailure()) return;
  std::string check;
  EXPECT_TRUE(qpdfCheck(report.pdf, &check)) << check;
  EXPECT_EQ(pageCount(report.pdf), 3);
  EXPECT_EQ(infoField("\n" + pdfInfo(report.pdf), "Title"), "Invoices");
  EXPECT_EQ(report.events.count('M', PYRA_MSG_PAGE_STARTED), 3);
  EXPECT_EQ(report.events.count('M', PYRA_MSG_PAGE_ENDING), 3);
  EXPECT_TRUE(report.left_in_temp.empty()) << "left in the temporary folder: " << report.left_in_temp.front();
}

TEST_P(ReportHostTest, EveryPageShowsItsPicture) {
  TempDir work;
  Report report;
  writeReport(GetParam(), work, report);
  if (HasFatalFailure()) return;
  // Switches itself on when the engine's metafile interpreter lands.
  if (auto why = report.events.errorContaining("DrawMetafile", "is not available in this build"))
    GTEST_SKIP() << "page content not probed: the engine does not draw metafiles yet (\"" << *why << "\")";
  for (int page = 1; page <= 3; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    const Raster r = renderPage(report.pdf, page, 72);
    ASSERT_EQ(r.width, kWidth);
    // The picture is scaled to the page: its rectangle covers the middle
    // (250..750 of 1000 units), its margins stay white.
    EXPECT_TRUE(r.isDark(kWidth / 2, kHeight / 2));
    EXPECT_TRUE(r.isDark(kWidth * 3 / 10, kHeight * 3 / 10));
    EXPECT_TRUE(r.isWhite(kWidth / 20, kHeight / 20));
    EXPECT_TRUE(r.isWhite(kWidth * 9 / 10, kHeight / 2));
  }
}

INSTANTIATE_TEST_SUITE_P(Methods, ReportHostTest, ::testing::Values("DrawWMF", "DrawMetafile"),
                         [](const auto& info) { return std::string(info.param); });

// Passes every platform call through to libpyragdi and notes what came back.
class NotingPlatform final : public pyra::wrapper::MetafilePlatform {
 public:
  std::vector<std::string> notes;

  uint32_t loadEnhancedFile(const char* path) override { return note("enhanced", gdi_->loadEnhancedFile(path)); }
  uint32_t loadWindowsFile(const char* path) override { return note("windows", gdi_->loadWindowsFile(path)); }
  uint32_t windowsFromBytes(std::span<const uint8_t> bytes) override {
    return note("windows", gdi_->windowsFromBytes(bytes));
  }
  std::vector<uint8_t> windowsBits(uint32_t wmf) override {
    auto bits = gdi_->windowsBits(wmf);
    notes.push_back("bits " + std::string(bits.empty() ? "none" : "some"));
    return bits;
  }
  uint32_t enhancedFromWindowsBits(std::span<const uint8_t> bits, uint32_t dc,
                                   const pyra::wrapper::PictureRecord& p) override {
    return note("converted", gdi_->enhancedFromWindowsBits(bits, dc, p));
  }
  void deleteEnhanced(uint32_t h) override { gdi_->deleteEnhanced(h); }
  void deleteWindows(uint32_t h) override { gdi_->deleteWindows(h); }

 private:
  uint32_t note(const char* what, uint32_t handle) {
    notes.push_back(std::string(what) + (handle ? " ok" : " failed"));
    return handle;
  }
  std::unique_ptr<pyra::wrapper::MetafilePlatform> gdi_ = pyra::wrapper::makeGdiMetafilePlatform();
};

TEST(WrapperWithPlatformTest, ThePlatformLoadsAndConvertsEveryKindOfPageFile) {
  TempDir work;
  PrivateTempFolder tmp;
  const PageFiles pages = writePageFiles(work);
  struct Case { const char* name; std::string file; bool by_wrapper; std::vector<std::string> notes; };
  const Case cases[] = {
      {"placeable, engine converts", pages.placeable, false, {"windows ok"}},
      {"placeable, wrapper converts", pages.placeable, true, {"windows ok", "bits some", "converted ok"}},
      {"plain", pages.plain, false, {"windows ok"}},
      {"plain through DrawMetafile", pages.plain, true, {"windows ok"}},
      {"enhanced", pages.enhanced, false, {"enhanced ok"}},
  };
  for (const Case& c : cases) {
    auto platform = std::make_unique<NotingPlatform>();
    NotingPlatform& seen = *platform;
    PyraControl control(std::move(platform));
    ASSERT_GT(control.InitializeEx(), 0);
    ASSERT_EQ(control.BeginDoc(work.file("platform.pdf"), 0), 1);
    control.StartPageEx(kWidth, kHeight, 0);
    if (c.by_wrapper) control.DrawMetafile(c.file, 0, 0, kWidth, kHeight);
    else control.DrawWMF(c.file, 0, 0, kWidth, kHeight);
    control.EndPage();
    control.EndDoc();
    control.Finalize();
    EXPECT_EQ(seen.notes, c.notes) << c.name;
  }
  EXPECT_TRUE(tmp.entries().empty());
}

TEST(ReportHostExampleTest, ExampleProgramWritesTheDocument) {
  TempDir work;
  PrivateTempFolder tmp;
  const PageFiles pages = writePageFiles(work);
  const std::string pdf = work.file("example.pdf");
  const CommandResult res = run(std::string("TMPDIR=") + shellQuote(tmp.dir().path().string()) + " " +
                                shellQuote(PYRA_REPORT_HOST) + " " + shellQuote(pdf) + " " +
                                shellQuote(pages.placeable) + " " + shellQuote(pages.plain) + " " +
                                shellQuote(pages.enhanced));
  ASSERT_EQ(res.status, 0) << res.out;
  EXPECT_NE(res.out.find(pdf), std::string::npos) << res.out;
  std::string report;
  EXPECT_TRUE(qpdfCheck(pdf, &report)) << report;
  EXPECT_EQ(pageCount(pdf), 3);
  EXPECT_TRUE(tmp.entries().empty());
}

TEST(WrapperWithEngineTest, OptionFieldsReachTheDocumentInformation) {
  TempDir work;
  const std::string pdf = work.file("info.pdf");
  PyraControl control;
  control.TITLE = std::string(300, 'T');  // cut to 255
  control.AUTHOR = "Ada";
  control.SUBJECT = "Invoices";
  control.KEYWORDS = "alpha beta";
  ASSERT_GT(control.InitializeEx(), 0) << "the engine refused the options record";
  ASSERT_EQ(control.BeginDoc(pdf, 0), 1);
  control.StartPage();
  control.EndPage();
  control.EndDoc();
  control.Finalize();
  std::string report;
  ASSERT_TRUE(qpdfCheck(pdf, &report)) << report;
  const std::string info = "\n" + pdfInfo(pdf);
  EXPECT_EQ(infoField(info, "Title"), std::string(255, 'T'));
  EXPECT_EQ(infoField(info, "Author"), "Ada");
  EXPECT_EQ(infoField(info, "Subject"), "Invoices");
  EXPECT_EQ(infoField(info, "Keywords"), "alpha beta");
}

TEST(WrapperWithEngineTest, AnObjectReleasesAnEnvironmentTheHostForgotToFinalize) {
  int32_t first = 0;
  {
    PyraControl forgetful;
    first = forgetful.InitializeEx();
    ASSERT_GT(first, 0);
  }
  // The engine issues the highest identifier again once it is released.
  PyraControl next;
  EXPECT_EQ(next.Initialize(), first);
  next.Finalize();
}

TEST(WrapperWithEngineTest, PasswordsLongerThanTheRecordOpenTheDocument) {
  TempDir work;
  const std::string pdf = work.file("secret.pdf");
  const std::string user = "a-user-password-of-25-ch";
  const std::string owner = "an-owner-password-of-29-chars";
  PyraControl control;
  control.PERMISSION = 1 | 2;  // encrypt, allow printing
  control.USERPASSWORD = user;
  control.OWNERPASSWORD = owner;
  ASSERT_GT(control.InitializeEx(), 0);
  ASSERT_EQ(control.BeginDoc(pdf, 0), 1);
  control.StartPage();
  control.EndPage();
  control.EndDoc();
  control.Finalize();
  std::string report;
  EXPECT_TRUE(qpdfCheck(pdf, &report, "--password=" + shellQuote(user))) << report;
  EXPECT_TRUE(qpdfCheck(pdf, &report, "--password=" + shellQuote(owner))) << report;
  EXPECT_FALSE(qpdfCheck(pdf, &report, "--password=" + shellQuote(user.substr(0, 19))))
      << "the password was cut to the record's 19 bytes";
}

TEST(WrapperWithEngineTest, BeginDocNamesReachTheEngine) {
  TempDir work;
  const fs::path folder = work.path() / "Ausgabe-ü";
  fs::create_directories(folder);
  // Deep enough that the path is longer than 255 bytes.
  fs::path deep = work.path();
  for (int i = 0; i < 4; ++i) deep /= std::string(80, char('a' + i));
  fs::create_directories(deep);

  struct Case {
    const char* name;
    std::string given;
    std::optional<std::string> chosen;  // the dialog's answer, when one is installed
    std::optional<std::string> written; // the file that must exist afterwards
  };
  const Case cases[] = {
      {"caller's UTF-8 name", (folder / "Bericht.pdf").string(), std::nullopt, (folder / "Bericht.pdf").string()},
      {"caller's name gets no extension", (folder / "plain").string(), std::nullopt, (folder / "plain").string()},
      {"caller's path longer than 255 bytes", (deep / "report.pdf").string(), std::nullopt,
       (deep / "report.pdf").string()},
      {"dialog name gets .pdf", "", (folder / "chosen").string(), (folder / "chosen.pdf").string()},
      {"no dialog: nothing written", "", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Events events;
    PyraControl control;
    ASSERT_GT(control.InitializeEx(), 0);
    listen(control, events);
    if (c.chosen)
      control.setFileNameProvider([&](const std::string&, const std::string&, const std::string&) { return c.chosen; });
    const int32_t begun = control.BeginDoc(c.given, 0);
    EXPECT_EQ(begun, c.written ? 1 : 0);
    EXPECT_EQ(events.count('M', PYRA_MSG_OPENING), c.written ? 1 : 0) << "the engine is called only with a name";
    control.StartPageEx(kWidth, kHeight, 0);
    control.EndPage();
    control.EndDoc();
    control.Finalize();
    if (c.written) {
      std::string report;
      EXPECT_TRUE(qpdfCheck(*c.written, &report)) << report;
    } else {
      EXPECT_GE(events.count('E', PYRA_ERR_NO_DOCUMENT), 1) << "StartPageEx without a document";
    }
  }
}

TEST(WrapperWithEngineTest, PageCallsOutsideAPageReachTheEngineAndAreRefusedThere) {
  struct Case {
    const char* name;
    void (*call)(PyraControl&);
  };
  const Case cases[] = {
      {"EndPage", [](PyraControl& c) { c.EndPage(); }},
      {"GetPDFDC", [](PyraControl& c) { c.GetPDFDC(); }},
      {"TextOut", [](PyraControl& c) { c.TextOut(1, 1, "x"); }},
      {"TextRect", [](PyraControl& c) { c.TextRect(1, 1, 10, 10, "x", 0); }},
      {"MoveTo", [](PyraControl& c) { c.MoveTo(1, 1); }},
      {"LineTo", [](PyraControl& c) { c.LineTo(1, 1); }},
      {"Rectangle", [](PyraControl& c) { c.Rectangle(1, 1, 2, 2); }},
      {"Hyperlink", [](PyraControl& c) { c.Hyperlink(1, 1, 2, 2, "x"); }},
      {"Bookmark", [](PyraControl& c) { c.Bookmark(1, 1, "x"); }},
      {"Outline", [](PyraControl& c) { c.Outline(0, 1, 1, "x"); }},
      {"SetTextAttr", [](PyraControl& c) { c.SetTextAttr("Arial", 10, 0, 0, 0); }},
      {"SetTextAttrEx", [](PyraControl& c) { c.SetTextAttrEx("Arial", 10, 0, 0, 0, 0, 0); }},
      {"SetTextDefaultAttr", [](PyraControl& c) { c.SetTextDefaultAttr("Arial", 10); }},
      {"SetPenAttr", [](PyraControl& c) { c.SetPenAttr(0, 1, 0); }},
      {"SetBrushAttr", [](PyraControl& c) { c.SetBrushAttr(0, 0); }},
      {"EndWatermark", [](PyraControl& c) { c.EndWatermark(); }},
      {"DrawWatermark", [](PyraControl& c) { c.DrawWatermark("w", 0); }},
  };
  TempDir work;
  for (const Case& c : cases) {
    Events events;
    PyraControl control;
    ASSERT_GT(control.Initialize(), 0);
    listen(control, events);
    ASSERT_EQ(control.BeginDoc(work.file("refused.pdf"), 0), 1);
    c.call(control);
    EXPECT_EQ(events.count('E', PYRA_ERR_NO_PAGE), 1) << c.name;
    control.EndDoc();
    control.Finalize();
  }
}
