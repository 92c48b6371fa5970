// Every shape at the right place and size, in the right colour, width, dash
// and fill mode, judged from pixels a PDF reader produced.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "render_support.h"

using namespace pyra::render;
using pyra::rendertest::darkRuns;
using pyra::rendertest::draw;
using pyra::rendertest::near;
using pyra::rendertest::PageSetup;
using pyra::testkit::Raster;

namespace {

constexpr uint32_t kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

struct Probe {
  int x, y;
  int r, g, b;  // expected colour
};

struct ShapeCase {
  const char* name;
  std::function<void(ContentWriter&)> body;
  std::vector<Probe> probes;
};

const Probe white(int x, int y) { return {x, y, 255, 255, 255}; }
const Probe black(int x, int y) { return {x, y, 0, 0, 0}; }
const Probe red(int x, int y) { return {x, y, 255, 0, 0}; }
const Probe blue(int x, int y) { return {x, y, 0, 0, 255}; }

void pen(ContentWriter& w, uint32_t style, int width, uint32_t colour) {
  w.dc().selectPen(penFromLogPen(style, width, colour));
}
void brush(ContentWriter& w, uint8_t style, uint32_t colour, int32_t hatch = 0) {
  w.dc().selectBrush(BrushValues{style, colour, hatch});
}

std::vector<ShapeCase> cases() {
  return {
      {"RectangleFillAndPen",
       [](ContentWriter& w) { pen(w, 0, 6, 0); brush(w, kBsSolid, kRed); w.rectangle(20, 30, 120, 90); },
       {red(70, 60), black(20, 60), black(120, 60), black(70, 30), black(70, 90), white(70, 96), white(126, 60),
        white(14, 60)}},
      {"RectangleInvertedCorners",
       [](ContentWriter& w) { pen(w, kPsNull, 1, 0); brush(w, kBsSolid, kBlue); w.rectangle(120, 90, 20, 30); },
       {blue(70, 60), blue(22, 32), white(70, 94), white(124, 60)}},
      {"EllipseInBox",
       [](ContentWriter& w) { pen(w, 0, 2, 0); brush(w, kBsSolid, kBlue); w.ellipse(20, 20, 180, 100); },
       {blue(100, 60), black(100, 20), black(20, 60), black(179, 60), white(24, 24), white(176, 96), white(100, 104)}},
      {"EllipseOutlineOnly",
       [](ContentWriter& w) { pen(w, 0, 2, 0); brush(w, kBsSolid, kBlue); w.ellipse(20, 20, 180, 100, false); },
       {white(100, 60), black(100, 20), black(100, 99)}},
      {"RoundRectCornersAreRound",
       [](ContentWriter& w) { pen(w, 0, 2, 0); brush(w, kBsSolid, kRed); w.roundRect(20, 20, 180, 120, 60, 60); },
       {red(100, 70), black(100, 20), black(20, 70), white(22, 22), white(178, 118), red(30, 70), white(186, 70)}},
      {"TriangleWithColourAndWidth",
       [](ContentWriter& w) {
         pen(w, 0, 4, kBlue);
         brush(w, kBsSolid, kGreen);
         const Point p[] = {{20, 180}, {100, 20}, {180, 180}};
         w.polygon(p);
       },
       {{100, 140, 0, 255, 0}, blue(100, 180), white(30, 40), white(170, 40), white(100, 190)}},
      {"ThickPolyline",
       [](ContentWriter& w) {
         pen(w, 0, 10, 0);
         const Point p[] = {{20, 50}, {180, 50}, {180, 150}};
         w.polyline(p);
       },
       {black(100, 46), black(100, 54), white(100, 40), white(100, 60), black(180, 100), white(100, 150)}},
      {"PolylineToContinuesFromCurrentPosition",
       [](ContentWriter& w) {
         pen(w, 0, 4, 0);
         w.moveTo(20, 20);
         const Point p[] = {{180, 20}, {180, 180}};
         w.polyline(p, true);
         w.lineTo(20, 180);
       },
       {black(100, 20), black(180, 100), black(100, 180), white(100, 100)}},
      {"BezierPassesThroughItsMidpoint",
       [](ContentWriter& w) {
         pen(w, 0, 4, 0);
         const Point p[] = {{20, 150}, {20, 30}, {180, 30}, {180, 150}};
         w.polyBezier(p);
       },
       // B(0.5) = (100, 60); the chord between the ends stays empty.
       {black(100, 60), white(100, 150), white(100, 40)}},
      {"ArcUpperHalfCounterClockwise",
       [](ContentWriter& w) { pen(w, 0, 4, 0); w.arc(20, 20, 180, 180, 180, 100, 20, 100); },
       {black(100, 21), white(100, 178), white(100, 100)}},
      {"ChordFillsUpperHalf",
       [](ContentWriter& w) { pen(w, 0, 2, 0); brush(w, kBsSolid, kRed); w.chord(20, 20, 180, 180, 180, 100, 20, 100); },
       {red(100, 60), white(100, 140), black(100, 21)}},
      {"PieUpperRightQuarter",
       [](ContentWriter& w) { pen(w, 0, 2, 0); brush(w, kBsSolid, kBlue); w.pie(20, 20, 180, 180, 180, 100, 100, 20); },
       {blue(130, 70), white(70, 70), white(130, 130), white(70, 130)}},
      {"AngleArcJoinsFromCurrentPosition",
       [](ContentWriter& w) {
         pen(w, 0, 4, 0);
         w.moveTo(20, 100);
         w.angleArc(100, 100, 50, 0, 90);
         w.lineTo(100, 20);
       },
       {black(60, 100), black(135, 65), black(100, 35), white(135, 135)}},
      {"AngleArcNegativeSweepRunsClockwise",
       [](ContentWriter& w) {
         pen(w, 0, 4, 0);
         w.moveTo(150, 100);
         w.angleArc(100, 100, 50, 0, -90);
       },
       {black(135, 135), white(135, 65), white(65, 65)}},
      {"NullPenDrawsNoOutline",
       [](ContentWriter& w) { pen(w, kPsNull, 8, 0); brush(w, kBsSolid, kRed); w.rectangle(20, 20, 100, 100); },
       {red(60, 60), red(22, 22), white(17, 60)}},
      {"NullBrushLeavesInsideUntouched",
       [](ContentWriter& w) { pen(w, 0, 4, 0); brush(w, kBsNull, kRed); w.rectangle(20, 20, 100, 100); },
       {white(60, 60), black(20, 60)}},
      {"NullPenAndBrushDrawNothing",
       [](ContentWriter& w) {
         pen(w, kPsNull, 4, 0);
         brush(w, kBsNull, kRed);
         w.rectangle(20, 20, 100, 100);
         w.ellipse(20, 20, 100, 100);
         const Point p[] = {{10, 10}, {190, 190}, {10, 190}};
         w.polygon(p);
         w.moveTo(0, 0);
         w.lineTo(200, 200);
       },
       {white(60, 60), white(20, 60), white(100, 100), white(30, 150)}},
      {"FillAsOutlineOption",
       [](ContentWriter& w) {
         w.setOptions(doFillAsOutline);
         pen(w, 0, 4, 0);
         brush(w, kBsSolid, kRed);
         w.ellipse(20, 20, 180, 180);
       },
       {white(100, 100), black(100, 21)}},
      {"SkipWhiteFillOption",
       [](ContentWriter& w) {
         pen(w, kPsNull, 1, 0);
         brush(w, kBsSolid, 0);
         w.rectangle(10, 10, 190, 190);
         w.setOptions(doSkipWhiteFill);
         brush(w, kBsSolid, 0xFFFFFF);
         w.rectangle(50, 50, 150, 150);
       },
       {black(100, 100), black(20, 20)}},
      {"OrangeColour",
       [](ContentWriter& w) { pen(w, kPsNull, 1, 0); brush(w, kBsSolid, 0x0080FF); w.rectangle(10, 10, 50, 50); },
       {{30, 30, 255, 128, 0}}},
      {"PathBracketFilled",
       [](ContentWriter& w) {
         pen(w, kPsNull, 1, 0);
         brush(w, kBsSolid, kBlue);
         w.beginPath();
         w.moveTo(20, 180);
         w.lineTo(100, 20);
         w.lineTo(180, 180);
         w.closeFigure();
         w.endPath();
         w.fillPath();
       },
       {blue(100, 140), white(30, 40)}},
      {"PathBracketBrushChosenAtPaintTime",
       [](ContentWriter& w) {
         pen(w, 0, 4, 0);
         brush(w, kBsSolid, kBlue);
         w.beginPath();
         w.rectangle(20, 20, 100, 100);
         w.ellipse(110, 110, 190, 190);
         w.endPath();
         brush(w, kBsSolid, kRed);
         pen(w, 0, 4, kGreen);
         w.strokeAndFillPath();
       },
       {red(60, 60), red(150, 150), {20, 60, 0, 255, 0}, white(150, 60)}},
      {"PolyPolygonHoleAlternate",
       [](ContentWriter& w) {
         pen(w, kPsNull, 1, 0);
         brush(w, kBsSolid, 0);
         const Point p[] = {{20, 20}, {180, 20}, {180, 180}, {20, 180}, {60, 60}, {140, 60}, {140, 140}, {60, 140}};
         const uint32_t n[] = {4, 4};
         w.polyPolygon(p, n);
       },
       {white(100, 100), black(40, 100)}},
      {"PolyPolygonSameTurnWinding",
       [](ContentWriter& w) {
         pen(w, kPsNull, 1, 0);
         brush(w, kBsSolid, 0);
         w.dc().setPolyFillMode(2);
         const Point p[] = {{20, 20}, {180, 20}, {180, 180}, {20, 180}, {60, 60}, {140, 60}, {140, 140}, {60, 140}};
         const uint32_t n[] = {4, 4};
         w.polyPolygon(p, n);
       },
       {black(100, 100), black(40, 100)}},
      {"PieUnderUpwardMapping",
       [](ContentWriter& w) {
         // Low English: y grows upward. From the right end to the top end,
         // counter-clockwise: the upper-right quarter around (108, 108).
         w.dc().setMapMode(kMmLoEnglish);
         pen(w, kPsNull, 1, 0);
         brush(w, kBsSolid, kBlue);
         w.pie(50, -50, 250, -250, 250, -150, 150, -50);
       },
       {blue(138, 78), white(78, 78), white(78, 138), white(138, 138)}},
      {"IgnorePatBltOption",
       [](ContentWriter& w) {
         w.setOptions(doIgnorePatBlt);
         brush(w, kBsSolid, kRed);
         w.patBlt(60, 10, 40, 40, 0x00F00021);
         w.patBlt(10, 10, 40, 40, 0x00000042);
       },
       {white(80, 30), black(30, 30)}},
      {"PatBltRops",
       [](ContentWriter& w) {
         brush(w, kBsSolid, kRed);
         w.patBlt(10, 10, 40, 40, 0x00000042);   // blackness
         w.patBlt(60, 10, 40, 40, 0x00F00021);   // pattern copy: brush
         w.patBlt(110, 10, 40, 40, 0x00FF0062);  // whiteness
         w.patBlt(110, 110, 40, 40, 0x00550009); // not drawn
       },
       {black(30, 30), red(80, 30), white(130, 30), white(130, 130)}},
  };
}

class RenderShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(RenderShapeTest, PixelsMatch) {
  const ShapeCase& c = GetParam();
  auto d = draw(c.body);
  EXPECT_TRUE(d.qpdf_ok) << c.name << ": " << d.qpdf_report;
  EXPECT_EQ(d.syntax_fault, "") << c.name << ": " << d.content;
  ASSERT_EQ(d.raster.width, 200) << c.name;
  for (const Probe& p : c.probes) {
    auto got = d.raster.at(p.x, p.y);
    EXPECT_TRUE(near(got, p.r, p.g, p.b)) << c.name << " at " << p.x << "," << p.y << ": got " << got.r << ","
                                          << got.g << "," << got.b << " want " << p.r << "," << p.g << "," << p.b
                                          << "\n" << d.content;
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, RenderShapeTest, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A pentagram crosses itself: its centre is covered twice, so the even-odd
// rule leaves it empty and the winding rule fills it.
TEST(RenderFillMode, SelfOverlappingStarShowsTheDifference) {
  std::vector<Point> star;
  for (int i = 0; i < 5; ++i) {
    double a = -M_PI / 2 + i * 4 * M_PI / 5;
    star.push_back({int32_t(100 + 80 * std::cos(a)), int32_t(100 + 80 * std::sin(a))});
  }
  for (bool winding : {false, true}) {
    auto d = draw([&](ContentWriter& w) {
      pen(w, kPsNull, 1, 0);
      brush(w, kBsSolid, 0);
      w.dc().setPolyFillMode(winding ? 2 : 1);
      w.polygon(star);
    });
    const char* name = winding ? "winding" : "alternate";
    EXPECT_EQ(d.syntax_fault, "") << name;
    EXPECT_NE(d.content.find(winding ? " f " : " f* "), std::string::npos) << name << d.content;
    EXPECT_TRUE(d.raster.isDark(100, 40)) << name << ": a point of the star";
    EXPECT_EQ(d.raster.isDark(100, 105), winding) << name << ": the centre";
  }
}

TEST(RenderPens, WidthIsInLogicalUnits) {
  for (int width : {2, 10, 20}) {
    auto d = draw([&](ContentWriter& w) {
      pen(w, 0, width, 0);
      w.moveTo(20, 100);
      w.lineTo(180, 100);
    });
    int top = 100, bottom = 100;
    while (top > 0 && d.raster.isDark(100, top - 1)) --top;
    while (bottom < 199 && d.raster.isDark(100, bottom + 1)) ++bottom;
    EXPECT_NEAR(bottom - top + 1, width, 1) << "width " << width;
  }
}

TEST(RenderPens, DashedLinesAlternateAndSolidDoesNot) {
  struct Row { uint32_t style; int min_runs, max_runs; };
  for (Row r : {Row{kPsSolid, 1, 1}, Row{kPsDash, 8, 20}, Row{kPsDot, 20, 60}, Row{kPsDashDot, 8, 30},
                Row{kPsDashDotDot, 8, 40}}) {
    auto d = draw([&](ContentWriter& w) {
      w.dc().selectPen(penFromExtLogPen(0x10000 | 0x200 | r.style, 2, 0));  // geometric, flat ends
      w.moveTo(10, 100);
      w.lineTo(190, 100);
    });
    int runs = darkRuns(d.raster, 10, 100, 1, 0, 180);
    EXPECT_GE(runs, r.min_runs) << "style " << r.style << "\n" << d.content;
    EXPECT_LE(runs, r.max_runs) << "style " << r.style << "\n" << d.content;
  }
}

TEST(RenderPens, CapsAndJoinsFollowTheExtendedPen) {
  struct Row { uint32_t style; const char* cap; const char* join; };
  for (Row r : {Row{0x10000 | 0x200 | 0x2000, "0 J", "0 j"}, Row{0x10000 | 0x100 | 0x1000, "2 J", "2 j"},
                Row{0x10000, "1 J", "1 j"}}) {
    auto d = draw([&](ContentWriter& w) {
      w.dc().selectPen(penFromExtLogPen(r.style, 20, 0));
      w.moveTo(50, 100);
      w.lineTo(150, 100);
    });
    EXPECT_NE(d.content.find(r.cap), std::string::npos) << r.style << d.content;
    EXPECT_NE(d.content.find(r.join), std::string::npos) << r.style << d.content;
    // Butt ends stop at the end point; round and square ends reach past it.
    bool past = d.raster.isDark(155, 100);
    EXPECT_EQ(past, std::string(r.cap) != "0 J") << r.style;
  }
}

TEST(RenderPens, CosmeticPenIsOneDevicePixelWhateverTheMapping) {
  auto d = draw([](ContentWriter& w) {
    w.dc().setMapMode(kMmAnisotropic);
    w.dc().setWindowExt(10, 10);
    w.dc().setViewportExt(100, 100);  // one logical unit = 10 points
    w.dc().selectPen(penFromExtLogPen(0, 1, 0));
    w.moveTo(2, 10);
    w.lineTo(18, 10);
  });
  EXPECT_NE(d.content.find("0.000 w"), std::string::npos) << d.content;
  EXPECT_TRUE(d.raster.isDark(100, 100) || d.raster.isDark(100, 99)) << d.content;
  EXPECT_TRUE(d.raster.isWhite(100, 103));
}

// Hatch lines follow their direction: a scan along the lines meets few
// dark runs, a scan across them many.
TEST(RenderBrushes, HatchStylesRunTheirWay) {
  struct Row { int32_t hatch; bool across_rows, across_cols, across_down_right, across_up_right; };
  const Row rows[] = {
      {kHsHorizontal, false, true, true, true},  {kHsVertical, true, false, true, true},
      {kHsCross, true, true, true, true},        {kHsFDiagonal, true, true, false, true},
      {kHsBDiagonal, true, true, true, false},   {kHsDiagCross, true, true, true, true},
  };
  for (const Row& r : rows) {
    auto d = draw([&](ContentWriter& w) {
      pen(w, kPsNull, 1, 0);
      brush(w, kBsHatched, kBlue, r.hatch);
      w.rectangle(20, 20, 180, 180);
    });
    EXPECT_EQ(d.syntax_fault, "") << r.hatch << d.content;
    EXPECT_TRUE(d.qpdf_ok) << d.qpdf_report;
    const Raster& img = d.raster;
    auto many = [](int runs) { return runs >= 8; };
    // Scan lines offset from any exact hatch line: probe a few and take the largest.
    int rows_runs = 0, cols_runs = 0, dr = 0, ur = 0;
    for (int off = 0; off < 6; ++off) {
      rows_runs = std::max(rows_runs, darkRuns(img, 25, 60 + off, 1, 0, 150));
      cols_runs = std::max(cols_runs, darkRuns(img, 60 + off, 25, 0, 1, 150));
      dr = std::max(dr, darkRuns(img, 25 + off, 25, 1, 1, 150));
      ur = std::max(ur, darkRuns(img, 25 + off, 175, 1, -1, 150));
    }
    EXPECT_EQ(many(rows_runs), r.across_rows) << "hatch " << r.hatch << " rows " << rows_runs;
    EXPECT_EQ(many(cols_runs), r.across_cols) << "hatch " << r.hatch << " cols " << cols_runs;
    EXPECT_EQ(many(dr), r.across_down_right) << "hatch " << r.hatch << " down-right " << dr;
    EXPECT_EQ(many(ur), r.across_up_right) << "hatch " << r.hatch << " up-right " << ur;
    // Lines are in the brush colour and stay inside the shape.
    bool blue_seen = false;
    for (int y = 25; y < 45 && !blue_seen; ++y)
      for (int x = 25; x < 45; ++x)
        if (near(img.at(x, y), 0, 0, 255, 60)) blue_seen = true;
    EXPECT_TRUE(blue_seen) << r.hatch;
    for (int i = 0; i < 200; i += 7) {
      EXPECT_TRUE(img.isWhite(i, 10)) << r.hatch << " above at " << i;
      EXPECT_TRUE(img.isWhite(10, i)) << r.hatch << " left at " << i;
      EXPECT_TRUE(img.isWhite(i, 190)) << r.hatch << " below at " << i;
    }
  }
}

TEST(RenderBrushes, HatchWithOutlineAndOpaqueBackground) {
  auto d = draw([](ContentWriter& w) {
    pen(w, 0, 4, 0);
    brush(w, kBsHatched, kBlue, kHsHorizontal);
    w.dc().setBkMode(2);
    w.dc().setBkColour(0x00FFFF);  // yellow
    w.ellipse(20, 20, 180, 180);
    w.rectangle(150, 150, 190, 190);  // drawn after: attributes must still be right
  });
  EXPECT_EQ(d.syntax_fault, "") << d.content;
  EXPECT_TRUE(d.qpdf_ok) << d.qpdf_report;
  int yellow = 0, blue = 0;
  for (int y = 90; y < 110; ++y) {
    if (near(d.raster.at(100, y), 255, 255, 0, 60)) ++yellow;
    if (near(d.raster.at(100, y), 0, 0, 255, 60)) ++blue;
  }
  EXPECT_GT(yellow, 5);
  EXPECT_GT(blue, 0);
  EXPECT_TRUE(d.raster.isDark(100, 21)) << "outline";
  EXPECT_TRUE(d.raster.isWhite(24, 24)) << "outside the ellipse";
  EXPECT_TRUE(d.raster.isDark(150, 170)) << "next shape's outline";
}

}  // namespace
