// A host drawing through the exported calls: shapes on the canvas, images
// from bitmaps and files, navigation records, and the calls refused in the
// wrong state. Judged by qpdf, poppler's renderer and pdfimages.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "pyra/gdi.h"
#include "pyra/pyractl.h"
#include "testkit/testkit.h"

using namespace pyra::testkit;

namespace {

std::vector<std::string> errors;  // only touched by this test's single thread

void onError(int32_t, int32_t code, const void* text, int32_t) {
  errors.push_back(std::to_string(code) + " " + (text ? static_cast<const char*>(text) : ""));
}

// A baseline JPEG of one colour, made with libjpeg.
std::vector<uint8_t> jpegFile(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = JDIMENSION(w);
  c.image_height = JDIMENSION(h);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(size_t(w) * 3);
  for (int x = 0; x < w; ++x) {
    row[size_t(x) * 3] = r;
    row[size_t(x) * 3 + 1] = g;
    row[size_t(x) * 3 + 2] = b;
  }
  while (c.next_scanline < c.image_height) {
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  std::vector<uint8_t> v(out, out + size);
  jpeg_destroy_compress(&c);
  free(out);
  return v;
}

// A document at `res` units per inch with 576 x 800 point pages.
struct Doc {
  TempDir dir;
  std::string file = dir.file("d.pdf");
  int32_t res;
  int32_t env;
  explicit Doc(int32_t r = 72) : res(r) {
    PyraOptions o{};
    o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
    o.PDFXRES = r;
    o.PDFYRES = r;
    o.PDFWIDTH = u(576);
    o.PDFHEIGHT = u(800);
    env = PYRA_InitializeEx(&o);
    errors.clear();
    PYRA_SetCallback(env, PYRA_CB_ERROR, onError);
  }
  ~Doc() { PYRA_Finalize(env); }
  // Points to environment units.
  int32_t u(double points) const { return int32_t(points * res / 72.0 + 0.5); }
  void begin() { ASSERT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1); }
  void end() {
    PYRA_EndDoc(env);
    std::string report;
    EXPECT_TRUE(qpdfCheck(file, &report)) << report;
  }
  std::string path(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string p = dir.file(name);
    writeFile(p, bytes.data(), bytes.size());
    return p;
  }
};

int countMatches(const std::string& text, const std::string& pattern) {
  std::regex re(pattern);
  return int(std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

// `pdfimages -list` rows after the two heading lines.
int listedImages(const std::string& pdf) {
  CommandResult r = run("pdfimages -list " + shellQuote(pdf));
  int rows = 0;
  size_t pos = 0, line = 0;
  while ((pos = r.out.find('\n', pos)) != std::string::npos) {
    ++pos;
    ++line;
    if (line >= 2 && pos < r.out.size()) ++rows;
  }
  return rows;
}

}  // namespace

class DrawingAtResolution : public ::testing::TestWithParam<int32_t> {};

TEST_P(DrawingAtResolution, ShapesAndImagesLandAtTheirCoordinates) {
  Doc d(GetParam());
  d.begin();
  const std::string bmp = d.path("red.bmp", solidBmpFile(8, 8, 255, 0, 0));
  const std::string jpg = d.path("blue.jpg", jpegFile(16, 16, 0, 0, 255));
  PYRA_StartPage(d.env);
  // A filled black rectangle, a thick line, then images.
  PYRA_SetBrushAttr(d.env, 0, 0x000000);
  EXPECT_NE(PYRA_Rectangle(d.env, d.u(50), d.u(50), d.u(100), d.u(60)), 0);
  PYRA_SetPenAttr(d.env, 0, d.u(6), 0x000000);
  PYRA_MoveTo(d.env, d.u(300), d.u(100));
  PYRA_LineTo(d.env, d.u(500), d.u(100));
  EXPECT_GE(PYRA_DrawBitmapFile(d.env, d.u(50), d.u(200), d.u(80), d.u(80), bmp.c_str()), 1);
  EXPECT_GE(PYRA_DrawBitmapFile(d.env, d.u(300), d.u(200), d.u(80), d.u(80), jpg.c_str()), 1);
  PYRA_Hyperlink(d.env, d.u(300), d.u(400), d.u(100), d.u(50), "http://example.com/");
  PYRA_EndPage(d.env);
  d.end();
  EXPECT_TRUE(errors.empty()) << errors.front();

  Raster r = renderPage(d.file, 1, 72);
  ASSERT_EQ(r.width, 576);
  ASSERT_EQ(r.height, 800);
  EXPECT_TRUE(r.isDark(100, 80)) << "inside the rectangle";
  EXPECT_TRUE(r.isWhite(100, 120)) << "below the rectangle";
  EXPECT_TRUE(r.isWhite(40, 80)) << "left of the rectangle";
  EXPECT_TRUE(r.isDark(400, 100)) << "on the line";
  EXPECT_TRUE(r.isWhite(400, 110)) << "beside the line";
  auto red = r.at(90, 240), blue = r.at(340, 240);
  EXPECT_TRUE(red.r > 200 && red.g < 60 && red.b < 60) << red.r << "," << red.g << "," << red.b;
  EXPECT_TRUE(blue.b > 200 && blue.r < 60 && blue.g < 60) << blue.r << "," << blue.g << "," << blue.b;
  EXPECT_TRUE(r.isWhite(90, 290)) << "below the bitmap";
  EXPECT_TRUE(r.isWhite(340, 290)) << "below the JPEG";
  EXPECT_EQ(listedImages(d.file), 2);

  // The link annotation covers (300,400)-(400,450) from the top left, so
  // in PDF space x 300..400, y 800-450..800-400.
  CommandResult q = run("qpdf --qdf --object-streams=disable " + shellQuote(d.file) + " -");
  std::smatch m;
  std::regex rect(R"(/Rect\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])");
  ASSERT_TRUE(std::regex_search(q.out, m, rect)) << "no link annotation";
  EXPECT_NEAR(std::stod(m[1]), 300, 1.5);
  EXPECT_NEAR(std::stod(m[2]), 350, 1.5);
  EXPECT_NEAR(std::stod(m[3]), 400, 1.5);
  EXPECT_NEAR(std::stod(m[4]), 400, 1.5);
  EXPECT_NE(q.out.find("http://example.com/"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Resolutions, DrawingAtResolution, ::testing::Values(72, 300));

TEST_P(DrawingAtResolution, WatermarkIsWrittenOnceAndDrawnOnEveryPage) {
  Doc d(GetParam());
  d.begin();
  const std::string jpg = d.path("g.jpg", jpegFile(8, 8, 0, 160, 0));
  PYRA_StartWatermark(d.env, "Mark");
  PYRA_SetBrushAttr(d.env, 0, 0x000000);
  PYRA_Rectangle(d.env, d.u(200), d.u(600), d.u(100), d.u(50));
  // An image kept for later, embedded while the watermark records.
  const int32_t kept = PYRA_DrawBitmapFile(d.env, -1000, -1000, 0, 0, jpg.c_str());
  EXPECT_GE(kept, 1);
  PYRA_EndWatermark(d.env);
  for (int page = 0; page < 3; ++page) {
    PYRA_StartPage(d.env);
    PYRA_DrawWatermark(d.env, "mark", 0);  // letter case ignored
    PYRA_DrawWatermark(d.env, "NoSuchMark", 0);
    PYRA_DrawBitmapClone(d.env, d.u(50), d.u(50), d.u(40), d.u(40), kept);
    PYRA_EndPage(d.env);
  }
  d.end();
  EXPECT_TRUE(errors.empty()) << errors.front();

  CommandResult q = run("qpdf --qdf --object-streams=disable " + shellQuote(d.file) + " -");
  EXPECT_EQ(countMatches(q.out, R"(/Subtype\s*/Form)"), 1);
  EXPECT_EQ(countMatches(q.out, R"(/Mark Do)"), 3);
  EXPECT_EQ(countMatches(q.out, R"(/NoSuchMark)"), 0);
  EXPECT_EQ(listedImages(d.file), 3) << "one image, placed on three pages";
  for (int page = 1; page <= 3; ++page) {
    Raster r = renderPage(d.file, page, 72);
    ASSERT_EQ(r.height, 800) << "page " << page;
    EXPECT_TRUE(r.isDark(250, 625)) << "watermark rectangle, page " << page;
    EXPECT_TRUE(r.isWhite(250, 580)) << "above it, page " << page;
    auto g = r.at(70, 70);
    EXPECT_TRUE(g.g > 100 && g.r < 80) << "cloned image, page " << page;
  }
}

TEST(Drawing, HostDrawsOnTheRecordingContext) {
  Doc d;
  d.begin();
  PYRA_StartPage(d.env);
  const PYRA_HDC dc = PYRA_DC(d.env);
  ASSERT_NE(dc, 0u);
  EXPECT_EQ(PYRA_DC(d.env), dc) << "one canvas per page";
  // Canvas coordinates are environment units.
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(dc, brush);
  Rectangle(dc, 400, 600, 500, 700);
  SelectObject(dc, old);
  DeleteObject(brush);
  PYRA_EndPage(d.env);
  // The next page's canvas is a new recording.
  PYRA_StartPage(d.env);
  EXPECT_NE(PYRA_DC(d.env), 0u);
  PYRA_EndPage(d.env);
  d.end();
  Raster r = renderPage(d.file, 1, 72);
  EXPECT_TRUE(r.isDark(450, 650));
  EXPECT_TRUE(r.isWhite(450, 710));
  Raster r2 = renderPage(d.file, 2, 72);
  EXPECT_TRUE(r2.isWhite(450, 650)) << "page 2 does not repeat page 1";
}

TEST(Drawing, TextIsDrawnWithTheCurrentAttributes) {
  Doc d;
  d.begin();
  PYRA_StartPage(d.env);
  PYRA_SetTextAttr(d.env, "Arial", 20, 1, 0, 0);
  EXPECT_NE(PYRA_TextOut(d.env, 72, 72, "Hello drawing"), 0);
  const char* text = "one two three";
  EXPECT_EQ(PYRA_TextRect(d.env, 72, 200, 400, 200, text, 0), text + strlen(text));
  const char* ff = "first\fsecond";
  EXPECT_EQ(PYRA_TextRect(d.env, 72, 300, 400, 200, ff, 0), ff + 6);
  EXPECT_EQ(PYRA_TextRect(d.env, 72, 300, 400, 200, "", 0), nullptr);
  EXPECT_EQ(PYRA_TextRect(d.env, 72, 300, 400, 200, nullptr, 0), nullptr);
  PYRA_EndPage(d.env);
  d.end();
  EXPECT_TRUE(errors.empty()) << errors.front();
  const std::string words = pdfText(d.file);
  if (words.find("Hello") == std::string::npos)
    GTEST_SKIP() << "the text renderer writes no text yet (pdftotext finds nothing)";
  EXPECT_NE(words.find("Hello drawing"), std::string::npos) << words;
  EXPECT_NE(words.find("one two three"), std::string::npos) << words;
  EXPECT_NE(words.find("first"), std::string::npos) << words;
  EXPECT_EQ(words.find("second"), std::string::npos) << "stopped at the form feed: " << words;
}

TEST(Drawing, OutlinesAndBookmarksReachTheDocument) {
  Doc d;
  d.begin();
  PYRA_StartPage(d.env);
  PYRA_Bookmark(d.env, 10, 100, "Top");
  PYRA_Outline(d.env, 0, 10, 100, "Chapter", "Chapter one");
  PYRA_Outline(d.env, 1, 10, 300, "Section", "Section one");
  PYRA_Outline(d.env, 3, 10, 300, nullptr, nullptr);  // null texts count as empty
  PYRA_EndPage(d.env);
  d.end();
  EXPECT_TRUE(errors.empty()) << errors.front();
  CommandResult q = run("qpdf --qdf --object-streams=disable " + shellQuote(d.file) + " -");
  EXPECT_NE(q.out.find("/Outlines"), std::string::npos);
  // Captions are written as UTF-16 strings.
  auto utf16 = [](const std::string& t) {
    std::string hex = "feff";
    char b[8];
    for (unsigned char c : t) {
      std::snprintf(b, sizeof b, "00%02x", c);
      hex += b;
    }
    return hex;
  };
  EXPECT_NE(q.out.find(utf16("Chapter one")), std::string::npos);
  EXPECT_NE(q.out.find(utf16("Section one")), std::string::npos);
}

// Each call in each state: refused with the state's error, nothing written.
TEST(Drawing, CallsAreRefusedInTheWrongState) {
  struct Call {
    const char* name;
    std::function<void(int32_t)> run;
    bool page;   // needs a page (error 11 with a document); else a document
    bool quiet;  // refused without an error
  };
  const std::vector<Call> calls = {
      {"DC", [](int32_t e) { EXPECT_EQ(PYRA_DC(e), 0u); }, true, false},
      {"TextOut", [](int32_t e) { EXPECT_EQ(PYRA_TextOut(e, 1, 1, "x"), 0); }, true, false},
      {"TextRect", [](int32_t e) { EXPECT_EQ(PYRA_TextRect(e, 1, 1, 9, 9, "x", 0), nullptr); }, true, false},
      {"MoveTo", [](int32_t e) { EXPECT_EQ(PYRA_MoveTo(e, 1, 1), 0); }, true, false},
      {"LineTo", [](int32_t e) { EXPECT_EQ(PYRA_LineTo(e, 1, 1), 0); }, true, false},
      {"Rectangle", [](int32_t e) { EXPECT_EQ(PYRA_Rectangle(e, 1, 1, 5, 5), 0); }, true, false},
      {"Hyperlink", [](int32_t e) { PYRA_Hyperlink(e, 1, 1, 5, 5, "x"); }, true, false},
      {"Bookmark", [](int32_t e) { PYRA_Bookmark(e, 1, 1, "x"); }, true, false},
      {"Outline", [](int32_t e) { PYRA_Outline(e, 0, 1, 1, "x", "y"); }, true, false},
      {"SetTextDefaultAttr", [](int32_t e) { PYRA_SetTextDefaultAttr(e, nullptr, 0); }, true, false},
      {"SetTextAttr", [](int32_t e) { PYRA_SetTextAttr(e, "Arial", 9, 0, 0, 0); }, true, false},
      {"SetTextAttrEx", [](int32_t e) { PYRA_SetTextAttrEx(e, "Arial", 9, 1, 0, 0, 0, 0); }, true, false},
      {"SetPenAttr", [](int32_t e) { PYRA_SetPenAttr(e, 0, 1, 0); }, true, false},
      {"SetBrushAttr", [](int32_t e) { PYRA_SetBrushAttr(e, 0, 0); }, true, false},
      {"EndWatermark", [](int32_t e) { PYRA_EndWatermark(e); }, true, false},
      {"DrawWatermark", [](int32_t e) { PYRA_DrawWatermark(e, "x", 0); }, true, false},
      {"StartWatermarkEx", [](int32_t e) { PYRA_StartWatermarkEx(e, "x", 9, 9); }, false, false},
      {"DrawBMP", [](int32_t e) { EXPECT_EQ(PYRA_DrawBMP(e, 1, 1, 5, 5, 0), 0); }, true, true},
      {"DrawJPEG", [](int32_t e) { EXPECT_EQ(PYRA_DrawJPEG(e, 1, 1, 5, 5, 1, 1, "x", 1), 0); }, true, true},
      {"DrawDIB", [](int32_t e) { EXPECT_EQ(PYRA_DrawDIB(e, 1, 1, 5, 5, nullptr, nullptr), 0); }, true, true},
      {"DrawBitmapClone", [](int32_t e) { PYRA_DrawBitmapClone(e, 1, 1, 5, 5, 1); }, true, true},
  };
  for (const Call& c : calls) {
    // No document: error 10 for every checked call.
    {
      Doc d;
      c.run(d.env);
      if (c.quiet) EXPECT_TRUE(errors.empty()) << c.name;
      else {
        ASSERT_EQ(errors.size(), 1u) << c.name;
        EXPECT_EQ(errors[0].substr(0, 3), "10 ") << c.name << ": " << errors[0];
      }
    }
    // Document without a page: error 11 for page calls; the document stays whole.
    if (c.page) {
      Doc d;
      d.begin();
      PYRA_StartPage(d.env);
      PYRA_EndPage(d.env);
      errors.clear();
      c.run(d.env);
      if (c.quiet) EXPECT_TRUE(errors.empty()) << c.name;
      else {
        ASSERT_EQ(errors.size(), 1u) << c.name;
        EXPECT_EQ(errors[0].substr(0, 3), "11 ") << c.name << ": " << errors[0];
      }
      d.end();
    }
  }
  // Unknown identifiers: nothing at all.
  errors.clear();
  EXPECT_EQ(PYRA_DC(9999), 0u);
  EXPECT_EQ(PYRA_TextRect(9999, 0, 0, 9, 9, "x", 0), nullptr);
  EXPECT_EQ(PYRA_DrawBitmapFile(9999, 0, 0, 9, 9, "x.bmp"), 0);
}

TEST(Drawing, BadImagesAreReportedAndLeaveTheDocumentWhole) {
  Doc d;
  d.begin();
  std::vector<uint8_t> damaged = solidBmpFile(4, 4, 1, 2, 3);
  damaged.resize(30);  // cut inside the header
  const std::string bad_bmp = d.path("bad.bmp", damaged);
  const std::string bad_jpg = d.path("bad.jpg", std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xE0, 0, 2});
  const std::string other = d.path("x.png", solidBmpFile(2, 2, 0, 0, 0));
  PYRA_StartPage(d.env);
  struct Case { const char* name; std::function<int32_t()> call; int32_t result; bool error; };
  const std::vector<Case> cases = {
      {"missing file", [&] { return PYRA_DrawBitmapFile(d.env, 0, 0, 9, 9, d.dir.file("none.bmp").c_str()); }, 0, false},
      {"null file name", [&] { return PYRA_DrawBitmapFile(d.env, 0, 0, 9, 9, nullptr); }, 0, false},
      {"damaged BMP", [&] { return PYRA_DrawBitmapFile(d.env, 0, 0, 9, 9, bad_bmp.c_str()); }, -1, true},
      {"damaged JPEG", [&] { return PYRA_DrawBitmapFile(d.env, 0, 0, 9, 9, bad_jpg.c_str()); }, -1, true},
      {"unknown extension", [&] { return PYRA_DrawBitmapFile(d.env, 0, 0, 9, 9, other.c_str()); }, 0, false},
      {"null JPEG data", [&] { return PYRA_DrawJPEG(d.env, 0, 0, 9, 9, 4, 4, nullptr, 10); }, -1, true},
      {"not a bitmap handle", [&] { return PYRA_DrawBMP(d.env, 0, 0, 9, 9, 12345); }, -1, true},
      {"null DIB", [&] { return PYRA_DrawDIB(d.env, 0, 0, 9, 9, nullptr, nullptr); }, -1, true},
      {"unknown clone", [&] { PYRA_DrawBitmapClone(d.env, 0, 0, 9, 9, 77); return 0; }, 0, true},
  };
  for (const Case& c : cases) {
    errors.clear();
    EXPECT_EQ(c.call(), c.result) << c.name;
    if (c.error) {
      ASSERT_EQ(errors.size(), 1u) << c.name;
      EXPECT_EQ(errors[0], "2 Invalid bitmap") << c.name;
    } else {
      EXPECT_TRUE(errors.empty()) << c.name << ": " << errors.front();
    }
  }
  // A good image after the failures still gets drawn.
  const std::string good = d.path("ok.bmp", solidBmpFile(4, 4, 0, 0, 0));
  EXPECT_EQ(PYRA_DrawBitmapFile(d.env, 100, 100, 50, 50, good.c_str()), 1);
  PYRA_EndPage(d.env);
  d.end();
  EXPECT_EQ(listedImages(d.file), 1);
  EXPECT_TRUE(renderPage(d.file, 1, 72).isDark(125, 125));
}

TEST(Drawing, DibFromTheHostIsPlaced) {
  Doc d;
  d.begin();
  PYRA_StartPage(d.env);
  const std::vector<uint8_t> file = solidBmpFile(2, 2, 0, 0, 255);
  EXPECT_EQ(PYRA_DrawDIB(d.env, 200, 300, 60, 60, file.data() + 14, file.data() + 54), 1);
  PYRA_EndPage(d.env);
  d.end();
  auto px = renderPage(d.file, 1, 72).at(230, 330);
  EXPECT_TRUE(px.b > 200 && px.r < 60) << px.r << "," << px.g << "," << px.b;
}

namespace {
std::array<uint8_t, 152> decoration(int32_t number, uint32_t bitmap, const char* file, int32_t flags, int32_t x,
                                    int32_t y, int32_t w, int32_t h, const char* target = "") {
  std::array<uint8_t, 152> r{};
  auto put = [&](size_t at, int32_t v) { std::memcpy(r.data() + at, &v, 4); };
  put(0, number);
  put(4, int32_t(bitmap));
  std::memcpy(r.data() + 8, &file, sizeof file);
  put(16, flags);
  put(20, x);
  put(24, y);
  put(28, w);
  put(32, h);
  std::strncpy(reinterpret_cast<char*>(r.data() + 36), target, 99);
  return r;
}
}  // namespace

TEST_P(DrawingAtResolution, DecorationIsDrawnOnEveryPage) {
  Doc d(GetParam());
  d.begin();
  const std::string bmp = d.path("deco.bmp", solidBmpFile(4, 4, 0, 0, 0));
  auto rec = decoration(0, 0, bmp.c_str(), 2, d.u(20), d.u(700), d.u(60), d.u(60), "http://example.com/d");
  EXPECT_EQ(PYRA_ExecCommand(d.env, 2, 0, rec.data(), 152), 1);
  for (int i = 0; i < 2; ++i) {
    PYRA_StartPage(d.env);
    PYRA_EndPage(d.env);
  }
  d.end();
  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_EQ(listedImages(d.file), 2) << "one image, on two pages";
  for (int page = 1; page <= 2; ++page) EXPECT_TRUE(renderPage(d.file, page, 72).isDark(50, 730)) << page;
  CommandResult q = run("qpdf --qdf --object-streams=disable " + shellQuote(d.file) + " -");
  std::smatch m;
  std::regex rect(R"(/Rect\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])");
  ASSERT_TRUE(std::regex_search(q.out, m, rect)) << "no link annotation";
  EXPECT_NEAR(std::stod(m[1]), 20, 1.5);
  EXPECT_NEAR(std::stod(m[2]), 800 - 760, 1.5);
  EXPECT_NEAR(std::stod(m[3]), 80, 1.5);
  EXPECT_NEAR(std::stod(m[4]), 800 - 700, 1.5);
}

TEST(Drawing, DecorationErrors) {
  Doc d;
  d.begin();
  // Wrong size: switched off.
  auto rec = decoration(0, 0, nullptr, 0, 0, 0, 10, 10);
  EXPECT_EQ(PYRA_ExecCommand(d.env, 2, 0, rec.data(), 151), 0);
  PYRA_StartPage(d.env);
  PYRA_EndPage(d.env);
  EXPECT_TRUE(errors.empty()) << errors.front();
  // No image to draw: error 14 with the record.
  EXPECT_EQ(PYRA_ExecCommand(d.env, 2, 0, rec.data(), 152), 1);
  PYRA_StartPage(d.env);
  PYRA_EndPage(d.env);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].substr(0, 3), "14 ");
  // A damaged file: error 13 once, then 14 on each page since the file is
  // no longer tried.
  std::vector<uint8_t> bad = solidBmpFile(4, 4, 0, 0, 0);
  bad.resize(40);
  const std::string bad_bmp = d.path("bad.bmp", bad);
  rec = decoration(0, 0, bad_bmp.c_str(), 3, 0, 0, 10, 10);
  EXPECT_EQ(PYRA_ExecCommand(d.env, 2, 0, rec.data(), 152), 1);
  errors.clear();
  PYRA_StartPage(d.env);
  PYRA_EndPage(d.env);
  PYRA_StartPage(d.env);
  PYRA_EndPage(d.env);
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[0].substr(0, 3), "13 ");
  EXPECT_EQ(errors[1].substr(0, 3), "14 ");
  EXPECT_EQ(errors[2].substr(0, 3), "14 ");
  // An image number the document does not have is not placed.
  rec = decoration(42, 0, nullptr, 0, 0, 0, 10, 10);
  PYRA_ExecCommand(d.env, 2, 0, rec.data(), 152);
  errors.clear();
  PYRA_StartPage(d.env);
  PYRA_EndPage(d.env);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].substr(0, 3), "14 ");
  d.end();
}

TEST(Drawing, WatermarkTransitions) {
  Doc d;
  d.begin();
  std::vector<int32_t> messages;
  PYRA_SetPointer(d.env, &messages);
  PYRA_SetCallback(d.env, PYRA_CB_MESSAGE, [](int32_t env, int32_t code, const void*, int32_t) {
    static_cast<std::vector<int32_t>*>(PYRA_GetPointer(env))->push_back(code);
  });
  PYRA_StartPage(d.env);
  // A watermark started on an open page ends the page first.
  PYRA_StartWatermarkEx(d.env, "", 576, 400);  // empty name: "pxo" + position
  PYRA_SetBrushAttr(d.env, 0, 0);
  PYRA_Rectangle(d.env, 10, 10, 50, 50);
  // A second one ends and writes the first.
  PYRA_StartWatermarkEx(d.env, "Second", 576, 800);
  PYRA_SetBrushAttr(d.env, 0, 0);  // each canvas starts with a clear brush
  PYRA_Rectangle(d.env, 100, 100, 50, 50);
  PYRA_EndPage(d.env);  // ends the watermark, sends no page message
  PYRA_StartWatermark(d.env, "Second");  // the name is taken
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("Second"), std::string::npos) << errors[0];
  errors.clear();
  PYRA_StartPage(d.env);
  PYRA_DrawWatermark(d.env, "pxo1", 0);
  PYRA_DrawWatermark(d.env, "Second", 0);
  PYRA_EndPage(d.env);
  d.end();
  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_EQ(std::count(messages.begin(), messages.end(), 27), 2) << "two pages ended";
  Raster r = renderPage(d.file, 2, 72);
  // The 400-point form is placed with its top at the page's top.
  EXPECT_TRUE(r.isDark(35, 35));
  EXPECT_TRUE(r.isDark(125, 125));
  EXPECT_TRUE(r.isWhite(35, 435));
  CommandResult q = run("qpdf --qdf --object-streams=disable " + shellQuote(d.file) + " -");
  EXPECT_EQ(countMatches(q.out, R"(/Subtype\s*/Form)"), 2);
}

TEST(Drawing, EndingTheDocumentWhileRecordingAWatermarkWritesIt) {
  Doc d;
  d.begin();
  PYRA_StartWatermark(d.env, "W");
  PYRA_Rectangle(d.env, 10, 10, 50, 50);
  d.end();  // qpdf must find every referenced object
}

TEST(Drawing, CanvasDrawingLiesOverImagesPlacedOnThePage) {
  Doc d;
  d.begin();
  const std::string bmp = d.path("r.bmp", solidBmpFile(4, 4, 255, 0, 0));
  const std::vector<uint8_t> jpg = jpegFile(8, 8, 0, 0, 255);
  PYRA_StartPage(d.env);
  PYRA_SetBrushAttr(d.env, 0, 0x000000);
  // Drawn first on the canvas, yet over the images placed after it.
  PYRA_Rectangle(d.env, 100, 100, 100, 100);
  EXPECT_EQ(PYRA_DrawBitmapFile(d.env, 50, 50, 100, 100, bmp.c_str()), 1);
  EXPECT_EQ(PYRA_DrawJPEG(d.env, 300, 300, 50, 50, 8, 8, jpg.data(), int32_t(jpg.size())), 2);
  PYRA_EndPage(d.env);
  d.end();
  Raster r = renderPage(d.file, 1, 72);
  EXPECT_TRUE(r.isDark(125, 125)) << "the canvas wins where they overlap";
  auto red = r.at(75, 75);
  EXPECT_TRUE(red.r > 200 && red.g < 60) << "the image outside the rectangle";
  auto blue = r.at(325, 325);
  EXPECT_TRUE(blue.b > 200 && blue.r < 60) << "JPEG data from the host";
}

// The same picture drawn on every page is one image object placed again;
// another picture is its own. Encrypted documents keep one object each.
TEST(Drawing, TheSamePictureIsWrittenOnce) {
  for (bool encrypted : {false, true}) {
    SCOPED_TRACE(encrypted ? "encrypted" : "plain");
    TempDir dir;
    const std::string file = dir.file("d.pdf");
    PyraOptions o{};
    o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
    o.PDFXRES = o.PDFYRES = 72;
    if (encrypted) {
      o.PERMISSION = 1 | 2;
      std::strncpy(o.OWNERPASSWORD, "owner", sizeof o.OWNERPASSWORD - 1);
    }
    const int32_t env = PYRA_InitializeEx(&o);
    ASSERT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1);
    const std::string logo = dir.file("logo.bmp"), other = dir.file("other.bmp");
    auto a = solidBmpFile(8, 8, 255, 0, 0), b = solidBmpFile(8, 8, 0, 0, 255);
    writeFile(logo, a.data(), a.size());
    writeFile(other, b.data(), b.size());
    std::vector<int32_t> numbers;
    for (int page = 0; page < 3; ++page) {
      PYRA_StartPage(env);
      numbers.push_back(PYRA_DrawBitmapFile(env, 10, 10, 50, 50, logo.c_str()));
      if (page == 1) numbers.push_back(PYRA_DrawBitmapFile(env, 100, 10, 50, 50, other.c_str()));
      PYRA_EndPage(env);
    }
    PYRA_EndDoc(env);
    PYRA_Finalize(env);
    std::string report;
    ASSERT_TRUE(qpdfCheck(file, &report)) << report;

    // pdfimages lists every placement with the object it draws.
    CommandResult r = run("pdfimages -list " + shellQuote(file));
    std::regex row(R"(^\s*(\d+)\s+\d+\s+image\s+8\s+8\s+\S+\s+\d+\s+\d+\s+\S+\s+\S+\s+(\d+)\s+0)");
    std::vector<std::pair<int, int>> placements;  // page, object
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);) {
      std::smatch m;
      if (std::regex_search(line, m, row)) placements.emplace_back(std::stoi(m[1]), std::stoi(m[2]));
    }
    ASSERT_EQ(placements.size(), 4u) << r.out;
    std::set<int> objects;
    for (auto [page, object] : placements) objects.insert(object);
    EXPECT_EQ(objects.size(), encrypted ? 4u : 2u) << r.out;
    if (!encrypted) {
      EXPECT_EQ(numbers[0], numbers[1]);
      EXPECT_EQ(numbers[0], numbers[3]);
      EXPECT_NE(numbers[0], numbers[2]);
    }
    // Each page still shows its pictures in their colours.
    Raster p2 = renderPage(file, 2, 72);  // no user password: readers open it
    auto red = p2.at(30, 30), blue = p2.at(120, 30);
    EXPECT_TRUE(red.r > 200 && red.b < 60);
    EXPECT_TRUE(blue.b > 200 && blue.r < 60);
  }
}
