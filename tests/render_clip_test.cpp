// Clips: intersect, exclude, region and path clips nest with save/restore,
// and drawing outside a clip leaves pixels untouched.
#include <gtest/gtest.h>

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

TEST(RenderClip, RegionOfSeveralRectanglesInDeviceUnits) {
  PageSetup page = clipping();
  auto d = draw([](ContentWriter& w) {
    blackFill(w);
    // Logical units are half a device unit: the region is mapped back.
    w.dc().setMapMode(kMmAnisotropic);
    w.dc().setWindowExt(200, 200);
    w.dc().setViewportExt(100, 100);
    const Rect rects[] = {{10, 10, 60, 60}, {100, 100, 150, 150}};
    w.saveDC();
    w.selectClipRegion(kRgnCopy, Rect{10, 10, 150, 150}, rects);
    w.rectangle(0, 0, 400, 400);
    w.restoreDC();
  }, page);
  EXPECT_EQ(d.syntax_fault, "") << d.content;
  EXPECT_TRUE(d.raster.isDark(30, 30));
  EXPECT_TRUE(d.raster.isDark(120, 120));
  EXPECT_TRUE(d.raster.isWhite(80, 80));
  EXPECT_TRUE(d.raster.isWhite(30, 120));
  EXPECT_TRUE(d.raster.isWhite(170, 170));
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
