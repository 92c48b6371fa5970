// Environments, documents and pages as a C host drives them through the
// exported functions; the output is judged by qpdf and poppler.
#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "pyra/pyractl.h"
#include "testkit/testkit.h"

using namespace pyra::testkit;

namespace {

// What the callbacks of one environment saw; reached through the
// environment's user pointer, so the callbacks need no global state.
struct Events {
  struct Event { char kind; int32_t code; std::string text; int32_t number; };
  std::vector<Event> list;
  std::vector<uint8_t> stream;
  int opens = 0, closes = 0;
  std::string close_name = "unset";

  bool has(char kind, int32_t code) const {
    for (auto& e : list) if (e.kind == kind && e.code == code) return true;
    return false;
  }
  const Event* find(char kind, int32_t code) const {
    for (auto& e : list) if (e.kind == kind && e.code == code) return &e;
    return nullptr;
  }
};

Events* eventsOf(int32_t env) { return static_cast<Events*>(PYRA_GetPointer(env)); }

void onError(int32_t env, int32_t code, const void* data, int32_t length) {
  if (auto* ev = eventsOf(env))
    ev->list.push_back({'E', code, data && length > 0 ? std::string(static_cast<const char*>(data), size_t(length)) : "", length});
}
void onMessage(int32_t env, int32_t code, const void* data, int32_t number) {
  if (auto* ev = eventsOf(env)) ev->list.push_back({'M', code, data ? static_cast<const char*>(data) : "", number});
}
void onWrite(int32_t env, int32_t count, const void* data, int32_t length) {
  auto* ev = eventsOf(env);
  ASSERT_EQ(count, length);
  auto* p = static_cast<const uint8_t*>(data);
  ev->stream.insert(ev->stream.end(), p, p + length);
}
void onOpen(int32_t env, int32_t, const void*, int32_t) { eventsOf(env)->opens++; }
void onClose(int32_t env, int32_t, const void* data, int32_t) {
  eventsOf(env)->closes++;
  eventsOf(env)->close_name = static_cast<const char*>(data);
}

void copyText(char* dst, size_t size, const char* text) {
  std::strncpy(dst, text, size - 1);
  dst[size - 1] = 0;
}

PyraOptions optionsWithInfo() {
  PyraOptions o{};
  o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
  o.ONERROR = onError;
  o.ONMESSAGE = onMessage;
  o.ONSTREAMWRITE = onWrite;
  o.ONSTREAMOPEN = onOpen;
  o.ONSTREAMCLOSE = onClose;
  copyText(o.AUTHOR, sizeof o.AUTHOR, "Ada (the) Author");
  copyText(o.TITLE, sizeof o.TITLE, "Quarterly report");
  copyText(o.SUBJECT, sizeof o.SUBJECT, "Invoices");
  copyText(o.PRODUCER, sizeof o.PRODUCER, "billbook");
  copyText(o.KEYWORDS, sizeof o.KEYWORDS, "pdf test");
  copyText(o.DATE, sizeof o.DATE, "D:20261211120000");
  return o;
}

// An environment whose events are recorded; finalised on scope exit.
struct Env {
  Events events;
  int32_t id;
  explicit Env(const PyraOptions* o) : id(PYRA_InitializeEx(o)) { PYRA_SetPointer(id, &events); }
  Env() : Env(nullptr) {
    PYRA_SetCallback(id, PYRA_CB_ERROR, onError);
    PYRA_SetCallback(id, PYRA_CB_MESSAGE, onMessage);
  }
  ~Env() { PYRA_Finalize(id); }
};

void writeThreePages(int32_t env) {
  PYRA_StartPageEx(env, 612, 792, 0);
  PYRA_StartPageEx(env, 842, 595, 0);
  PYRA_StartPageEx(env, 200, 300, 0);
  PYRA_EndPage(env);
}

// pdfinfo aligns its columns with runs of blanks; compare words only.
std::string squeeze(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == ' ' && !out.empty() && out.back() == ' ') continue;
    out += c;
  }
  return out;
}

struct EpochGuard {
  EpochGuard() { setenv("SOURCE_DATE_EPOCH", "1765450000", 1); }
  ~EpochGuard() { unsetenv("SOURCE_DATE_EPOCH"); }
};

}  // namespace

TEST(Environments, IdentifiersFollowTheListRules) {
  PYRA_FinalizeAll();
  int32_t a = PYRA_Initialize(), b = PYRA_Initialize(), c = PYRA_Initialize();
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(c, 3);
  PYRA_Finalize(3);
  EXPECT_EQ(PYRA_Initialize(), 3) << "the last identifier is issued again";
  PYRA_Finalize(2);
  EXPECT_EQ(PYRA_Initialize(), 4) << "a finalised middle identifier stays unused";
  EXPECT_EQ(PYRA_SetPointer(2, nullptr), 0) << "finalised identifiers are unknown";
  PYRA_FinalizeAll();
  EXPECT_EQ(PYRA_Initialize(), 1);
  PYRA_FinalizeAll();
}

TEST(Environments, UnknownIdentifiersDoNothing) {
  for (int32_t bad : {0, -1, 999999}) {
    EXPECT_EQ(PYRA_BeginDoc(bad, "/tmp/never.pdf", 0), 0);
    PYRA_StartPage(bad);
    PYRA_EndPage(bad);
    PYRA_EndDoc(bad);
    PYRA_Finalize(bad);
    EXPECT_EQ(PYRA_SetIProp(bad, 1, 1), 0);
    EXPECT_EQ(PYRA_ExecCommand(bad, 1, 0, nullptr, 0), 0);
    EXPECT_EQ(PYRA_GetPointer(bad), nullptr);
  }
  EXPECT_FALSE(std::filesystem::exists("/tmp/never.pdf"));
}

TEST(Environments, OptionsRecordSizeIsChecked) {
  PyraOptions o{};
  o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE_32BIT;  // a 32-bit host's record on a 64-bit engine
  EXPECT_EQ(PYRA_InitializeEx(&o), -1);
  o.SIZEOFSTRUCT = 2052;
  EXPECT_EQ(PYRA_InitializeEx(&o), -1);
  o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
  int32_t id = PYRA_InitializeEx(&o);
  EXPECT_GT(id, 0);
  EXPECT_EQ(PYRA_ExecCommand(id, 1, 0, nullptr, 0), 101);
  PYRA_Finalize(id);
  static_assert(offsetof(PyraOptions, INPUTPDFFILE) == 56);
  static_assert(offsetof(PyraOptions, ONSTREAMOPEN) == 184);
  static_assert(offsetof(PyraOptions, RESERVED) == PYRA_OPTIONS_SIZE - 4);
}

TEST(Environments, ReuseFlagReturnsTheMarkedEnvironment) {
  int32_t a = PYRA_Initialize();
  int32_t b = PYRA_Initialize();
  ASSERT_EQ(PYRA_SetIProp(b, 20, 1), 1);
  EXPECT_EQ(PYRA_Initialize(), b);
  PYRA_SetIProp(b, 20, 0);
  int32_t c = PYRA_Initialize();
  EXPECT_NE(c, b);
  PYRA_Finalize(c);
  PYRA_Finalize(b);
  PYRA_Finalize(a);
}

TEST(Documents, ThreePagesWithInformationPassTheReaders) {
  TempDir dir;
  PyraOptions o = optionsWithInfo();
  for (bool with_record : {true, false}) {
    Env env(with_record ? &o : nullptr);
    if (!with_record) {
      PYRA_SetCallback(env.id, PYRA_CB_ERROR, onError);
      PYRA_SetSProp(env.id, 5, "Set by property");
    }
    std::string file = dir.file(with_record ? "record.pdf" : "plain.pdf");
    ASSERT_EQ(PYRA_BeginDoc(env.id, file.c_str(), 0), 1);
    writeThreePages(env.id);
    PYRA_EndDoc(env.id);
    EXPECT_FALSE(env.events.has('E', 0)) << "no errors expected";
    for (auto& e : env.events.list) EXPECT_NE(e.kind, 'E') << e.code << " " << e.text;

    std::string report;
    EXPECT_TRUE(qpdfCheck(file, &report)) << report;
    std::string info = squeeze(pdfInfo(file, "-f 1 -l 3 -box"));
    EXPECT_NE(info.find("Pages: 3"), std::string::npos) << info;
    EXPECT_NE(info.find("Page 1 MediaBox: 0.00 0.00 612.00 792.00"), std::string::npos) << info;
    EXPECT_NE(info.find("Page 2 MediaBox: 0.00 0.00 842.00 595.00"), std::string::npos) << info;
    EXPECT_NE(info.find("Page 3 MediaBox: 0.00 0.00 200.00 300.00"), std::string::npos) << info;
    EXPECT_NE(info.find("Creator: Pyra by Mobrel"), std::string::npos) << info;
    if (with_record) {
      EXPECT_NE(info.find("Author: Ada (the) Author"), std::string::npos) << info;
      EXPECT_NE(info.find("Title: Quarterly report"), std::string::npos) << info;
      EXPECT_NE(info.find("Producer: billbook"), std::string::npos) << info;
    } else {
      EXPECT_NE(info.find("Title: Set by property"), std::string::npos) << info;
    }
  }
}

TEST(Documents, ResolutionScalesPageSizes) {
  TempDir dir;
  PyraOptions o{};
  o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
  o.PDFXRES = 300;
  o.PDFYRES = 150;
  Env env(&o);
  std::string file = dir.file("res.pdf");
  ASSERT_EQ(PYRA_BeginDoc(env.id, file.c_str(), 0), 1);
  PYRA_StartPageEx(env.id, 2550, 1650, 0);  // 8.5 x 11 inches
  PYRA_StartPage(env.id);                   // the default 576 x 800 units
  PYRA_EndDoc(env.id);
  std::string info = squeeze(pdfInfo(file, "-f 1 -l 2 -box"));
  EXPECT_NE(info.find("Page 1 MediaBox: 0.00 0.00 612.00 792.00"), std::string::npos) << info;
  EXPECT_NE(info.find("Page 2 MediaBox: 0.00 0.00 138.00 384.00"), std::string::npos) << info;
}

TEST(Documents, StreamOutputEqualsFileOutput) {
  EpochGuard epoch;
  TempDir dir;
  PyraOptions o = optionsWithInfo();
  std::string file = dir.file("file.pdf");
  std::vector<uint8_t> from_stream;
  {
    Env env(&o);
    ASSERT_EQ(PYRA_BeginDoc(env.id, file.c_str(), 0), 1);
    writeThreePages(env.id);
    PYRA_EndDoc(env.id);
  }
  {
    Env env(&o);
    ASSERT_EQ(PYRA_BeginDoc(env.id, "stream-name", 1), 1);
    writeThreePages(env.id);
    PYRA_EndDoc(env.id);
    EXPECT_EQ(env.events.opens, 1);
    EXPECT_EQ(env.events.closes, 1);
    EXPECT_EQ(env.events.close_name, "") << "the device has no file name in stream mode";
    from_stream = env.events.stream;
  }
  EXPECT_EQ(from_stream, readFile(file));
}

TEST(Documents, ReproducibleWithSourceDateEpoch) {
  EpochGuard epoch;
  TempDir dir;
  PyraOptions o = optionsWithInfo();
  for (const char* name : {"a.pdf", "b.pdf"}) {
    Env env(&o);
    std::string file = dir.file(name);
    ASSERT_EQ(PYRA_BeginDoc(env.id, file.c_str(), 0), 1);
    writeThreePages(env.id);
    PYRA_EndDoc(env.id);
  }
  EXPECT_EQ(readFile(dir.file("a.pdf")), readFile(dir.file("b.pdf")));
}

TEST(Documents, ObjectLayoutOfAnEmptyPage) {
  TempDir dir;
  Env env;
  std::string file = dir.file("empty.pdf");
  ASSERT_EQ(PYRA_BeginDoc(env.id, file.c_str(), 0), 1);
  PYRA_StartPage(env.id);
  PYRA_EndDoc(env.id);
  std::string text = readText(file);
  EXPECT_EQ(text.rfind("%PDF-1.2\r\n", 0), 0u);
  EXPECT_EQ(text.find("/Contents"), std::string::npos) << "an empty page has no contents";
  EXPECT_NE(text.find("1 0 obj \r<<\r\n/Producer("), std::string::npos) << "information first";
  // Without an options record thumbnails are on: the page's thumbnail is
  // written before the page that refers to it.
  EXPECT_NE(text.find("2 0 obj \r<<\n/Width 66\n/Height 92"), std::string::npos) << "thumbnail second";
  EXPECT_NE(text.find("3 0 obj \r<<\r\n/Type/Page\r\n/Parent 4 0 R\r\n/Thumb 2 0 R\r\n/Resources 5 0 R"),
            std::string::npos);
  EXPECT_NE(text.find("/PageMode/UseNone"), std::string::npos);
  EXPECT_NE(text.find("xref\r\n0 7\r\n0000000000 65535 f\r\n"), std::string::npos);
  // The identifier: the same 16 letters twice, as 32 hex digits each.
  auto id = text.find("/ID[<");
  ASSERT_NE(id, std::string::npos);
  std::string first = text.substr(id + 5, 32), second = text.substr(id + 5 + 32 + 2, 32);
  EXPECT_EQ(first, second);
  std::string report;
  EXPECT_TRUE(qpdfCheck(file, &report)) << report;
}

TEST(Documents, EmptyDocumentIsStillValid) {
  TempDir dir;
  Env env;
  std::string file = dir.file("none.pdf");
  ASSERT_EQ(PYRA_BeginDoc(env.id, file.c_str(), 0), 1);
  PYRA_EndDoc(env.id);
  std::string report;
  EXPECT_TRUE(qpdfCheck(file, &report)) << report;
}

TEST(Documents, CallsInTheWrongStateReportAndChangeNothing) {
  TempDir dir;
  Env env;
  // Before BeginDoc.
  PYRA_StartPageEx(env.id, 100, 100, 0);
  ASSERT_NE(env.events.find('E', 10), nullptr);
  EXPECT_EQ(env.events.find('E', 10)->text, "PDF not started with BeginDoc.");
  PYRA_EndPage(env.id);
  EXPECT_EQ(env.events.list.back().code, 10);
  env.events.list.clear();
  PYRA_EndDoc(env.id);
  EXPECT_TRUE(env.events.list.empty()) << "EndDoc without a document does nothing";

  std::string file = dir.file("state.pdf");
  ASSERT_EQ(PYRA_BeginDoc(env.id, file.c_str(), 0), 1);
  env.events.list.clear();
  PYRA_EndPage(env.id);
  ASSERT_NE(env.events.find('E', 11), nullptr);
  EXPECT_EQ(env.events.find('E', 11)->text, "StartPage or StartWatermark was not executed.");
  PYRA_StartPage(env.id);
  PYRA_StartPage(env.id);  // ends the first page
  PYRA_EndDoc(env.id);
  std::string report;
  EXPECT_TRUE(qpdfCheck(file, &report)) << report;
  EXPECT_NE(squeeze(pdfInfo(file)).find("Pages: 2"), std::string::npos);
}

TEST(Documents, PageMessagesCarryTheNumberTwice) {
  TempDir dir;
  Env env;
  std::string file = dir.file("msg.pdf");
  ASSERT_EQ(PYRA_BeginDoc(env.id, file.c_str(), 0), 1);
  PYRA_StartPage(env.id);
  PYRA_StartPage(env.id);
  PYRA_EndDoc(env.id);
  std::vector<std::string> seen;
  for (auto& e : env.events.list)
    if (e.kind == 'M') seen.push_back(std::to_string(e.code) + ":" + e.text + ":" + std::to_string(e.number));
  std::string n = std::to_string(file.size());
  std::vector<std::string> want = {"1:" + file + ":" + n, "24:" + file + ":" + n, "26:1:1", "27:1:1",
                                   "26:2:2", "25:" + file + ":" + n, "2:" + file + ":" + n};
  EXPECT_EQ(seen, want);
}

TEST(Documents, UnwritableOutputIsAnErrorNotADocument) {
  Env env;
  const char* bad = "/nonexistent-folder/x/out.pdf";
  EXPECT_EQ(PYRA_BeginDoc(env.id, bad, 0), 0);
  auto* e = env.events.find('E', 3);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->text, bad) << "the interface reports the bare file name";
  int errors = 0;
  for (auto& ev : env.events.list) errors += ev.kind == 'E';
  EXPECT_EQ(errors, 1) << "reported once, not by the device as well";
  env.events.list.clear();
  PYRA_StartPage(env.id);
  EXPECT_NE(env.events.find('E', 10), nullptr) << "the document did not begin";
}

TEST(Documents, StreamModeWithoutWriterFails) {
  Env env;
  EXPECT_EQ(PYRA_BeginDoc(env.id, "x", 1), 0);
  auto* e = env.events.find('E', 12);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->number, 0);
}

TEST(Documents, FinalizeWithAnOpenDocumentLeavesNoCompleteFile) {
  TempDir dir;
  std::string file = dir.file("open.pdf");
  int32_t id = PYRA_Initialize();
  ASSERT_EQ(PYRA_BeginDoc(id, file.c_str(), 0), 1);
  PYRA_StartPage(id);
  PYRA_Finalize(id);
  std::string text = readText(file);
  EXPECT_EQ(text.find("%%EOF"), std::string::npos);
  EXPECT_EQ(text.find("trailer"), std::string::npos);
}

TEST(Documents, OptionBitsReachTheHeader) {
  TempDir dir;
  PyraOptions o{};
  o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
  o.ENHANCEDOPTIONS = 0x001 | 0x002 | 0x400;  // doNoSpacing, doClipping, no bitmap crop
  o.PAGEMODE = 2;
  Env env(&o);
  std::string file = dir.file("bits.pdf");
  ASSERT_EQ(PYRA_BeginDoc(env.id, file.c_str(), 0), 1);
  PYRA_EndDoc(env.id);
  std::string text = readText(file);
  EXPECT_NE(text.find("%101230[" + std::to_string(0x0080 | 0x0020 | 0x0100) + "]"), std::string::npos);
  EXPECT_NE(text.find("/PageMode/UseThumbs"), std::string::npos);
}

TEST(Documents, NumbersIgnoreTheLocale) {
  const char* comma[] = {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE"};
  std::string old = setlocale(LC_ALL, nullptr);
  bool set = false;
  for (const char* l : comma) if (setlocale(LC_ALL, l)) { set = true; break; }
  TempDir dir;
  PyraOptions o{};
  o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
  o.PDFXRES = 7;
  o.PDFYRES = 7;
  {
    Env env(&o);
    std::string file = dir.file("locale.pdf");
    ASSERT_EQ(PYRA_BeginDoc(env.id, file.c_str(), 0), 1);
    PYRA_StartPageEx(env.id, 10, 10, 0);
    PYRA_EndDoc(env.id);
    setlocale(LC_ALL, old.c_str());
    std::string report;
    EXPECT_TRUE(qpdfCheck(file, &report)) << report;
  }
  if (!set) GTEST_SKIP() << "no comma-decimal locale installed; checked under C only";
}

TEST(Threads, EnvironmentsOnSeveralThreadsAtOnce) {
  TempDir dir;
  constexpr int kThreads = 6;
  std::atomic<int> good{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 5; ++round) {
        int32_t id = PYRA_Initialize();
        std::string file = dir.file("t" + std::to_string(t) + "-" + std::to_string(round) + ".pdf");
        if (PYRA_BeginDoc(id, file.c_str(), 0) != 1) continue;
        for (int p = 0; p < 20; ++p) PYRA_StartPageEx(id, 100 + p, 200, 0);
        PYRA_EndDoc(id);
        PYRA_Finalize(id);
        if (readText(file).find("/Count 20") != std::string::npos) ++good;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(good.load(), kThreads * 5);
  for (int t = 0; t < kThreads; ++t) {
    std::string report;
    EXPECT_TRUE(qpdfCheck(dir.file("t" + std::to_string(t) + "-4.pdf"), &report)) << report;
  }
}

TEST(Commands, OutlineRecordsBuildEntries) {
  TempDir dir;
  Env env;
  std::string file = dir.file("outline.pdf");
  ASSERT_EQ(PYRA_BeginDoc(env.id, file.c_str(), 0), 1);
  PYRA_StartPage(env.id);
  auto record = [](const char* caption, int32_t mode, int32_t level) {
    std::vector<uint8_t> r(572, 0);
    std::strncpy(reinterpret_cast<char*>(r.data()), caption, 255);
    int32_t values[] = {10, 20, 0, 0, 0, 0};
    std::memcpy(&r[512], values, sizeof values);
    std::memcpy(&r[540], &mode, 4);
    std::memcpy(&r[544], &level, 4);
    return r;
  };
  auto a = record("Chapter", 1, 0);
  auto b = record("Section", 4, 1);  // mode 4 arrives as 6: a child of entry 1
  EXPECT_EQ(PYRA_ExecCommand(env.id, 6, 0, a.data(), int32_t(a.size())), 1);
  EXPECT_EQ(PYRA_ExecCommand(env.id, 6, 0, b.data(), int32_t(b.size())), 2);
  EXPECT_EQ(PYRA_ExecCommand(env.id, 6, 0, nullptr, 0), 0);
  PYRA_EndDoc(env.id);
  std::string report;
  EXPECT_TRUE(qpdfCheck(file, &report)) << report;
  std::string tree = run("mutool show " + shellQuote(file) + " outline").out;
  EXPECT_NE(tree.find("\"Chapter\""), std::string::npos) << tree;
  EXPECT_NE(tree.find("\t\t\"Section\""), std::string::npos) << tree;
}
