// Every mapping mode, origin, extent and world transform must put a known
// rectangle exactly where a PDF reader draws it.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "render_support.h"

using namespace pyra::render;
using pyra::rendertest::draw;
using pyra::rendertest::PageSetup;

namespace {

struct MapCase {
  const char* name;
  int resolution;
  TPxDeviceOptions options;
  std::function<void(TPxDCStack&)> setup;
  Rect logical;                  // filled black, no pen
  double x0, y0, x1, y1;         // where it must land, in points from the top left
  int precision = 0;             // expected precision factor, 0 = not checked
};

void solidBlackNoPen(ContentWriter& w) {
  PenValues pen;
  pen.style = kPsNull;
  w.dc().selectPen(pen);
  BrushValues brush;
  brush.colour = 0;
  w.dc().selectBrush(brush);
}

void expectRectAt(const pyra::testkit::Raster& r, double x0, double y0, double x1, double y1,
                  const std::string& name) {
  ASSERT_GT(r.width, 0) << name;
  const int in = 2, out = 3;
  const int cx = int((x0 + x1) / 2), cy = int((y0 + y1) / 2);
  // Just inside every corner and edge.
  for (auto [x, y] : {std::pair{x0 + in, y0 + in}, {x1 - in, y0 + in}, {x0 + in, y1 - in},
                      {x1 - in, y1 - in}, {double(cx), double(cy)}})
    EXPECT_TRUE(r.isDark(int(x), int(y))) << name << ": inside at " << x << "," << y;
  // Just outside every edge.
  for (auto [x, y] : {std::pair{x0 - out, double(cy)}, {x1 + out, double(cy)},
                      {double(cx), y0 - out}, {double(cx), y1 + out}})
    if (x >= 0 && y >= 0 && x < r.width && y < r.height) {
      EXPECT_TRUE(r.isWhite(int(x), int(y))) << name << ": outside at " << x << "," << y;
    }
}

const double k254 = 72.0 / 254;  // points per 0.1 mm

std::vector<MapCase> cases() {
  return {
      {"TextAt72", 72, 0, [](TPxDCStack&) {}, {10, 20, 110, 70}, 10, 20, 110, 70},
      {"TextAt144", 144, 0, [](TPxDCStack&) {}, {20, 40, 220, 140}, 10, 20, 110, 70},
      {"TextAt96", 96, 0, [](TPxDCStack&) {}, {40, 40, 200, 120}, 30, 30, 150, 90},
      {"LoMetric", 72, 0, [](TPxDCStack& s) { s.setMapMode(kMmLoMetric); },
       {100, -100, 500, -300}, 100 * k254, 100 * k254, 500 * k254, 300 * k254},
      {"HiMetric", 72, 0, [](TPxDCStack& s) { s.setMapMode(kMmHiMetric); },
       {1000, -1000, 5000, -3000}, 100 * k254, 100 * k254, 500 * k254, 300 * k254},
      {"HiMetricFarSide", 72, 0, [](TPxDCStack& s) { s.setMapMode(kMmHiMetric); },
       {5000, -5000, 6900, -6900}, 500 * k254, 500 * k254, 690 * k254, 690 * k254},
      {"LoEnglish", 72, 0, [](TPxDCStack& s) { s.setMapMode(kMmLoEnglish); },
       {100, -100, 300, -200}, 72, 72, 216, 144},
      {"HiEnglish", 72, 0, [](TPxDCStack& s) { s.setMapMode(kMmHiEnglish); },
       {1000, -1000, 3000, -2000}, 72, 72, 216, 144},
      {"Twips", 96, 0, [](TPxDCStack& s) { s.setMapMode(kMmTwips); },
       {1440, -1440, 4320, -2880}, 72, 72, 216, 144},
      {"LoEnglishWindowOrigin", 72, 0,
       [](TPxDCStack& s) { s.setMapMode(kMmLoEnglish); s.setWindowOrg(-50, 50); },
       {0, 0, 100, -100}, 36, 36, 108, 108},
      // The viewport origin is in device pixels whatever the map mode.
      {"LoMetricViewportOrigin", 72, 0,
       [](TPxDCStack& s) { s.setMapMode(kMmLoMetric); s.setViewportOrg(100, 300); },
       {100, 100, 500, 300}, 100 + 100 * k254, 300 - 300 * k254, 100 + 500 * k254, 300 - 100 * k254},
      {"HiEnglishViewportOriginAt96", 96, 0,
       [](TPxDCStack& s) { s.setMapMode(kMmHiEnglish); s.setViewportOrg(96, 192); },
       {0, 0, 1000, -500}, 72, 144, 144, 180},
      {"TextViewportOrigin", 72, 0, [](TPxDCStack& s) { s.setViewportOrg(30, 40); },
       {0, 0, 20, 20}, 30, 40, 50, 60},
      {"TextWindowOrigin", 72, 0, [](TPxDCStack& s) { s.setWindowOrg(-30, -40); },
       {0, 0, 20, 20}, 30, 40, 50, 60},
      {"Isotropic", 72, 0,
       [](TPxDCStack& s) { s.setMapMode(kMmIsotropic); s.setWindowExt(1000, 1000); s.setViewportExt(100, 200); },
       {100, 100, 1000, 600}, 10, 10, 100, 60},
      {"IsotropicFlippedViewport", 72, 0,
       [](TPxDCStack& s) {
         s.setMapMode(kMmIsotropic);
         s.setWindowExt(1000, 1000);
         s.setViewportExt(100, -100);
         s.setViewportOrg(0, 200);
       },
       {100, 100, 1000, 600}, 10, 140, 100, 190},
      {"Anisotropic", 72, 0,
       [](TPxDCStack& s) { s.setMapMode(kMmAnisotropic); s.setWindowExt(1000, 2000); s.setViewportExt(100, 100); },
       {100, 200, 1000, 2000}, 10, 10, 100, 100},
      {"AnisotropicOrigins", 72, 0,
       [](TPxDCStack& s) {
         s.setMapMode(kMmAnisotropic);
         s.setWindowExt(1000, 1000);
         s.setViewportExt(100, 100);
         s.setWindowOrg(500, 500);
         s.setViewportOrg(50, 60);
       },
       {600, 700, 1000, 1500}, 60, 80, 100, 160},
      {"AnisotropicAt96", 96, 0,
       [](TPxDCStack& s) { s.setMapMode(kMmAnisotropic); s.setWindowExt(2000, 2000); s.setViewportExt(400, 400); },
       {200, 200, 800, 600}, 30, 30, 120, 90},
      {"AnisotropicScaledExtents", 72, 0,
       [](TPxDCStack& s) {
         s.setMapMode(kMmAnisotropic);
         s.setWindowExt(500, 500);
         s.setViewportExt(100, 100);
         s.scaleWindowExt(2, 1, 2, 1);
       },
       {100, 100, 1000, 600}, 10, 10, 100, 60},
      {"AnisotropicZeroExtentsActAsText", 72, 0,
       [](TPxDCStack& s) { s.setMapMode(kMmAnisotropic); s.setWindowExt(0, 0); s.setViewportExt(100, 100); },
       {10, 20, 110, 70}, 10, 20, 110, 70},
      {"LargeExtentsUsePrecision4", 72, 0,
       [](TPxDCStack& s) { s.setMapMode(kMmAnisotropic); s.setWindowExt(40000, 40000); s.setViewportExt(200, 200); },
       {4000, 4000, 20000, 12000}, 20, 20, 100, 60, 4},
      {"LargeExtentsKeepPrecision", 72, doKeepPrecision,
       [](TPxDCStack& s) { s.setMapMode(kMmAnisotropic); s.setWindowExt(40000, 40000); s.setViewportExt(200, 200); },
       {4000, 4000, 20000, 12000}, 20, 20, 100, 60, 1},
      {"ForcedPrecisionOddCoordinates", 72, doForcePrecision,
       [](TPxDCStack& s) { s.setMapMode(kMmAnisotropic); s.setWindowExt(1000, 1000); s.setViewportExt(100, 100); },
       {101, 203, 1003, 607}, 10.1, 20.3, 100.3, 60.7, 4},
      {"SpecialA4Extent", 72, 0,
       [](TPxDCStack& s) {
         s.setMapMode(kMmAnisotropic);
         s.setWindowExt(33600, 47504);
         s.setViewportExt(336, 475);
       },
       {100, 100, 1000, 600}, 10, 10, 100, 60},
      {"WorldScaleAndShift", 72, 0,
       [](TPxDCStack& s) { s.setWorldTransform(XForm{2, 0, 0, 2, 10, 20}); },
       {0, 0, 50, 25}, 10, 20, 110, 70},
      {"WorldRotate90", 72, 0,
       [](TPxDCStack& s) { s.setWorldTransform(XForm{0, 1, -1, 0, 150, 10}); },
       {0, 0, 100, 50}, 100, 10, 150, 110},
      {"WorldModifyThenIdentity", 72, 0,
       [](TPxDCStack& s) {
         s.setWorldTransform(XForm{3, 0, 0, 3, 0, 0});
         s.modifyWorldTransform(XForm{}, 1);
       },
       {10, 20, 110, 70}, 10, 20, 110, 70},
      {"WorldPreMultiply", 72, 0,
       [](TPxDCStack& s) {
         s.setWorldTransform(XForm{1, 0, 0, 1, 10, 20});
         s.modifyWorldTransform(XForm{2, 0, 0, 2, 0, 0}, 2);  // scale, then shift
       },
       {0, 0, 50, 25}, 10, 20, 110, 70},
      {"WorldPostMultiply", 72, 0,
       [](TPxDCStack& s) {
         s.setWorldTransform(XForm{1, 0, 0, 1, 5, 10});
         s.modifyWorldTransform(XForm{2, 0, 0, 2, 0, 0}, 3);  // shift, then scale
       },
       {0, 0, 50, 25}, 10, 20, 110, 70},
      {"WorldWithAnisotropic", 72, 0,
       [](TPxDCStack& s) {
         s.setMapMode(kMmAnisotropic);
         s.setWindowExt(1000, 1000);
         s.setViewportExt(100, 100);
         s.setWorldTransform(XForm{1, 0, 0, 1, 100, 200});
       },
       {0, 0, 900, 400}, 10, 20, 100, 60},
      {"ResetMatrixOption", 72, doResetMatrix,
       [](TPxDCStack& s) { s.setMapMode(kMmLoEnglish); },
       {100, -100, 300, -200}, 72, 72, 216, 144},
  };
}

class RenderMappingTest : public ::testing::TestWithParam<MapCase> {};

TEST_P(RenderMappingTest, RectangleLandsWhereReaderDrawsIt) {
  const MapCase& c = GetParam();
  PageSetup page;
  page.width = page.height = 300;
  page.resolution = c.resolution;
  page.options = c.options;
  int precision = 0;
  auto d = draw(
      [&](ContentWriter& w) {
        solidBlackNoPen(w);
        c.setup(w.dc());
        w.rectangle(c.logical.left, c.logical.top, c.logical.right, c.logical.bottom);
        precision = w.dc().precisionFactor();
      },
      page);
  EXPECT_TRUE(d.qpdf_ok) << c.name << ": " << d.qpdf_report;
  EXPECT_EQ(d.syntax_fault, "") << c.name << ": " << d.content;
  if (c.precision) {
    EXPECT_EQ(precision, c.precision) << c.name;
  }
  expectRectAt(d.raster, c.x0, c.y0, c.x1, c.y1, c.name);
}

INSTANTIATE_TEST_SUITE_P(AllModes, RenderMappingTest, ::testing::ValuesIn(cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Successive mapping changes exercise the translation-only, undo-and-apply
// and reset branches; each rectangle must still land in its place.
TEST(RenderMappingSequence, EveryMatrixChangeKeepsEarlierAndLaterShapesInPlace) {
  for (TPxDeviceOptions opt : {TPxDeviceOptions(0), doResetMatrix}) {
    PageSetup page;
    page.width = page.height = 300;
    page.options = opt;
    auto d = draw(
        [](ContentWriter& w) {
          solidBlackNoPen(w);
          w.rectangle(10, 10, 40, 40);                       // identity mapping
          w.dc().setViewportOrg(100, 0);                      // translation only
          w.rectangle(10, 10, 40, 40);
          w.dc().setMapMode(kMmAnisotropic);                  // scale change
          w.dc().setWindowExt(100, 100);
          w.dc().setViewportExt(50, 50);
          w.dc().setViewportOrg(0, 100);
          w.rectangle(20, 20, 80, 80);
          w.dc().setWorldTransform(XForm{0, 1, -1, 0, 0, 0});  // rotation
          w.dc().setViewportOrg(200, 100);
          w.rectangle(20, -80, 80, -20);
          w.dc().modifyWorldTransform(XForm{}, 1);
          w.dc().setMapMode(kMmText);
          w.dc().setViewportOrg(0, 0);
          w.rectangle(10, 200, 40, 230);                     // back to the start
        },
        page);
    const std::string name = opt ? "reset" : "incremental";
    EXPECT_TRUE(d.qpdf_ok) << name << d.qpdf_report;
    EXPECT_EQ(d.syntax_fault, "") << name << ": " << d.content;
    expectRectAt(d.raster, 10, 10, 40, 40, name + " first");
    expectRectAt(d.raster, 110, 10, 140, 40, name + " shifted");
    expectRectAt(d.raster, 10, 110, 40, 140, name + " scaled");
    // Rotation by 90 degrees: x' = -y/2 + 200, y' = x/2 + 100.
    expectRectAt(d.raster, 210, 110, 240, 140, name + " rotated");
    expectRectAt(d.raster, 10, 200, 40, 230, name + " back");
    if (opt == 0) {
      EXPECT_NE(d.content.find("1 0 0 1 100.0000 0.0000 cm"), std::string::npos) << d.content;
    }
  }
}

TEST(RenderMappingState, SaveRestoreBringsBackTheMapping) {
  PageSetup page;
  auto d = draw([](ContentWriter& w) {
    solidBlackNoPen(w);
    w.saveDC();
    w.dc().setMapMode(kMmLoEnglish);
    w.rectangle(10, -10, 50, -50);  // 7.2..36 points
    w.restoreDC();
    EXPECT_EQ(w.dc().current().map_mode, kMmText);
    EXPECT_FALSE(w.dc().yUp());
    w.rectangle(100, 100, 150, 150);
  }, page);
  EXPECT_EQ(d.syntax_fault, "") << d.content;
  expectRectAt(d.raster, 7.2, 7.2, 36, 36, "saved level");
  expectRectAt(d.raster, 100, 100, 150, 150, "restored level");
}

TEST(RenderMappingState, ExtentsRatiosAndInverseMapping) {
  TPxDCStack s;
  s.setResolution(72, 72);
  s.setPageHeight(800);
  s.setMapMode(kMmAnisotropic);
  s.setWindowExt(1000, 2000);
  s.setViewportExt(100, 100);
  Matrix6 t = s.matrix();
  EXPECT_FLOAT_EQ(t.a, 0.1f);
  EXPECT_FLOAT_EQ(t.d, 0.05f);
  EXPECT_DOUBLE_EQ(s.isotropicRatio(), 0.5);
  s.setMapMode(kMmIsotropic);
  t = s.matrix();
  EXPECT_FLOAT_EQ(t.a, 0.05f);
  EXPECT_FLOAT_EQ(t.d, 0.05f);
  EXPECT_DOUBLE_EQ(s.isotropicRatio(), 1.0);
  s.setWindowExt(33600, 47504);
  s.matrix();
  EXPECT_EQ(s.current().window_ext_x, 3360);
  EXPECT_EQ(s.current().window_ext_y, 4750);
  EXPECT_TRUE(s.specialExtent());
  // A restore with nothing saved does nothing.
  EXPECT_EQ(s.pop(1), 0);
  EXPECT_EQ(s.current().map_mode, kMmIsotropic);
  // Device points map back to logical units through the viewport mapping.
  s.setMapMode(kMmAnisotropic);
  s.setWindowExt(1000, 1000);
  s.setViewportExt(100, 100);
  s.setWindowOrg(500, 0);
  Point p = s.deviceToLogical(10, 10);
  EXPECT_EQ(p.x, 600);
  EXPECT_EQ(p.y, 100);
}

TEST(RenderMappingState, TextAlignmentFlags) {
  EXPECT_EQ(textAlignFlags(0x01), kTaFlagUpdateCp);
  EXPECT_EQ(textAlignFlags(0x06), kTaFlagCenter);
  EXPECT_EQ(textAlignFlags(0x02), kTaFlagRight);
  EXPECT_EQ(textAlignFlags(0x08), kTaFlagBottom);
  EXPECT_EQ(textAlignFlags(0x18), kTaFlagBottom | kTaFlagBaseline);
}

}  // namespace
