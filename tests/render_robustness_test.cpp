// Hostile and degenerate drawing: every row must leave a content stream that
// qpdf accepts, with only valid operators and no "nan"/"inf", and no crash.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <vector>

#include "render_support.h"

using namespace pyra::render;
using pyra::rendertest::count;
using pyra::rendertest::draw;
using pyra::rendertest::PageSetup;

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
const float kNan = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

struct BadCase {
  const char* name;
  std::function<void(ContentWriter&)> body;
};

void allShapes(ContentWriter& w, int32_t a, int32_t b) {
  w.rectangle(a, a, b, b);
  w.roundRect(a, a, b, b, b, a);
  w.ellipse(a, a, b, b);
  w.arc(a, a, b, b, a, b, b, a);
  w.chord(a, a, b, b, a, b, b, a);
  w.pie(a, a, b, b, a, b, b, a);
  w.moveTo(a, b);
  w.lineTo(b, a);
  w.angleArc(a, b, uint32_t(b), 0, 270);
  const Point p[] = {{a, a}, {b, b}, {a, b}, {b, a}};
  w.polygon(p);
  w.polyline(p);
  w.polyBezier(p);
  w.fillRectColor(a, a, b, b, 0x123456);
  w.setPixel(a, b, 0);
}

std::vector<BadCase> cases() {
  return {
      {"ZeroSizeShapes", [](ContentWriter& w) { allShapes(w, 50, 50); }},
      {"InvertedShapes", [](ContentWriter& w) { allShapes(w, 150, 50); }},
      {"HugeCoordinates", [](ContentWriter& w) { allShapes(w, kMin, kMax); }},
      {"HugeCoordinatesHatched",
       [](ContentWriter& w) {
         w.dc().selectBrush(BrushValues{kBsHatched, 0xFF, kHsDiagCross});
         allShapes(w, kMin, kMax);
       }},
      {"HugeCoordinatesUnderPrecisionFactor",
       [](ContentWriter& w) {
         w.dc().setMapMode(kMmAnisotropic);
         w.dc().setWindowExt(kMax, kMax);
         w.dc().setViewportExt(1, 1);
         allShapes(w, kMin, kMax);
       }},
      {"EmptyAndOnePointLists",
       [](ContentWriter& w) {
         const Point one[] = {{5, 5}};
         w.polyline({});
         w.polyline(one);
         w.polyline({}, true);
         w.polygon({});
         w.polygon(one);
         w.polyBezier(one);
         w.polyBezier({}, true);
         const uint32_t counts[] = {1, 0, 7};
         w.polyPolygon(one, counts);
         w.polyPolyline(one, counts);
         w.polyPolygon({}, {});
       }},
      {"CountsClaimMorePointsThanPresent",
       [](ContentWriter& w) {
         const Point p[] = {{0, 0}, {10, 10}, {20, 0}};
         const uint32_t counts[] = {3, 0xFFFFFFFF, 2};
         w.polyPolygon(p, counts);
         w.polyPolyline(p, counts);
       }},
      {"SingularWorldTransform",
       [](ContentWriter& w) {
         w.dc().setWorldTransform(XForm{0, 0, 0, 0, 0, 0});
         allShapes(w, 10, 100);
       }},
      {"OverflowingWorldTransform",
       [](ContentWriter& w) {
         w.dc().setWorldTransform(XForm{3e38f, 3e38f, 3e38f, 3e38f, 3e38f, 3e38f});
         w.dc().modifyWorldTransform(XForm{3e38f, 0, 0, 3e38f, 0, 0}, 2);
         allShapes(w, 10, 100);
       }},
      {"NanAndInfWorldTransform",
       [=](ContentWriter& w) {
         w.dc().setWorldTransform(XForm{kNan, 0, 0, kInf, kNan, -kInf});
         allShapes(w, 10, 100);
         w.dc().setWorldTransform(XForm{1e-30f, 0, 0, 1e-30f, 0, 0});
         allShapes(w, 10, 100);
       }},
      {"ZeroAndExtremeExtents",
       [](ContentWriter& w) {
         w.dc().setMapMode(kMmAnisotropic);
         w.dc().setWindowExt(0, 0);
         w.dc().setViewportExt(0, 0);
         allShapes(w, 10, 100);
         w.dc().setWindowExt(1, kMin);
         w.dc().setViewportExt(kMax, 1);
         allShapes(w, 10, 100);
         w.dc().setMapMode(kMmIsotropic);
         w.dc().setWindowExt(kMin, kMin);
         w.dc().setViewportExt(kMin, 0);
         w.dc().scaleWindowExt(kMax, 0, kMin, -1);
         w.dc().scaleViewportExt(kMax, 1, kMax, 1);
         allShapes(w, 10, 100);
       }},
      {"ExtremeOrigins",
       [](ContentWriter& w) {
         w.dc().setWindowOrg(kMin, kMax);
         w.dc().setViewportOrg(kMax, kMin);
         allShapes(w, kMin, kMax);
       }},
      {"UnknownMapModeAndWorldMode",
       [](ContentWriter& w) {
         w.dc().setMapMode(99);
         w.dc().modifyWorldTransform(XForm{2, 0, 0, 2, 0, 0}, 77);
         allShapes(w, 10, 100);
       }},
      {"AngleArcWildAngles",
       [=](ContentWriter& w) {
         w.moveTo(100, 100);
         w.angleArc(100, 100, 50, kNan, 90);
         w.angleArc(100, 100, 50, 0, kInf);
         w.angleArc(100, 100, 50, 1e30f, -1e30f);
         w.angleArc(100, 100, 0xFFFFFFFF, 0, 720);
         w.angleArc(100, 100, 0, 0, 1e-20f);
       }},
      {"ArcPointsAtTheCentre", [](ContentWriter& w) { w.arc(0, 0, 100, 100, 50, 50, 50, 50); w.pie(0, 0, 0, 0, 0, 0, 0, 0); }},
      {"HugeRoundRectCorners", [](ContentWriter& w) { w.roundRect(10, 10, 100, 100, kMax, kMin); }},
      {"ManySavesWithoutRestore",
       [](ContentWriter& w) {
         for (int i = 0; i < 100000; ++i) w.saveDC();
         w.rectangle(0, 0, 10, 10);
       }},
      {"RestoresWithoutSaves",
       [](ContentWriter& w) {
         for (int i = 0; i < 10; ++i) w.restoreDC();
         for (int i = 0; i < 10; ++i) w.popState();
         w.rectangle(0, 0, 10, 10);
       }},
      {"ManySavesThenAsManyRestores",
       [](ContentWriter& w) {
         for (int i = 0; i < 5000; ++i) w.saveDC();
         for (int i = 0; i < 5000; ++i) w.restoreDC();
         w.rectangle(0, 0, 10, 10);
       }},
      {"PathBracketNeverClosed",
       [](ContentWriter& w) {
         w.beginPath();
         w.moveTo(0, 0);
         w.lineTo(10, 10);
         w.rectangle(0, 0, 5, 5);
       }},
      {"PaintAndClipWithoutPath",
       [](ContentWriter& w) {
         w.fillPath();
         w.strokePath();
         w.beginPath();
         w.endPath();
         w.strokeAndFillPath();
         w.selectClipPath(kRgnAnd);
         w.selectClipPath(kRgnDiff);
         w.closeFigure();
         w.abortPath();
       }},
      {"MatrixChangeInsideAPathBracket",
       [](ContentWriter& w) {
         w.beginPath();
         w.moveTo(0, 0);
         w.lineTo(50, 50);
         w.dc().setWorldTransform(XForm{2, 0, 0, 2, 0, 0});
         w.lineTo(50, 0);
         w.saveDC();
         w.lineTo(0, 50);
         w.restoreDC();
         w.lineTo(10, 10);
         w.endPath();
         w.strokeAndFillPath();
       }},
      {"AttributeChangesInsideAPathBracket",
       [](ContentWriter& w) {
         w.beginPath();
         w.moveTo(0, 0);
         w.lineTo(50, 50);
         w.dc().selectPen(penFromLogPen(kPsDashDot, 7, 0xFF00FF));
         w.lineTo(50, 0);
         w.fillRectColor(0, 0, 10, 10, 0xFF);
         w.patBlt(0, 0, 10, 10, 0x42);
         w.dc().selectBrush(BrushValues{kBsHatched, 0xFF, kHsCross});
         w.ellipse(0, 0, 30, 30);
         w.endPath();
         w.strokeAndFillPath();
       }},
      {"ClipRegionsWithDegenerateRects",
       [](ContentWriter& w) {
         const Rect rects[] = {{kMin, kMin, kMax, kMax}, {5, 5, 5, 5}, {10, 0, 0, 10}};
         w.selectClipRegion(kRgnAnd, Rect{kMax, kMax, kMin, kMin}, rects);
         w.selectClipRegion(kRgnAnd, Rect{kMax, kMax, kMin, kMin});
         w.excludeClipRect({kMin, kMin, kMax, kMax});
         w.dc().setWorldTransform(XForm{0, 0, 0, 0, 0, 0});
         w.excludeClipRect({0, 0, 10, 10});
         w.rectangle(0, 0, 100, 100);
       }},
      {"TextModeBetweenShapes",
       [](ContentWriter& w) {
         w.rectangle(0, 0, 10, 10);
         w.enterText();
         w.rectangle(0, 0, 10, 10);
         w.enterText();
         w.saveDC();
         w.enterText();
         w.restoreDC();
       }},
      {"ResetInTheMiddle",
       [](ContentWriter& w) {
         w.saveDC();
         w.beginPath();
         w.rectangle(0, 0, 10, 10);
         w.reset();
         w.rectangle(0, 0, 10, 10);
       }},
  };
}

class RenderRobustnessTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(RenderRobustnessTest, StreamStaysValid) {
  const BadCase& c = GetParam();
  for (TPxDeviceOptions opt : {TPxDeviceOptions(doClipping), TPxDeviceOptions(doClipping | doResetMatrix | doForcePrecision)}) {
    PageSetup page;
    page.options = opt;
    page.rasterize = false;
    auto d = draw(c.body, page);
    EXPECT_EQ(d.syntax_fault, "") << c.name << " options " << opt << ":\n" << d.content.substr(0, 4000);
    EXPECT_TRUE(d.qpdf_ok) << c.name << ": " << d.qpdf_report;
    EXPECT_LT(d.content.size(), 8u << 20) << c.name << ": runaway output";
  }
}

INSTANTIATE_TEST_SUITE_P(Degenerate, RenderRobustnessTest, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RenderRobustness, SaveFloodIsCappedAndBalanced) {
  auto d = draw([](ContentWriter& w) {
    for (int i = 0; i < 100000; ++i) w.saveDC();
    for (int i = 0; i < 99990; ++i) w.restoreDC();
    EXPECT_EQ(w.dc().depth(), 10);
    w.rectangle(0, 0, 10, 10);
  }, PageSetup{200, 200, 72, 0, false});
  EXPECT_LE(count(d.content, "q "), int(TPxDCStack::kMaxDepth) + 1);
  EXPECT_EQ(d.syntax_fault, "");
}

TEST(RenderRobustness, HatchOfAHugeShapeCostsNoMoreThanThePage) {
  auto d = draw([](ContentWriter& w) {
    w.dc().selectBrush(BrushValues{kBsHatched, 0xFF, kHsDiagCross});
    w.rectangle(kMin, kMin, kMax, kMax);
  });
  EXPECT_EQ(d.syntax_fault, "");
  EXPECT_LT(d.content.size(), 40000u);
  EXPECT_GE(pyra::rendertest::darkRuns(d.raster, 10, 100, 1, 0, 180), 10) << "hatch still covers the page";
}

TEST(RenderRobustness, ShapesStillRenderAfterAWildTransformIsReplaced) {
  auto d = draw([](ContentWriter& w) {
    w.dc().selectPen(PenValues{0, kPsNull, 0, 0});
    w.dc().setWorldTransform(XForm{kNan, 0, 0, 1, 0, 0});
    w.rectangle(500, 500, 600, 600);
    w.dc().modifyWorldTransform(XForm{}, 1);
    w.rectangle(20, 20, 60, 60);
  });
  EXPECT_EQ(d.syntax_fault, "") << d.content;
  EXPECT_TRUE(d.raster.isDark(40, 40)) << d.content;
}

}  // namespace
