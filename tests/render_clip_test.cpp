// Clips: intersect, exclude, region and path clips nest with save/restore,
// and drawing outside a clip leaves pixels untouched.
#include <gtest/gtest.h>

#include <functional>

#include "render_support.h"

using namespace pyra::render;
using pyra::rendertest::draw;
using pyra::rendertest::PageSetup;

namespace {

void blackFill(ContentWriter& w) {
  PenValues pen;
  pen.style = kPsNull;
  w.dc().selectPen(pen);
  w.dc().selectBrush(BrushValues{kBsSolid, 0, 0});
}

PageSetup clipping() {
  PageSetup s;
  s.options = doClipping;
  return s;
}

TEST(RenderClip, IntersectRectLimitsDrawingUntilRestore) {
  auto d = draw([](ContentWriter& w) {
    blackFill(w);
    w.saveDC();
    w.intersectClipRect({50, 50, 150, 150});
    w.rectangle(0, 0, 200, 200);
    w.restoreDC();
    w.rectangle(0, 0, 20, 20);
  }, clipping());
  EXPECT_EQ(d.syntax_fault, "") << d.content;
  EXPECT_TRUE(d.qpdf_ok) << d.qpdf_report;
  EXPECT_TRUE(d.raster.isDark(100, 100));
  EXPECT_TRUE(d.raster.isDark(52, 52));
  EXPECT_TRUE(d.raster.isWhite(47, 100));
  EXPECT_TRUE(d.raster.isWhite(153, 100));
  EXPECT_TRUE(d.raster.isWhite(100, 160));
  EXPECT_TRUE(d.raster.isDark(10, 10)) << "the clip must end with the restore";
}

TEST(RenderClip, ExcludeRectLeavesAHole) {
  for (int mode : {kMmText, kMmHiMetric}) {
    auto d = draw([&](ContentWriter& w) {
      blackFill(w);
      w.dc().setMapMode(mode);
      const int k = mode == kMmText ? 1 : 10000 / 283;  // ~ logical units per point
      const int s = mode == kMmText ? 1 : -1;
      w.saveDC();
      w.excludeClipRect({50 * k, s * 50 * k, 150 * k, s * 150 * k});
      w.rectangle(0, 0, 200 * k, s * 200 * k);
      w.restoreDC();
    }, clipping());
    const std::string name = mode == kMmText ? "text" : "himetric";
    EXPECT_EQ(d.syntax_fault, "") << name << d.content;
    EXPECT_TRUE(d.raster.isWhite(100, 100)) << name;
    EXPECT_TRUE(d.raster.isDark(20, 20)) << name;
    EXPECT_TRUE(d.raster.isDark(190, 190)) << name << ": the page cover must reach the far corner";
  }
}

// A region's rectangles are in device units, whatever the mapping: they
// must clip the same pixels under every mode.
TEST(RenderClip, RegionOfSeveralRectanglesInDeviceUnits) {
  struct Case {
    const char* name;
    std::function<void(TPxDCStack&)> mapping;
    Rect cover;  // logical rectangle over the whole page
    int resolution = 72;
  };
  const Case cases[] = {
      {"anisotropic, half a device unit",
       [](TPxDCStack& s) {
         s.setMapMode(kMmAnisotropic);
         s.setWindowExt(200, 200);
         s.setViewportExt(100, 100);
       },
       {0, 0, 400, 400}},
      // 72 device units an inch: the page's bottom left is the origin and
      // y runs up in tenths of a millimetre.
      {"low metric from the bottom", [](TPxDCStack& s) {
         s.setMapMode(kMmLoMetric);
         s.setViewportOrg(0, 200);
       },
       {0, 710, 710, 0}},
      {"high English with a window origin", [](TPxDCStack& s) {
         s.setMapMode(kMmHiEnglish);
         s.setWindowOrg(-100, 100);
       },
       {-200, 300, 3000, -3000}},
      {"low metric at 96 device units an inch", [](TPxDCStack& s) {
         s.setMapMode(kMmLoMetric);
         s.setViewportOrg(0, 267);
       },
       {0, 710, 710, 0}, 96},
      {"twips at 96 with a window origin", [](TPxDCStack& s) {
         s.setMapMode(kMmTwips);
         s.setWindowOrg(-300, 300);
       },
       {-600, 600, 5000, -5000}, 96},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PageSetup page = clipping();
    page.resolution = c.resolution;
    auto d = draw([&](ContentWriter& w) {
      blackFill(w);
      c.mapping(w.dc());
      const Rect rects[] = {{10, 10, 60, 60}, {100, 100, 150, 150}};
      w.saveDC();
      w.selectClipRegion(kRgnCopy, Rect{10, 10, 150, 150}, rects);
      w.rectangle(c.cover.left, c.cover.top, c.cover.right, c.cover.bottom);
      w.restoreDC();
    }, page);
    EXPECT_EQ(d.syntax_fault, "") << d.content;
    // Probes in device units, read in points.
    const double k = 72.0 / c.resolution;
    auto at = [&](int x, int y) { return std::pair{int(x * k), int(y * k)}; };
    for (auto [x, y] : {at(30, 30), at(120, 120)}) EXPECT_TRUE(d.raster.isDark(x, y)) << x << "," << y;
    for (auto [x, y] : {at(80, 80), at(30, 120), at(170, 170)}) EXPECT_TRUE(d.raster.isWhite(x, y)) << x << "," << y;
  }
}

TEST(RenderClip, PathClipIntersectAndDifference) {
  for (int mode : {kRgnAnd, kRgnDiff}) {
    for (bool winding : {false, true}) {
      auto d = draw([&](ContentWriter& w) {
        blackFill(w);
        w.dc().setPolyFillMode(winding ? 2 : 1);
        w.saveDC();
        w.beginPath();
        w.ellipse(50, 50, 150, 150);
        w.endPath();
        w.selectClipPath(mode);
        w.rectangle(0, 0, 200, 200);
        w.restoreDC();
      }, clipping());
      const std::string name = std::string(mode == kRgnAnd ? "and" : "diff") + (winding ? " winding" : " alternate");
      EXPECT_EQ(d.syntax_fault, "") << name << d.content;
      EXPECT_TRUE(d.qpdf_ok) << d.qpdf_report;
      EXPECT_EQ(d.raster.isDark(100, 100), mode == kRgnAnd) << name;
      EXPECT_EQ(d.raster.isDark(10, 10), mode == kRgnDiff) << name;
      EXPECT_EQ(d.raster.isDark(190, 190), mode == kRgnDiff) << name;
    }
  }
}

TEST(RenderClip, NestedClipsUnwindOneLevelAtATime) {
  auto d = draw([](ContentWriter& w) {
    blackFill(w);
    w.saveDC();
    w.intersectClipRect({0, 0, 100, 200});    // left half
    w.saveDC();
    w.intersectClipRect({0, 0, 200, 100});    // and the top half
    w.rectangle(0, 0, 200, 200);              // top-left quarter only
    w.restoreDC();
    w.rectangle(0, 150, 200, 200);            // bottom strip, left half only
    w.restoreDC();
    w.rectangle(150, 0, 200, 20);             // unclipped again
  }, clipping());
  EXPECT_EQ(d.syntax_fault, "") << d.content;
  EXPECT_TRUE(d.raster.isDark(50, 50));
  EXPECT_TRUE(d.raster.isWhite(150, 50));
  EXPECT_TRUE(d.raster.isWhite(50, 125));
  EXPECT_TRUE(d.raster.isDark(50, 175));
  EXPECT_TRUE(d.raster.isWhite(150, 175));
  EXPECT_TRUE(d.raster.isDark(175, 10));
}

TEST(RenderClip, ClipPushedByTheCallerAroundSeveralRecords) {
  // The interpreter opens a clip level with pushState when its look-ahead
  // finds one, and closes it with popState.
  auto d = draw([](ContentWriter& w) {
    blackFill(w);
    w.pushState();
    w.selectClipRegion(kRgnAnd, Rect{0, 0, 100, 100});
    w.rectangle(0, 0, 200, 200);
    w.popState();
    w.pushState();
    w.selectClipRegion(kRgnAnd, Rect{150, 150, 200, 200});
    w.rectangle(0, 0, 200, 200);
    w.popState();
  }, clipping());
  EXPECT_EQ(d.syntax_fault, "") << d.content;
  EXPECT_TRUE(d.raster.isDark(50, 50));
  EXPECT_TRUE(d.raster.isDark(175, 175));
  EXPECT_TRUE(d.raster.isWhite(125, 125));
  EXPECT_EQ(pyra::rendertest::count(d.content, "W n"), 2);
}

TEST(RenderClip, WithoutTheOptionClipsAreIgnored) {
  auto d = draw([](ContentWriter& w) {
    blackFill(w);
    w.intersectClipRect({50, 50, 60, 60});
    w.excludeClipRect({0, 0, 200, 200});
    w.beginPath();
    w.rectangle(10, 10, 20, 20);
    w.endPath();
    w.selectClipPath(kRgnAnd);
    w.rectangle(0, 0, 200, 200);
  });
  EXPECT_EQ(d.syntax_fault, "") << d.content;
  EXPECT_EQ(d.content.find('W'), std::string::npos) << d.content;
  EXPECT_TRUE(d.raster.isDark(150, 150));
}

TEST(RenderClip, RegionInsideAnOpenPathGoesBeforeThePath) {
  auto d = draw([](ContentWriter& w) {
    blackFill(w);
    w.beginPath();
    w.rectangle(0, 0, 200, 200);
    w.selectClipRegion(kRgnAnd, Rect{0, 0, 100, 100});
    w.endPath();
    w.fillPath();
  }, clipping());
  EXPECT_EQ(d.syntax_fault, "") << d.content;
  EXPECT_TRUE(d.raster.isDark(50, 50));
  EXPECT_TRUE(d.raster.isWhite(150, 150));
}

}  // namespace
