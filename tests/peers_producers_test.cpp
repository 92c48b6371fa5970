// Metafiles that other programs wrote, converted end to end by the pyra
// command and judged by independent readers: qpdf checks the file, pdftotext
// finds the words, pdftoppm pixels show each colour where it was drawn and
// paper where nothing was.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "peers_set.h"
#include "testkit/testkit.h"

namespace pyra::peers {
namespace {

using testkit::Raster;
using testkit::shellQuote;

struct Rgb {
  int r, g, b;
};

// A probe in the page's own drawing units (the canvas is units_x wide).
struct Probe {
  const char* what;
  double x, y;
  Rgb colour;  // expected, within kTolerance per channel
};
constexpr int kTolerance = 40;

bool near(const Raster::Rgb& got, const Rgb& want) {
  return std::abs(got.r - want.r) <= kTolerance && std::abs(got.g - want.g) <= kTolerance &&
         std::abs(got.b - want.b) <= kTolerance;
}

// Pixels of a colour inside a rectangle given in drawing units.
struct Region {
  int matching = 0, paper = 0;
  int min_x = 1 << 30, max_x = -1, min_y = 1 << 30, max_y = -1;
};
Region scan(const Raster& ras, double sx, double sy, double x0, double y0, double x1, double y1,
            const Rgb& want) {
  Region reg;
  for (int y = int(y0 * sy); y < int(y1 * sy) && y < ras.height; ++y) {
    for (int x = int(x0 * sx); x < int(x1 * sx) && x < ras.width; ++x) {
      if (ras.isWhite(x, y)) ++reg.paper;
      if (!near(ras.at(x, y), want)) continue;
      ++reg.matching;
      reg.min_x = std::min(reg.min_x, x);
      reg.max_x = std::max(reg.max_x, x);
      reg.min_y = std::min(reg.min_y, y);
      reg.max_y = std::max(reg.max_y, y);
    }
  }
  return reg;
}

class Producers : public ::testing::Test {
 protected:
  // Converts dir/name.emf and renders page 1 at 72 dpi; the scale maps the
  // page's drawing units to raster pixels.
  Raster convert(const std::string& name, double units_x, double units_y, double* sx, double* sy,
                 const std::string& flags = "") {
    std::string emf = tmp_.file(name + ".emf"), pdf = tmp_.file(name + ".pdf");
    auto r = testkit::run(shellQuote(PYRA_CLI) + " -q " + flags + " " + shellQuote(emf) + " -o " +
                          shellQuote(pdf));
    EXPECT_EQ(r.status, 0) << name << ": " << r.out;
    std::string report;
    EXPECT_TRUE(testkit::qpdfCheck(pdf, &report)) << name << ": " << report;
    Raster ras = testkit::renderPage(pdf, 1, 72);
    EXPECT_GT(ras.width, 0) << name << ": page did not render";
    *sx = ras.width / units_x;
    *sy = ras.height / units_y;
    return ras;
  }

  void expectProbes(const std::string& name, const Raster& ras, double sx, double sy,
                    const std::vector<Probe>& probes) {
    for (const Probe& p : probes) {
      int x = int(p.x * sx), y = int(p.y * sy);
      auto got = ras.at(x, y);
      EXPECT_TRUE(near(got, p.colour))
          << name << ", " << p.what << " at (" << x << "," << y << "): got " << got.r << ","
          << got.g << "," << got.b << ", want " << p.colour.r << "," << p.colour.g << ","
          << p.colour.b;
    }
  }

  testkit::TempDir tmp_;
};

constexpr Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0}, kRed{255, 0, 0};

TEST_F(Producers, LibEmfShapesLandWhereTheyWereDrawn) {
  std::string why = writeLibEmfPages(tmp_.path().string());
  if (!why.empty()) GTEST_SKIP() << why;
  double sx = 0, sy = 0;
  Raster ras = convert("shapes", 640, 480, &sx, &sy);
  ASSERT_GT(ras.width, 0);
  // The page is the header's frame: 200 x 150 mm.
  EXPECT_NEAR(ras.width, 567, 1);
  EXPECT_NEAR(ras.height, 425, 1);
  expectProbes("shapes", ras, sx, sy,
               {
                   {"red rectangle", 120, 90, kRed},
                   {"green ellipse", 320, 90, {0, 176, 0}},
                   {"blue triangle", 520, 115, {0, 0, 255}},
                   {"thick line (12 units)", 320, 184, kBlack},
                   {"yellow rectangle after SaveDC", 320, 300, {255, 220, 0}},
                   {"cyan brush back after RestoreDC", 520, 300, {0, 200, 200}},
                   {"orange filled path", 320, 415, {255, 128, 0}},
                   {"paper between rectangle and ellipse", 220, 90, kWhite},
                   {"paper below the thick line", 320, 196, kWhite},
                   {"paper right of the page's drawing", 620, 300, kWhite},
                   {"paper under the last row", 320, 465, kWhite},
                   {"ellipse corner outside the curve", 244, 44, kWhite},
               });
  // The dashed purple line: dashes and gaps along it, nothing above it.
  Region dash = scan(ras, sx, sy, 40, 213, 600, 218, {128, 0, 128});
  EXPECT_GT(dash.matching, 50) << "dashed line missing";
  Region gaps = scan(ras, sx, sy, 60, 214, 580, 216, kWhite);
  EXPECT_GT(gaps.paper, 10) << "dashed pen drawn solid";
  // The hatched rectangle: magenta hatch lines with paper between them.
  Region hatch = scan(ras, sx, sy, 45, 255, 195, 345, {255, 0, 255});
  EXPECT_GT(hatch.matching, 200) << "hatch lines missing";
  EXPECT_GT(hatch.paper, 1000) << "hatched brush filled solid";
}

TEST_F(Producers, LibEmfTextIsFoundAndRotated) {
  std::string why = writeLibEmfPages(tmp_.path().string());
  if (!why.empty()) GTEST_SKIP() << why;
  double sx = 0, sy = 0;
  Raster ras = convert("text", 640, 480, &sx, &sy);
  ASSERT_GT(ras.width, 0);
  std::string text = testkit::pdfText(tmp_.file("text.pdf"));
  for (const char* word : {"Quarterly Invoice", "Total due", "Payable Stra\xC3\x9F" "e", "Rotated"})
    EXPECT_NE(text.find(word), std::string::npos) << "missing \"" << word << "\" in:\n" << text;
  // The title is black bold text in the top band, the total red.
  EXPECT_GT(scan(ras, sx, sy, 40, 30, 420, 90, kBlack).matching, 300);
  EXPECT_GT(scan(ras, sx, sy, 40, 110, 300, 160, {200, 0, 0}).matching, 100);
  EXPECT_EQ(scan(ras, sx, sy, 40, 110, 300, 160, kBlack).matching, 0) << "total drawn black";
  // The rotated run reads upwards from (580, 440): its green pixels make a
  // column taller than wide, left of the reference point.
  Region up = scan(ras, sx, sy, 500, 200, 640, 460, {0, 128, 0});
  ASSERT_GT(up.matching, 100) << "rotated run missing";
  EXPECT_GT(up.max_y - up.min_y, 3 * (up.max_x - up.min_x)) << "run not rotated";
  EXPECT_LE(up.max_y, int(445 * sy)) << "run starts below its reference point";
  EXPECT_LE(up.max_x, int(582 * sx)) << "run not on the left of its baseline";
}

// Pixels set one by one make solid blocks in their own colours, with the
// null pen selected and with a pen of another colour.
TEST_F(Producers, LibEmfPixelsKeepTheirColour) {
  std::string why = writeLibEmfPages(tmp_.path().string());
  if (!why.empty()) GTEST_SKIP() << why;
  double sx = 0, sy = 0;
  Raster ras = convert("pixels", 640, 480, &sx, &sy);
  ASSERT_GT(ras.width, 0);
  expectProbes("pixels", ras, sx, sy,
               {
                   {"pixels set under the null pen", 140, 120, kRed},
                   {"pixels keep their colour under a blue pen", 340, 120, {0, 160, 0}},
                   {"paper between the blocks", 240, 120, kWhite},
                   {"paper below the blocks", 140, 160, kWhite},
               });
}

// MM_LOMETRIC (y up, 0.1 mm) with the viewport origin moved to the bottom
// left corner (480 device pixels down): everything must land on the page,
// measured here in millimetres from the top left.
TEST_F(Producers, LibEmfMetricPageWithViewportOrigin) {
  std::string why = writeLibEmfPages(tmp_.path().string());
  if (!why.empty()) GTEST_SKIP() << why;
  double sx = 0, sy = 0;
  Raster ras = convert("modes", 200, 150, &sx, &sy);
  ASSERT_GT(ras.width, 0);
  expectProbes("modes", ras, sx, sy,
               {
                   {"first square of the poly-polygon", 25, 25, {180, 60, 20}},
                   {"second square of the poly-polygon", 65, 25, {180, 60, 20}},
                   {"paper between the squares", 45, 25, kWhite},
                   {"square scaled by the world transform", 112, 22, {20, 100, 180}},
                   {"paper left of the scaled square", 94, 22, kWhite},
                   {"zigzag's lower corner", 25, 79, {0, 90, 0}},
                   {"paper inside the zigzag's V", 25, 65, kWhite},
                   {"paper at the bottom right", 190, 140, kWhite},
               });
  // (pdftotext splits the diagonal run into pieces; its pixels are checked.)
  std::string text = testkit::pdfText(tmp_.file("modes.pdf"));
  for (const char* word : {"Spaced", "FollowOn"})
    EXPECT_NE(text.find(word), std::string::npos) << "missing \"" << word << "\" in:\n" << text;
  // The diagonal run climbs to the right from its baseline start at
  // (120 mm, 80 mm from the top).
  Region slant = scan(ras, sx, sy, 115, 40, 170, 85, kBlack);
  ASSERT_GT(slant.matching, 20) << "diagonal run missing";
  EXPECT_LT(slant.min_y, int(70 * sy)) << "run not rising";
}

// The same SVG drawing exported to EMF by LibreOffice and by Inkscape.
// LibreOffice cuts the clipped disc itself and writes text records;
// Inkscape writes a clip path (so the clip needs --clipping) and outlines.
struct DrawingCase {
  const char* name;
  std::string (*write)(const std::string& dir, const std::string& home);
  bool has_text;
  friend void PrintTo(const DrawingCase& c, std::ostream* os) { *os << c.name; }
};

class DrawingProducers : public Producers, public ::testing::WithParamInterface<DrawingCase> {};

TEST_P(DrawingProducers, ShapesBitmapClipAndText) {
  const DrawingCase& c = GetParam();
  std::string why = c.write(tmp_.path().string(), tmp_.file("home"));
  if (!why.empty()) GTEST_SKIP() << why;
  double sx = 0, sy = 0;
  Raster ras = convert(c.name, 800, 600, &sx, &sy, "--clipping");
  ASSERT_GT(ras.width, 0);
  std::string text = testkit::pdfText(tmp_.file(std::string(c.name) + ".pdf"));
  if (c.has_text) {
    for (const char* word : {"Peerless", "Crimson words"})
      EXPECT_NE(text.find(word), std::string::npos) << c.name << ": missing \"" << word << "\" in:\n" << text;
  }
  // The words are black and dark red whether text or outlines.
  EXPECT_GT(scan(ras, sx, sy, 420, 460, 640, 510, kBlack).matching, 100) << c.name;
  EXPECT_GT(scan(ras, sx, sy, 420, 525, 700, 570, {192, 0, 0}).matching, 30) << c.name;
  expectProbes(c.name, ras, sx, sy,
               {
                   {"red rectangle", 140, 115, kRed},
                   {"green ellipse", 420, 115, {0, 176, 0}},
                   {"blue triangle", 660, 160, {0, 0, 255}},
                   {"thick line", 400, 240, kBlack},
                   {"bitmap, red quadrant", 100, 340, kRed},
                   {"bitmap, green quadrant", 300, 340, {0, 200, 0}},
                   {"bitmap, blue quadrant", 100, 500, {0, 0, 255}},
                   {"bitmap, black quadrant", 300, 500, kBlack},
                   {"disc inside its clip", 535, 380, {255, 128, 0}},
                   {"disc right of its clip", 640, 380, kWhite},
                   {"disc above its clip", 560, 300, kWhite},
                   {"disc below its clip", 560, 450, kWhite},
                   {"paper between the shapes", 290, 115, kWhite},
                   {"paper right of the bitmap", 390, 420, kWhite},
               });
}

INSTANTIATE_TEST_SUITE_P(Peers, DrawingProducers,
                         ::testing::Values(DrawingCase{"lodraw", writeLibreOfficeDrawing, true},
                                           DrawingCase{"inkdraw", writeInkscapeDrawing, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pyra::peers
