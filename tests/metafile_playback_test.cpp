// Metafiles played onto pages through the exported calls: what a reader
// draws, where, and the navigation their writer comments carry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pyra/pyractl.h"
#include "testkit/emf_builder.h"
#include "testkit/testkit.h"

using namespace pyra::testkit;

namespace {

enum : uint32_t {
  kCreateBrush = 39, kSelectObject = 37, kRectangle = 43, kSetMapMode = 17, kSetWindowExt = 9,
  kSetViewportExt = 11, kGdiComment = 70, kStretchDIBits = 81, kCreatePen = 38,
};

std::vector<std::string> errors;  // only touched by this test's single thread

void onError(int32_t, int32_t code, const void* text, int32_t) {
  errors.push_back(std::to_string(code) + " " + (text ? static_cast<const char*>(text) : ""));
}

// A 1-inch metafile at 96 dpi: a black square from (24,24) to (72,72).
EmfBuilder squareMetafile() {
  EmfBuilder b;
  b.record(kCreateBrush, {1, 0, 0x000000, 0})
      .record(kSelectObject, {1})
      .record(kSelectObject, {0x80000000u | 8})  // NULL_PEN
      .record(kRectangle, {24, 24, 72, 72});
  return b;
}

struct Doc {
  TempDir dir;
  std::string file = dir.file("m.pdf");
  int32_t env = PYRA_Initialize();
  Doc() {
    errors.clear();
    PYRA_SetCallback(env, PYRA_CB_ERROR, onError);
    EXPECT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1);
  }
  ~Doc() { PYRA_Finalize(env); }
  void play(const std::vector<uint8_t>& emf, int32_t res = 0) {
    PYRA_ExecCommand(env, 13, res, const_cast<uint8_t*>(emf.data()), int32_t(emf.size()));
  }
  void end() {
    PYRA_EndDoc(env);
    std::string report;
    EXPECT_TRUE(qpdfCheck(file, &report)) << report;
  }
};

}  // namespace

TEST(Playback, RectangleLandsWhereTheMetafilePutsIt) {
  Doc doc;
  PYRA_StartPageEx(doc.env, 200, 200, 0);
  doc.play(squareMetafile().bytes());
  doc.end();
  EXPECT_TRUE(errors.empty()) << errors.front();
  Raster r = renderPage(doc.file, 1, 72);
  ASSERT_EQ(r.width, 200);
  // 96-dpi logical units at 72 points per inch: 24 -> 18 pt, 72 -> 54 pt.
  EXPECT_TRUE(r.isDark(20, 20));
  EXPECT_TRUE(r.isDark(52, 52));
  EXPECT_TRUE(r.isWhite(16, 16));
  EXPECT_TRUE(r.isWhite(57, 57));
  EXPECT_TRUE(r.isWhite(100, 100));
}

TEST(Playback, WithoutAPageTheMetafileGetsOneOfItsOwnSize) {
  Doc doc;
  doc.play(squareMetafile().bytes());
  doc.play(squareMetafile().bytes());
  doc.end();
  std::string info = pdfInfo(doc.file, "-f 1 -l 2 -box");
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_NE(info.find("MediaBox:      0.00     0.00    72.00    72.00"), std::string::npos) << info;
}

TEST(Playback, WriterCommentsBecomeLinksAndOutline) {
  Doc doc;
  PYRA_StartPageEx(doc.env, 400, 400, 0);
  EmfBuilder b = squareMetafile();
  b.record(kGdiComment, EmfBuilder::comment(501, {24, 24, 72, 72}, "http://example.org/"))
      .record(kGdiComment, EmfBuilder::comment(502, {0, 96, 0, 96}, "Top"))
      .record(kGdiComment, EmfBuilder::comment(503, {0, 96, 0, 96}, "Top=First entry"));
  doc.play(b.bytes());
  doc.end();
  EXPECT_TRUE(errors.empty());
  std::string text = readText(doc.file);
  EXPECT_NE(text.find("/URI (http://example.org/)"), std::string::npos);
  EXPECT_NE(text.find("/Rect [18 346 54 382]"), std::string::npos);
  std::string tree = run("mutool show " + shellQuote(doc.file) + " outline").out;
  EXPECT_NE(tree.find("First entry"), std::string::npos) << tree;
}

TEST(Playback, DamagedMetafilesReportAndKeepTheDocument) {
  Doc doc;
  PYRA_StartPageEx(doc.env, 200, 200, 0);
  std::vector<uint8_t> not_emf(200, 0x41);
  doc.play(not_emf);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "4 This is not an enhanced metafile");
  auto bytes = squareMetafile().bytes();
  bytes.resize(bytes.size() - 30);  // cut into the last records
  doc.play(bytes);
  doc.play(squareMetafile().bytes());
  doc.end();
  Raster r = renderPage(doc.file, 1, 72);
  EXPECT_TRUE(r.isDark(30, 30)) << "the good metafile after the damaged ones still draws";
}

TEST(Playback, ImagesFromStretchDIBits) {
  // A 2 x 2 24-bit DIB, bottom-up: red green / blue white.
  std::vector<uint32_t> rec(18, 0);
  auto set = [&](size_t offset, uint32_t v) { rec[(offset - 8) / 4] = v; };
  set(24, 10); set(28, 10);      // destination
  set(40, 2); set(44, 2);        // source size
  set(48, 80); set(52, 40);      // header offset and size
  set(56, 120); set(60, 16);     // bits offset and size
  set(68, 0x00CC0020);           // SRCCOPY
  set(72, 76); set(76, 76);      // destination size
  std::vector<uint32_t> info = {40, 2, 2, 0x00180001, 0, 16, 0, 0, 0, 0};
  rec.insert(rec.end(), info.begin(), info.end());
  // Rows of 6 bytes padded to 8: bottom row blue, white; top row red, green.
  std::vector<uint8_t> bits = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
  for (size_t i = 0; i < bits.size(); i += 4)
    rec.push_back(uint32_t(bits[i] | bits[i + 1] << 8 | bits[i + 2] << 16 | bits[i + 3] << 24));
  EmfBuilder b;
  b.record(kStretchDIBits, rec);
  Doc doc;
  PYRA_StartPageEx(doc.env, 200, 200, 0);
  doc.play(b.bytes());
  doc.end();
  EXPECT_TRUE(errors.empty()) << errors.front();
  Raster r = renderPage(doc.file, 1, 72);
  // 96 dpi: the image covers 7.5 .. 64.5 points.
  auto red = r.at(20, 20), green = r.at(50, 20), blue = r.at(20, 50);
  EXPECT_GT(red.r, 200); EXPECT_LT(red.g, 60);
  EXPECT_GT(green.g, 200); EXPECT_LT(green.r, 60);
  EXPECT_GT(blue.b, 200); EXPECT_LT(blue.r, 60);
  EXPECT_NE(run("pdfimages -list " + shellQuote(doc.file)).out.find("rgb"), std::string::npos);
}

#include "pyra/gdi.h"

TEST(Playback, RecordedEnhancedAndWindowsMetafilesDrawTheSame) {
  // The same picture recorded both ways: a filled square inside a
  // 2 x 2 inch frame, drawn into a 144 x 144 point box at (36, 36).
  auto drawSquare = [](HDC dc) {
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    HGDIOBJ old = SelectObject(dc, brush);
    SelectObject(dc, GetStockObject(8));  // NULL_PEN
    Rectangle(dc, 48, 48, 144, 144);
    SelectObject(dc, old);
    DeleteObject(brush);
  };
  RECT frame{0, 0, 5080, 5080};
  HDC edc = CreateEnhMetaFileA(0, nullptr, &frame, nullptr);
  ASSERT_NE(edc, 0u);
  drawSquare(edc);
  HENHMETAFILE emf = CloseEnhMetaFile(edc);
  ASSERT_NE(emf, 0u);
  HDC wdc = CreateMetaFileA(nullptr);
  ASSERT_NE(wdc, 0u);
  SetMapMode(wdc, MM_ANISOTROPIC);
  SetWindowExtEx(wdc, 192, 192, nullptr);
  drawSquare(wdc);
  HMETAFILE wmf = CloseMetaFile(wdc);
  ASSERT_NE(wmf, 0u);

  Doc doc;
  PYRA_StartPageEx(doc.env, 216, 216, 0);
  PYRA_DrawMetafile(doc.env, emf, 36, 36, 144, 144);
  PYRA_StartPageEx(doc.env, 216, 216, 0);
  PYRA_DrawMetafile(doc.env, wmf, 36, 36, 144, 144);
  PYRA_StartPageEx(doc.env, 216, 216, 0);
  PYRA_DrawMetafile(doc.env, 123456, 0, 0, 10, 10);  // not a handle
  doc.end();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].substr(0, 2), "4 ");
  for (int page : {1, 2}) {
    Raster r = renderPage(doc.file, page, 72);
    ASSERT_EQ(r.width, 216);
    // The square covers a quarter to three quarters of the box: 72 .. 144.
    auto in = r.at(108, 108);
    EXPECT_GT(in.b, 200) << "page " << page;
    EXPECT_LT(in.r, 60) << "page " << page;
    EXPECT_TRUE(r.isWhite(60, 60)) << "page " << page;
    EXPECT_TRUE(r.isWhite(156, 156)) << "page " << page;
  }
  DeleteEnhMetaFile(emf);
  DeleteMetaFile(wmf);
}

// Pens from EXTCREATEPEN keep what their style word says: a user style
// dashes with its own array, a cosmetic pen stays one pixel wide whatever
// width it claims.
TEST(Playback, ExtendedPensKeepTheirDashesAndTheirType) {
  enum : uint32_t { kExtCreatePen = 95, kMoveTo = 27, kLineTo = 54 };
  constexpr uint32_t kGeometric = 0x00010000, kUserStyle = 7, kFlatEnds = 0x200;
  struct Case {
    const char* name;
    std::vector<uint32_t> pen;  // style, width, brush style, colour, hatch, entries, entry...
    std::vector<std::pair<int, bool>> probes;  // x on the line's row: ink?
    bool thick;
  };
  const Case cases[] = {
      // 24 units on, 24 off at 96 dpi: 18 points of ink, 18 of paper.
      {"geometric user style", {kGeometric | kUserStyle | kFlatEnds, 4, 0, 0, 0, 2, 24, 24},
       {{3, true}, {9, true}, {15, true}, {21, false}, {27, false}, {33, false}, {39, true}, {51, true}, {57, false}},
       false},
      {"cosmetic pen claiming ten units", {kFlatEnds, 10, 0, 0, 0, 0}, {{9, true}, {27, true}, {45, true}}, false},
      {"geometric pen of ten units", {kGeometric | kFlatEnds, 10, 0, 0, 0, 0}, {{9, true}, {27, true}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EmfBuilder b;
    std::vector<uint32_t> pen = {1, 0, 0, 0, 0};
    pen.insert(pen.end(), c.pen.begin(), c.pen.end());
    b.record(kExtCreatePen, pen).record(kSelectObject, {1}).record(kMoveTo, {0, 48}).record(kLineTo, {96, 48});
    Doc doc;
    PYRA_StartPageEx(doc.env, 200, 200, 0);
    doc.play(b.bytes());
    doc.end();
    Raster r = renderPage(doc.file, 1, 72);
    ASSERT_EQ(r.width, 200);
    for (auto [x, ink] : c.probes) EXPECT_EQ(r.isDark(x, 36), ink) << "x " << x;
    // Ten units are 7.5 points: 3 points off the line is ink only for a
    // geometric pen.
    EXPECT_EQ(!r.isWhite(27, 39), c.thick);
  }
}
