// PyraControl against a recording stand-in of the engine and of the
// platform's metafile calls: what each method hands to which engine call,
// the options record byte for byte, the save-name rules, and how page files
// are read, loaded, handed over and cleaned up.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "pyra/pyractl.h"
#include "testkit/testkit.h"
#include "wrapper/placeable_header.h"
#include "wrapper/pyra_control.h"

namespace pyra::wrapper_test {
std::vector<uint8_t> plainWmfPage();
std::vector<uint8_t> placeableWmfPage(bool good_checksum);
std::vector<uint8_t> emfPage();
}  // namespace pyra::wrapper_test

using namespace pyra::wrapper;
using namespace pyra::wrapper_test;
using pyra::testkit::TempDir;
namespace fs = std::filesystem;

// ---------------------------------------------------------------------------
// The recording engine. Its C entry points have no context argument, so the
// record lives in one object of this test program.

namespace {

struct FakeEngine {
  std::vector<std::string> log;  // engine and platform calls, in order
  std::vector<uint8_t> options;  // the record PYRA_InitializeEx received
  int32_t next_env = 7;
  uint32_t dc = 85;
  int text_rect_advance = 3;     // < 0: the engine answers null
};

FakeEngine& fake() {
  static FakeEngine engine;
  return engine;
}

std::string quoted(const char* s) { return s ? "\"" + std::string(s) + "\"" : "null"; }

template <class... Args>
std::string joined(Args... args) {
  std::string out;
  ((out += (out.empty() ? "" : ",") + args), ...);
  return out;
}
std::string n(int64_t v) { return std::to_string(v); }

void record(const std::string& call) { fake().log.push_back(call); }

}  // namespace

extern "C" {
int32_t PYRA_Initialize(void) noexcept { record("Initialize()"); return fake().next_env; }
int32_t PYRA_InitializeEx(const PyraOptions* o) noexcept {
  record("InitializeEx()");
  const auto* p = reinterpret_cast<const uint8_t*>(o);
  fake().options.assign(p, p + sizeof(PyraOptions));
  return fake().next_env;
}
void PYRA_Finalize(int32_t env) noexcept { record("Finalize(" + n(env) + ")"); }
void PYRA_FinalizeAll(void) noexcept { record("FinalizeAll()"); }
int32_t PYRA_BeginDoc(int32_t env, const char* f, int32_t s) noexcept {
  record("BeginDoc(" + joined(n(env), quoted(f), n(s)) + ")");
  return 1;
}
void PYRA_EndDoc(int32_t env) noexcept { record("EndDoc(" + n(env) + ")"); }
void PYRA_StartPage(int32_t env) noexcept { record("StartPage(" + n(env) + ")"); }
void PYRA_StartPageEx(int32_t env, int32_t w, int32_t h, int32_t r) noexcept {
  record("StartPageEx(" + joined(n(env), n(w), n(h), n(r)) + ")");
}
void PYRA_EndPage(int32_t env) noexcept { record("EndPage(" + n(env) + ")"); }
void PYRA_StartWatermark(int32_t env, const char* name) noexcept {
  record("StartWatermark(" + joined(n(env), quoted(name)) + ")");
}
void PYRA_StartWatermarkEx(int32_t env, const char* name, int32_t w, int32_t h) noexcept {
  record("StartWatermarkEx(" + joined(n(env), quoted(name), n(w), n(h)) + ")");
}
void PYRA_EndWatermark(int32_t env) noexcept { record("EndWatermark(" + n(env) + ")"); }
void PYRA_DrawWatermark(int32_t env, const char* name, int32_t mode) noexcept {
  record("DrawWatermark(" + joined(n(env), quoted(name), n(mode)) + ")");
}
PYRA_HDC PYRA_DC(int32_t env) noexcept { record("DC(" + n(env) + ")"); return fake().dc; }
void PYRA_DrawMetafile(int32_t env, PYRA_HMETAFILE mf, int32_t x, int32_t y, int32_t w, int32_t h) noexcept {
  record("DrawMetafile(" + joined(n(env), n(mf), n(x), n(y), n(w), n(h)) + ")");
}
int32_t PYRA_DrawBitmapFile(int32_t env, int32_t x, int32_t y, int32_t w, int32_t h, const char* f) noexcept {
  record("DrawBitmapFile(" + joined(n(env), n(x), n(y), n(w), n(h), quoted(f)) + ")");
  return 44;
}
int32_t PYRA_TextOut(int32_t env, int32_t x, int32_t y, const char* t) noexcept {
  record("TextOut(" + joined(n(env), n(x), n(y), quoted(t)) + ")");
  return 1;
}
const char* PYRA_TextRect(int32_t env, int32_t x, int32_t y, int32_t w, int32_t h, const char* t,
                          int32_t a) noexcept {
  record("TextRect(" + joined(n(env), n(x), n(y), n(w), n(h), quoted(t), n(a)) + ")");
  return fake().text_rect_advance < 0 ? nullptr : t + fake().text_rect_advance;
}
int32_t PYRA_MoveTo(int32_t env, int32_t x, int32_t y) noexcept {
  record("MoveTo(" + joined(n(env), n(x), n(y)) + ")");
  return 42;
}
int32_t PYRA_LineTo(int32_t env, int32_t x, int32_t y) noexcept {
  record("LineTo(" + joined(n(env), n(x), n(y)) + ")");
  return 43;
}
int32_t PYRA_Rectangle(int32_t env, int32_t x, int32_t y, int32_t w, int32_t h) noexcept {
  record("Rectangle(" + joined(n(env), n(x), n(y), n(w), n(h)) + ")");
  return 41;
}
void PYRA_Hyperlink(int32_t env, int32_t x, int32_t y, int32_t w, int32_t h, const char* t) noexcept {
  record("Hyperlink(" + joined(n(env), n(x), n(y), n(w), n(h), quoted(t)) + ")");
}
void PYRA_Bookmark(int32_t env, int32_t x, int32_t y, const char* name) noexcept {
  record("Bookmark(" + joined(n(env), n(x), n(y), quoted(name)) + ")");
}
void PYRA_Outline(int32_t env, int32_t level, int32_t x, int32_t y, const char* name, const char* caption) noexcept {
  record("Outline(" + joined(n(env), n(level), n(x), n(y), quoted(name), quoted(caption)) + ")");
}
void PYRA_SetTextDefaultAttr(int32_t env, const char* font, int32_t size) noexcept {
  record("SetTextDefaultAttr(" + joined(n(env), quoted(font), n(size)) + ")");
}
void PYRA_SetTextAttr(int32_t env, const char* font, int32_t size, int32_t b, int32_t i, int32_t u) noexcept {
  record("SetTextAttr(" + joined(n(env), quoted(font), n(size), n(b), n(i), n(u)) + ")");
}
void PYRA_SetTextAttrEx(int32_t env, const char* font, int32_t size, uint8_t cs, int32_t b, int32_t i, int32_t u,
                        int32_t color) noexcept {
  record("SetTextAttrEx(" + joined(n(env), quoted(font), n(size), n(cs), n(b), n(i), n(u), n(color)) + ")");
}
void PYRA_SetPenAttr(int32_t env, uint8_t style, int32_t width, int32_t color) noexcept {
  record("SetPenAttr(" + joined(n(env), n(style), n(width), n(color)) + ")");
}
int32_t PYRA_SetSProp(int32_t env, int32_t property, const char* value) noexcept {
  record("SetSProp(" + joined(n(env), n(property), quoted(value)) + ")");
  return 1;
}
void PYRA_SetBrushAttr(int32_t env, uint8_t style, int32_t color) noexcept {
  record("SetBrushAttr(" + joined(n(env), n(style), n(color)) + ")");
}
}  // extern "C"

// ---------------------------------------------------------------------------
// The recording platform: loads only what looks like the metafile it is
// asked for, and checks that a temporary copy is where and what it should be.

namespace {

class FakePlatform final : public MetafilePlatform {
 public:
  // `page` is the page file under test; `body` what a temporary copy must hold.
  FakePlatform(std::string page, std::vector<uint8_t> body, std::set<uint32_t>& live)
      : page_(std::move(page)), body_(std::move(body)), live_(live) {}

  uint32_t loadEnhancedFile(const char* path) override {
    const bool ok = startsWith(readAll(path), {1, 0, 0, 0});
    record("loadEnhancedFile(" + describe(path) + ")");
    return ok ? issue() : 0;
  }
  uint32_t loadWindowsFile(const char* path) override {
    const std::vector<uint8_t> bytes = readAll(path);
    record("loadWindowsFile(" + describe(path) + ")");
    return looksLikeWmf(bytes) ? issue() : 0;
  }
  uint32_t windowsFromBytes(std::span<const uint8_t> bytes) override {
    record("windowsFromBytes(" + n(int64_t(bytes.size())) + " bytes)");
    return looksLikeWmf(std::vector<uint8_t>(bytes.begin(), bytes.end())) ? issue() : 0;
  }
  std::vector<uint8_t> windowsBits(uint32_t wmf) override {
    record("windowsBits(" + n(wmf) + ")");
    return live_.count(wmf) ? body_ : std::vector<uint8_t>{};
  }
  uint32_t enhancedFromWindowsBits(std::span<const uint8_t> bits, uint32_t dc, const PictureRecord& p) override {
    record("enhancedFromWindowsBits(" +
           joined(n(int64_t(bits.size())) + " bytes", "dc " + n(dc), n(p.MM), n(p.XEXT), n(p.YEXT), n(p.HMF)) + ")");
    return issue();
  }
  void deleteEnhanced(uint32_t h) override { release("deleteEnhanced", h); }
  void deleteWindows(uint32_t h) override { release("deleteWindows", h); }

 private:
  static bool startsWith(const std::vector<uint8_t>& b, std::initializer_list<uint8_t> head) {
    return b.size() >= head.size() && std::equal(head.begin(), head.end(), b.begin());
  }
  static bool looksLikeWmf(const std::vector<uint8_t>& b) {
    return b.size() >= 18 && (b[0] == 1 || b[0] == 2) && b[1] == 0 && b[2] == 9 && b[3] == 0;
  }
  static std::vector<uint8_t> readAll(const char* path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return {};
    return pyra::testkit::readFile(path);
  }
  // "page", "temp[n bytes]" for a correct temporary copy, or the path.
  std::string describe(const char* path) {
    if (page_ == path) return "page";
    const fs::path p(path);
    std::error_code ec;
    if (p.parent_path() == fs::temp_directory_path(ec) && p.filename().string().rfind("mfx", 0) == 0) {
      struct stat st {};
      EXPECT_EQ(::stat(path, &st), 0);
      EXPECT_EQ(st.st_mode & 077, 0u) << "temporary copy readable by others: " << path;
      const std::vector<uint8_t> bytes = readAll(path);
      return bytes == body_ ? "temp[" + n(int64_t(bytes.size())) + " bytes]" : "temp with wrong bytes";
    }
    return path;
  }
  uint32_t issue() {
    live_.insert(next_);
    return next_++;
  }
  void release(const char* what, uint32_t h) {
    record(std::string(what) + "(" + n(h) + ")");
    EXPECT_EQ(live_.erase(h), 1u) << what << " of a handle not issued or released twice: " << h;
  }

  std::string page_;
  std::vector<uint8_t> body_;
  std::set<uint32_t>& live_;
  uint32_t next_ = 101;
};

class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake() = FakeEngine{};
    const char* old = std::getenv("TMPDIR");
    old_tmpdir_ = old ? std::optional<std::string>(old) : std::nullopt;
    ::setenv("TMPDIR", tmp_.path().c_str(), 1);
  }
  void TearDown() override {
    if (old_tmpdir_) ::setenv("TMPDIR", old_tmpdir_->c_str(), 1);
    else ::unsetenv("TMPDIR");
  }
  std::vector<std::string> tempFolderEntries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(tmp_.path())) names.push_back(e.path().filename().string());
    return names;
  }

  TempDir work_, tmp_;
  std::optional<std::string> old_tmpdir_;
};

}  // namespace

// ---------------------------------------------------------------------------

TEST_F(ControlTest, EveryMethodForwardsItsArgumentsToItsEngineCall) {
  struct Case {
    const char* name;
    std::function<int64_t(PyraControl&)> call;  // the method's result, or kNone
    const char* expected_call;
    int64_t expected_result;
  };
  constexpr int64_t kNone = -999;
  const Case cases[] = {
      {"BeginDoc", [](PyraControl& c) { return c.BeginDoc("report", 1); }, "BeginDoc(7,\"report\",1)", 1},
      {"DrawBitmapFile trims the name",
       [](PyraControl& c) { return c.DrawBitmapFile(1, 2, 3, 4, "logo.bmp   "); },
       "DrawBitmapFile(7,1,2,3,4,\"logo.bmp\")", 44},
      {"EndDoc", [](PyraControl& c) { c.EndDoc(); return kNone; }, "EndDoc(7)", kNone},
      {"EndPage", [](PyraControl& c) { c.EndPage(); return kNone; }, "EndPage(7)", kNone},
      {"Finalize", [](PyraControl& c) { c.Finalize(); return kNone; }, "Finalize(7)", kNone},
      {"FinalizeAll", [](PyraControl& c) { c.FinalizeAll(); return kNone; }, "FinalizeAll()", kNone},
      {"GetPDFDC", [](PyraControl& c) { return c.GetPDFDC(); }, "DC(7)", 85},
      {"Hyperlink keeps blanks", [](PyraControl& c) { c.Hyperlink(1, 2, 3, 4, "http://x/ "); return kNone; },
       "Hyperlink(7,1,2,3,4,\"http://x/ \")", kNone},
      {"Bookmark keeps blanks", [](PyraControl& c) { c.Bookmark(5, 6, "mark "); return kNone; },
       "Bookmark(7,5,6,\"mark \")", kNone},
      {"Outline with a name", [](PyraControl& c) { c.Outline(3, 1, 2, "N", "C"); return kNone; },
       "Outline(7,3,1,2,\"N\",\"C\")", kNone},
      {"Outline with an empty name", [](PyraControl& c) { c.Outline(0, 1, 2, "", "C"); return kNone; },
       "Outline(7,0,1,2,\"\",\"C\")", kNone},
      {"Outline without a name", [](PyraControl& c) { c.Outline(-1, 1, 2, "C"); return kNone; },
       "Outline(7,-1,1,2,null,\"C\")", kNone},
      {"Outline with nullopt", [](PyraControl& c) { c.Outline(2, 1, 2, std::nullopt, "C "); return kNone; },
       "Outline(7,2,1,2,null,\"C \")", kNone},
      {"Rectangle", [](PyraControl& c) { return c.Rectangle(1, 2, 3, 4); }, "Rectangle(7,1,2,3,4)", 41},
      {"SetTextAttr", [](PyraControl& c) { c.SetTextAttr("Arial ", 12, 1, 0, 1); return kNone; },
       "SetTextAttr(7,\"Arial \",12,1,0,1)", kNone},
      {"SetTextAttrEx narrows the charset",
       [](PyraControl& c) { c.SetTextAttrEx("Arial", 12, 0x1A2, 1, 0, 1, 0xFF00FFu); return kNone; },
       "SetTextAttrEx(7,\"Arial\",12,162,1,0,1,16711935)", kNone},
      {"SetTextDefaultAttr", [](PyraControl& c) { c.SetTextDefaultAttr("Times", 10); return kNone; },
       "SetTextDefaultAttr(7,\"Times\",10)", kNone},
      {"SetPenAttr", [](PyraControl& c) { c.SetPenAttr(1, 3, 255); return kNone; }, "SetPenAttr(7,1,3,255)", kNone},
      {"SetBrushAttr", [](PyraControl& c) { c.SetBrushAttr(2, 0x123456); return kNone; },
       "SetBrushAttr(7,2,1193046)", kNone},
      {"StartPage", [](PyraControl& c) { c.StartPage(); return kNone; }, "StartPage(7)", kNone},
      {"StartPageEx", [](PyraControl& c) { c.StartPageEx(612, 792, 90); return kNone; },
       "StartPageEx(7,612,792,90)", kNone},
      {"TextRect", [](PyraControl& c) { return c.TextRect(1, 2, 3, 4, "one two ", 3); },
       "TextRect(7,1,2,3,4,\"one two \",3)", 3},
      {"TextOut keeps trailing blanks", [](PyraControl& c) { c.TextOut(1, 2, "padded   "); return kNone; },
       "TextOut(7,1,2,\"padded   \")", kNone},
      {"StartWatermark trims the name", [](PyraControl& c) { c.StartWatermark("wm   "); return kNone; },
       "StartWatermark(7,\"wm\")", kNone},
      {"StartWatermarkEx trims the name", [](PyraControl& c) { c.StartWatermarkEx("wm ", 100, 200); return kNone; },
       "StartWatermarkEx(7,\"wm\",100,200)", kNone},
      {"EndWatermark", [](PyraControl& c) { c.EndWatermark(); return kNone; }, "EndWatermark(7)", kNone},
      {"DrawWatermark trims the name", [](PyraControl& c) { c.DrawWatermark(" wm ", 1); return kNone; },
       "DrawWatermark(7,\" wm\",1)", kNone},
      {"MoveTo", [](PyraControl& c) { return c.MoveTo(5, 6); }, "MoveTo(7,5,6)", 42},
      {"LineTo", [](PyraControl& c) { return c.LineTo(7, 8); }, "LineTo(7,7,8)", 43},
  };
  for (const Case& c : cases) {
    fake().log.clear();
    PyraControl control;
    control.PDFENV = 7;
    const int64_t result = c.call(control);
    EXPECT_EQ(fake().log, std::vector<std::string>{c.expected_call}) << c.name;
    EXPECT_EQ(result, c.expected_result) << c.name;
  }
}

TEST_F(ControlTest, GetPDFDCStoresTheContextAndTextRectAnswersAnOffsetIntoTheCallersText) {
  PyraControl control;
  control.PDFENV = 7;
  fake().dc = 4242;
  EXPECT_EQ(control.GetPDFDC(), 4242);
  EXPECT_EQ(control.DC, 4242);

  const std::string text = "a\fb";
  fake().text_rect_advance = 2;
  EXPECT_EQ(control.TextRect(0, 0, 10, 10, text, 0), 2) << "the character after the form feed";
  fake().text_rect_advance = 3;
  EXPECT_EQ(control.TextRect(0, 0, 10, 10, text, 0), 3) << "everything was output";
  fake().text_rect_advance = -1;
  EXPECT_EQ(control.TextRect(0, 0, 10, 10, text, 0), -1) << "nothing was done";
}

TEST_F(ControlTest, InitializeAndInitializeExStoreTheEnvironment) {
  PyraControl a;
  EXPECT_EQ(a.Initialize(), 7);
  EXPECT_EQ(a.PDFENV, 7);
  fake().next_env = 9;
  PyraControl b;
  EXPECT_EQ(b.InitializeEx(), 9);
  EXPECT_EQ(b.PDFENV, 9);
  fake().next_env = -1;  // a refused record opens nothing
  PyraControl c;
  EXPECT_EQ(c.InitializeEx(), -1);
  EXPECT_EQ(c.PDFENV, -1);
}

TEST_F(ControlTest, DestructorFinalizesOnlyAnEnvironmentItOpenedAndTheHostDidNotFinalize) {
  struct Case {
    const char* name;
    std::function<void(PyraControl&)> use;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"never opened", [](PyraControl&) {}, {}},
      {"opened and forgotten", [](PyraControl& c) { c.InitializeEx(); }, {"InitializeEx()", "Finalize(7)"}},
      {"refused record", [](PyraControl& c) { fake().next_env = -1; c.InitializeEx(); }, {"InitializeEx()"}},
      {"opened and finalized", [](PyraControl& c) { c.Initialize(); c.Finalize(); },
       {"Initialize()", "Finalize(7)"}},
      {"opened and FinalizeAll", [](PyraControl& c) { c.Initialize(); c.FinalizeAll(); },
       {"Initialize()", "FinalizeAll()"}},
      {"identifier set by hand", [](PyraControl& c) { c.PDFENV = 3; }, {}},
  };
  for (const Case& c : cases) {
    fake().log.clear();
    fake().next_env = 7;
    {
      PyraControl control;
      c.use(control);
    }
    EXPECT_EQ(fake().log, c.expected) << c.name;
  }
}

// ---------------------------------------------------------------------------
// The options record.

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

// Offsets of the record with 4-byte code pointers; each code pointer before
// a field widens it by the extra pointer width.
constexpr size_t kWiden = sizeof(void*) - 4;
struct FieldAt { const char* name; size_t offset32; size_t pointers_before; size_t size; };
constexpr FieldAt kIntFields[] = {
    {"SIZEOFSTRUCT", 0, 0, 4},  {"ENCODING", 4, 0, 4},   {"COMPRESSION", 8, 0, 4}, {"BITCOMPRESSION", 12, 0, 4},
    {"THUMBNAILS", 16, 0, 4},   {"FONTMODE", 20, 0, 4},  {"PAGEMODE", 24, 0, 4},   {"INPUTFILEMODE", 28, 0, 4},
    {"JPEGCOMPRESS", 32, 0, 4}, {"ENHANCEDOPTIONS", 36, 0, 4}, {"PDFXRES", 40, 0, 4}, {"PDFYRES", 44, 0, 4},
    {"PDFWIDTH", 48, 0, 4},     {"PDFHEIGHT", 52, 0, 4}, {"PERMISSION", 216, 6, 4}, {"RESERVED", 2052, 6, 4},
};
constexpr FieldAt kTextFields[] = {
    {"INPUTPDFFILE", 56, 0, 128}, {"MAILMERGESTART", 204, 5, 8}, {"USERPASSWORD", 220, 6, 20},
    {"OWNERPASSWORD", 240, 6, 20}, {"DATE", 260, 6, 256},        {"MODDATE", 516, 6, 256},
    {"AUTHOR", 772, 6, 256},       {"PRODUCER", 1028, 6, 256},   {"TITLE", 1284, 6, 256},
    {"SUBJECT", 1540, 6, 256},     {"KEYWORDS", 1796, 6, 256},
};
constexpr FieldAt kPointerFields[] = {
    {"ONSTREAMOPEN", 184, 0, 0}, {"ONSTREAMWRITE", 188, 1, 0}, {"ONSTREAMCLOSE", 192, 2, 0},
    {"ONERROR", 196, 3, 0},      {"ONMESSAGE", 200, 4, 0},     {"ONGETTEXT", 212, 5, 0},
};
size_t offsetOf(const FieldAt& f) { return f.offset32 + f.pointers_before * kWiden; }

std::string* textField(PyraControl& c, const std::string& name) {
  std::map<std::string, std::string*> m = {
      {"INPUTPDFFILE", &c.INPUTPDFFILE}, {"MAILMERGESTART", &c.MAILMERGESTART}, {"USERPASSWORD", &c.USERPASSWORD},
      {"OWNERPASSWORD", &c.OWNERPASSWORD}, {"DATE", &c.DATE}, {"MODDATE", &c.MODDATE}, {"AUTHOR", &c.AUTHOR},
      {"PRODUCER", &c.PRODUCER}, {"TITLE", &c.TITLE}, {"SUBJECT", &c.SUBJECT}, {"KEYWORDS", &c.KEYWORDS}};
  return m.at(name);
}

}  // namespace

TEST_F(ControlTest, OptionsRecordLayoutMatchesTheOffsetTable) {
  EXPECT_EQ(sizeof(PyraOptions), 2056 + 6 * kWiden);
  EXPECT_EQ(offsetof(PyraOptions, PERMISSION), offsetOf(kIntFields[14]));
  EXPECT_EQ(offsetof(PyraOptions, RESERVED), offsetOf(kIntFields[15]));
  EXPECT_EQ(offsetof(PyraOptions, MAILMERGESTART), offsetOf(kTextFields[1]));
  EXPECT_EQ(offsetof(PyraOptions, ONGETTEXT), offsetOf(kPointerFields[5]));
  EXPECT_EQ(offsetof(PyraOptions, KEYWORDS), offsetOf(kTextFields[10]));
}

TEST_F(ControlTest, InitializeExCopiesEveryFieldToItsPlaceInTheRecord) {
  PyraControl control;
  int32_t* ints[] = {&control.ENCODING, &control.COMPRESSION, &control.BITCOMPRESSION, &control.THUMBNAILS,
                     &control.FONTMODE, &control.PAGEMODE,    &control.INPUTFILEMODE,  &control.JPEGCOMPRESS,
                     &control.ENHANCEDOPTIONS, &control.PDFXRES, &control.PDFYRES,      &control.PDFWIDTH,
                     &control.PDFHEIGHT};
  int32_t value = 0x01020300;
  for (int32_t* field : ints) *field = ++value;  // ENCODING 0x01020301, ... PDFHEIGHT 0x0102030D
  control.PERMISSION = -44;
  for (const FieldAt& f : kTextFields) *textField(control, f.name) = std::string(f.name).substr(0, f.size - 1);
  control.AUTHOR = "Zoë Ünal 世界";
  control.PDFENV = 5;  // read by no record field
  control.DC = 6;

  control.InitializeEx();
  const std::vector<uint8_t>& rec = fake().options;
  ASSERT_EQ(rec.size(), sizeof(PyraOptions));

  EXPECT_EQ(int32_t(le32(rec, 0)), PYRA_OPTIONS_SIZE) << "SIZEOFSTRUCT";
  for (size_t i = 1; i <= 13; ++i)
    EXPECT_EQ(le32(rec, offsetOf(kIntFields[i])), 0x01020300u + i) << kIntFields[i].name;
  EXPECT_EQ(int32_t(le32(rec, offsetOf(kIntFields[14]))), -44) << "PERMISSION";
  EXPECT_EQ(le32(rec, offsetOf(kIntFields[15])), 0u) << "RESERVED";
  for (const FieldAt& f : kPointerFields)
    for (size_t i = 0; i < sizeof(void*); ++i) EXPECT_EQ(rec[offsetOf(f) + i], 0) << f.name << " byte " << i;
  for (const FieldAt& f : kTextFields) {
    const std::string want = *textField(control, f.name);
    const char* at = reinterpret_cast<const char*>(rec.data() + offsetOf(f));
    EXPECT_EQ(std::string(at, want.size()), want) << f.name;
    for (size_t i = want.size(); i < f.size; ++i) EXPECT_EQ(at[i], 0) << f.name << " byte " << i;
  }
  EXPECT_EQ(control.PDFENV, 7);
}

TEST_F(ControlTest, InitializeExOfANewObjectSendsTheSizeAndNothingElse) {
  PyraControl control;
  control.InitializeEx();
  const std::vector<uint8_t>& rec = fake().options;
  ASSERT_EQ(rec.size(), sizeof(PyraOptions));
  EXPECT_EQ(int32_t(le32(rec, 0)), PYRA_OPTIONS_SIZE);
  for (size_t i = 4; i < rec.size(); ++i) ASSERT_EQ(rec[i], 0) << "byte " << i;
}

TEST_F(ControlTest, OverLongTextsAreCutToTheirBuffersWithTheNulKept) {
  for (const FieldAt& f : kTextFields) {
    PyraControl control;
    *textField(control, f.name) = std::string(f.size + 40, 'x');
    control.InitializeEx();
    const std::vector<uint8_t>& rec = fake().options;
    const char* at = reinterpret_cast<const char*>(rec.data() + offsetOf(f));
    EXPECT_EQ(std::string(at, f.size - 1), std::string(f.size - 1, 'x')) << f.name;
    EXPECT_EQ(at[f.size - 1], 0) << f.name << ": the last byte is the terminator";
    // Nothing spills into the field behind, which is empty here.
    const size_t next = offsetOf(f) + f.size;
    EXPECT_EQ(rec[next], 0) << f.name;
  }
}

TEST_F(ControlTest, ACutNeverLeavesHalfAUtf8Character) {
  struct Case { const char* name; std::string text; std::string kept; };
  const std::string x254(254, 'x');
  const Case cases[] = {
      {"two-byte character across the cut", x254 + "é", x254},
      {"three-byte character across the cut", std::string(253, 'x') + "世", std::string(253, 'x')},
      {"four-byte character across the cut", std::string(252, 'x') + "😀", std::string(252, 'x')},
      {"character ending at the cut", std::string(253, 'x') + "é" + "tail", std::string(253, 'x') + "é"},
      {"8-bit code-page text is cut as bytes", x254 + "\xE9\xE9", x254 + "\xE9"},
  };
  for (const Case& c : cases) {
    PyraControl control;
    control.TITLE = c.text;
    control.InitializeEx();
    const char* title = reinterpret_cast<const char*>(fake().options.data() + offsetOf(kTextFields[8]));
    EXPECT_EQ(std::string(title), c.kept) << c.name;
  }
}

TEST_F(ControlTest, PasswordsAndInputFileTooLongForTheRecordAlsoReachTheEngineWhole) {
  struct Case {
    const char* name;
    std::function<void(PyraControl&)> set;
    std::vector<std::string> expected;
  };
  const std::string p19(19, 'u'), p20(20, 'u'), o25(25, 'o'), f127(127, 'f'), f128(128, 'f');
  const Case cases[] = {
      {"user password that fits", [&](PyraControl& c) { c.USERPASSWORD = p19; }, {"InitializeEx()"}},
      {"user password one too long", [&](PyraControl& c) { c.USERPASSWORD = p20; },
       {"InitializeEx()", "SetSProp(7,12,\"" + p20 + "\")"}},
      {"owner password too long", [&](PyraControl& c) { c.OWNERPASSWORD = o25; },
       {"InitializeEx()", "SetSProp(7,11,\"" + o25 + "\")"}},
      {"input file that fits", [&](PyraControl& c) { c.INPUTPDFFILE = f127; }, {"InitializeEx()"}},
      {"input file too long", [&](PyraControl& c) { c.INPUTPDFFILE = f128; },
       {"InitializeEx()", "SetSProp(7,13,\"" + f128 + "\")"}},
      {"long information texts are only cut", [&](PyraControl& c) { c.TITLE = std::string(400, 't'); },
       {"InitializeEx()"}},
  };
  for (const Case& c : cases) {
    fake().log.clear();
    PyraControl control;
    c.set(control);
    control.InitializeEx();
    EXPECT_EQ(fake().log, c.expected) << c.name;
  }
  fake().log.clear();
  fake().next_env = -1;
  PyraControl refused;
  refused.USERPASSWORD = p20;
  refused.InitializeEx();
  EXPECT_EQ(fake().log, std::vector<std::string>{"InitializeEx()"}) << "no environment, no properties";
}

// ---------------------------------------------------------------------------
// BeginDoc's file-name step.

TEST_F(ControlTest, BeginDocFileNameRules) {
  struct Case {
    const char* name;
    std::string given;
    bool has_provider;
    std::optional<std::string> chosen;  // the provider's answer
    std::optional<std::string> passed;  // what reaches PYRA_BeginDoc, nothing when not called
    bool asks;
  };
  const std::string long_name = "/" + std::string(150, 'a') + "/" + std::string(150, 'b') + "/report";
  const Case cases[] = {
      {"caller's name passed unchanged", "report", false, {}, "report", false},
      {"caller's name loses trailing blanks", "out/report.pdf   ", false, {}, "out/report.pdf", false},
      {"caller's leading blanks stay", "  report", false, {}, "  report", false},
      {"caller's long name kept whole", long_name, false, {}, long_name, false},
      {"caller's UTF-8 name unchanged", "Größe/Bericht 报告", false, {}, "Größe/Bericht 报告", false},
      {"empty name without provider is a cancel", "", false, {}, std::nullopt, false},
      {"blank name without provider is a cancel", "    ", false, {}, std::nullopt, false},
      {"cancelled dialog", "", true, std::nullopt, std::nullopt, true},
      {"dialog answering an empty name", "", true, std::string(), std::nullopt, true},
      {"chosen name without a dot gets .pdf", "", true, "/out/report", "/out/report.pdf", true},
      {"blank name asks too", "   ", true, "/out/report", "/out/report.pdf", true},
      {"a dot in a folder suppresses .pdf", "", true, "/my.dir/report", "/my.dir/report", true},
      {"chosen name with an extension", "", true, "/out/report.PDF", "/out/report.PDF", true},
      {"chosen UTF-8 name without a dot", "", true, "/tmp/Größe", "/tmp/Größe.pdf", true},
      {"chosen long name without a dot", "", true, long_name, long_name + ".pdf", true},
  };
  for (const Case& c : cases) {
    fake().log.clear();
    PyraControl control;
    control.PDFENV = 7;
    int asked = 0;
    std::string title, filter, folder;
    if (c.has_provider)
      control.setFileNameProvider([&](const std::string& t, const std::string& f, const std::string& d) {
        ++asked;
        title = t, filter = f, folder = d;
        return c.chosen;
      });
    const int32_t result = control.BeginDoc(c.given, 0);
    if (c.passed) {
      EXPECT_EQ(fake().log, std::vector<std::string>{"BeginDoc(7,\"" + *c.passed + "\",0)"}) << c.name;
      EXPECT_EQ(result, 1) << c.name;
    } else {
      EXPECT_TRUE(fake().log.empty()) << c.name << ": the engine must not be called";
      EXPECT_EQ(result, 0) << c.name;
    }
    EXPECT_EQ(asked, c.asks ? 1 : 0) << c.name;
    if (c.asks) {
      EXPECT_EQ(title, "Save Report As") << c.name;
      EXPECT_EQ(filter, "Adobe PDF | *.pdf") << c.name;
      EXPECT_EQ(folder, fs::current_path().string()) << c.name;
    }
  }
}

// ---------------------------------------------------------------------------
// Page files.

namespace {

enum class Method { DrawWMF, DrawMetafile };

struct PageCase {
  const char* name;
  const char* file;                      // under the work folder
  std::optional<std::vector<uint8_t>> content;  // nothing: the file does not exist
  std::vector<std::string> wmf_log;      // DrawWMF
  std::vector<std::string> metafile_log; // DrawMetafile, when different
};

std::vector<uint8_t> prefix(std::vector<uint8_t> v, size_t n) {
  v.resize(std::min(n, v.size()));
  return v;
}

}  // namespace

TEST_F(ControlTest, PageFilesAreReadLoadedHandedOverAndReleased) {
  const auto placeable = placeableWmfPage(true);
  const std::string body_size = std::to_string(placeable.size() - 22);
  const std::vector<std::string> placeable_by_engine = {
      "loadWindowsFile(temp[" + body_size + " bytes])", "DrawMetafile(7,101,1,2,300,400)", "deleteWindows(101)"};
  const std::vector<std::string> placeable_by_wrapper = {
      "loadWindowsFile(temp[" + body_size + " bytes])",
      "windowsBits(101)",
      "DC(7)",
      "enhancedFromWindowsBits(" + body_size + " bytes,dc 85,8,1000,1000,101)",
      "DrawMetafile(7,102,1,2,300,400)",
      "deleteEnhanced(102)",
      "deleteWindows(101)"};
  const std::vector<std::string> plain = {"loadWindowsFile(page)", "DrawMetafile(7,101,1,2,300,400)",
                                          "deleteWindows(101)"};
  const std::vector<std::string> enhanced = {"loadEnhancedFile(page)", "DrawMetafile(7,101,1,2,300,400)",
                                             "deleteEnhanced(101)"};
  const std::vector<std::string> nothing_loaded = {"loadWindowsFile(page)", "DrawMetafile(7,0,1,2,300,400)"};
  auto with_wrong_box = placeable;
  with_wrong_box[6] = 0x64;  // LEFT = 100: the picture is 900 wide
  with_wrong_box[12] = 0xF4; with_wrong_box[13] = 0x01;  // BOTTOM = 500: and 500 high

  const PageCase cases[] = {
      {"placeable", "page1.wmf", placeable, placeable_by_engine, placeable_by_wrapper},
      {"placeable with a wrong checksum is drawn", "page2.wmf", placeableWmfPage(false), placeable_by_engine,
       placeable_by_wrapper},
      {"placeable, any name but *emf", "page3.bin", placeable, placeable_by_engine, placeable_by_wrapper},
      {"UTF-8 name", "Seite-ü-页.wmf", placeable, placeable_by_engine, placeable_by_wrapper},
      {"name with trailing blanks", "page4.wmf   ", placeable, placeable_by_engine, placeable_by_wrapper},
      {"box as stored gives the extents", "page5.wmf", with_wrong_box, placeable_by_engine,
       {"loadWindowsFile(temp[" + body_size + " bytes])", "windowsBits(101)", "DC(7)",
        "enhancedFromWindowsBits(" + body_size + " bytes,dc 85,8,900,500,101)", "DrawMetafile(7,102,1,2,300,400)",
        "deleteEnhanced(102)", "deleteWindows(101)"}},
      {"plain WMF", "plain.wmf", plainWmfPage(), plain, {}},
      {"enhanced, lower case", "page1.emf", emfPage(), enhanced, {}},
      {"enhanced, upper case", "PAGE1.EMF", emfPage(), enhanced, {}},
      {"enhanced, mixed case", "x.Emf", emfPage(), enhanced, {}},
      {"EMF bytes under a .wmf name are loaded as WMF", "emf.wmf", emfPage(), {"loadWindowsFile(page)",
       "DrawMetafile(7,0,1,2,300,400)"}, {}},
      {"missing file", "missing.wmf", std::nullopt, nothing_loaded, {}},
      {"missing enhanced file", "missing.emf", std::nullopt,
       {"loadEnhancedFile(page)", "DrawMetafile(7,0,1,2,300,400)"}, {}},
      {"empty file", "empty.wmf", std::vector<uint8_t>{}, nothing_loaded, {}},
      {"placeable key in a file shorter than its header", "short.wmf", prefix(placeable, 21), nothing_loaded, {}},
      {"placeable header and nothing behind it", "bare.wmf", prefix(placeable, 22),
       {"loadWindowsFile(temp[0 bytes])", "DrawMetafile(7,0,1,2,300,400)"},
       {"loadWindowsFile(temp[0 bytes])", "DC(7)", "DrawMetafile(7,0,1,2,300,400)"}},
      {"placeable with a truncated metafile", "cut.wmf", prefix(placeable, 30),
       {"loadWindowsFile(temp[8 bytes])", "DrawMetafile(7,0,1,2,300,400)"},
       {"loadWindowsFile(temp[8 bytes])", "DC(7)", "DrawMetafile(7,0,1,2,300,400)"}},
  };

  for (Method method : {Method::DrawWMF, Method::DrawMetafile}) {
    for (const PageCase& c : cases) {
      const char* method_name = method == Method::DrawWMF ? "DrawWMF" : "DrawMetafile";
      SCOPED_TRACE(std::string(method_name) + ": " + c.name);
      std::string file = c.file;
      while (!file.empty() && file.back() == ' ') file.pop_back();
      const std::string path = work_.file(file);
      fs::remove(path);
      if (c.content) pyra::testkit::writeFile(path, c.content->data(), c.content->size());
      std::vector<uint8_t> body;  // what a temporary copy must hold
      if (c.content && c.content->size() >= 22) body.assign(c.content->begin() + 22, c.content->end());

      fake().log.clear();
      std::set<uint32_t> live;
      PyraControl control(std::make_unique<FakePlatform>(path, body, live));
      control.PDFENV = 7;
      const std::string given = work_.file(c.file);
      if (method == Method::DrawWMF) control.DrawWMF(given, 1, 2, 300, 400);
      else control.DrawMetafile(given, 1, 2, 300, 400);

      const auto& expected = method == Method::DrawMetafile && !c.metafile_log.empty() ? c.metafile_log : c.wmf_log;
      EXPECT_EQ(fake().log, expected);
      EXPECT_TRUE(live.empty()) << "handles left unreleased: " << live.size();
      EXPECT_TRUE(tempFolderEntries().empty()) << "temporary files left: " << tempFolderEntries().size();
    }
  }
}

TEST_F(ControlTest, PageFilesThatAreNoRegularFilesLoadNothingAndNeverBlock) {
  const std::string fifo = work_.file("pipe.wmf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string folder = work_.file("folder.wmf");
  fs::create_directory(folder);
  for (const std::string& path : {fifo, folder}) {
    for (Method method : {Method::DrawWMF, Method::DrawMetafile}) {
      SCOPED_TRACE(path);
      fake().log.clear();
      std::set<uint32_t> live;
      PyraControl control(std::make_unique<FakePlatform>(path, std::vector<uint8_t>{}, live));
      control.PDFENV = 7;
      if (method == Method::DrawWMF) control.DrawWMF(path, 0, 0, 10, 10);
      else control.DrawMetafile(path, 0, 0, 10, 10);
      EXPECT_EQ(fake().log, (std::vector<std::string>{"loadWindowsFile(page)", "DrawMetafile(7,0,0,0,10,10)"}));
      EXPECT_TRUE(tempFolderEntries().empty());
    }
  }
}

TEST_F(ControlTest, UnreadablePageFileLoadsNothing) {
  if (::geteuid() == 0) GTEST_SKIP() << "running as root: file permissions do not stop reading";
  const auto placeable = placeableWmfPage(true);
  const std::string path = work_.file("locked.wmf");
  pyra::testkit::writeFile(path, placeable.data(), placeable.size());
  ::chmod(path.c_str(), 0);
  std::set<uint32_t> live;
  PyraControl control(std::make_unique<FakePlatform>(path, std::vector<uint8_t>{}, live));
  control.PDFENV = 7;
  control.DrawWMF(path, 0, 0, 10, 10);
  EXPECT_EQ(fake().log, (std::vector<std::string>{"loadWindowsFile(page)", "DrawMetafile(7,0,0,0,10,10)"}));
  EXPECT_TRUE(tempFolderEntries().empty());
}

TEST_F(ControlTest, WithoutAUsableTemporaryFolderThePlaceablePageIsLoadedFromMemory) {
  const auto placeable = placeableWmfPage(true);
  const std::string path = work_.file("page.wmf");
  pyra::testkit::writeFile(path, placeable.data(), placeable.size());
  const std::vector<uint8_t> body(placeable.begin() + 22, placeable.end());
  ::setenv("TMPDIR", work_.file("no-such-folder").c_str(), 1);
  for (Method method : {Method::DrawWMF, Method::DrawMetafile}) {
    fake().log.clear();
    std::set<uint32_t> live;
    PyraControl control(std::make_unique<FakePlatform>(path, body, live));
    control.PDFENV = 7;
    if (method == Method::DrawWMF) control.DrawWMF(path, 0, 0, 10, 10);
    else control.DrawMetafile(path, 0, 0, 10, 10);
    ASSERT_FALSE(fake().log.empty());
    EXPECT_EQ(fake().log.front(), "windowsFromBytes(" + std::to_string(body.size()) + " bytes)");
    EXPECT_NE(std::find(fake().log.begin(), fake().log.end(), method == Method::DrawWMF
                                                                  ? "DrawMetafile(7,101,0,0,10,10)"
                                                                  : "DrawMetafile(7,102,0,0,10,10)"),
              fake().log.end());
    EXPECT_TRUE(live.empty());
  }
}

TEST(PlaceableHeaderTest, DecodesTheFieldsAndTheChecksum) {
  const auto good = placeableWmfPage(true);
  const auto bad = placeableWmfPage(false);
  std::span<const uint8_t, kPlaceableHeaderSize> head(good.data(), kPlaceableHeaderSize);
  const PlaceableHeader h = placeableHeaderFromBytes(head);
  EXPECT_TRUE(h.isPlaceable());
  EXPECT_EQ(h.KEY, 0x9AC6CDD7u);
  EXPECT_EQ(h.LEFT, 0);
  EXPECT_EQ(h.TOP, 0);
  EXPECT_EQ(h.RIGHT, 1000);
  EXPECT_EQ(h.BOTTOM, 1000);
  EXPECT_EQ(h.INCH, 1000);
  EXPECT_EQ(uint16_t(h.CHECKSUM), placeableChecksum(head));
  std::span<const uint8_t, kPlaceableHeaderSize> bad_head(bad.data(), kPlaceableHeaderSize);
  EXPECT_NE(uint16_t(placeableHeaderFromBytes(bad_head).CHECKSUM), placeableChecksum(bad_head));
  // Negative box values stay signed.
  auto neg = good;
  neg[6] = 0x9C; neg[7] = 0xFF;  // LEFT = -100
  EXPECT_EQ(placeableHeaderFromBytes(std::span<const uint8_t, 22>(neg.data(), 22)).LEFT, -100);
}
