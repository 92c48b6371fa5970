// Where text runs land: the ink of "HHHH" rendered by poppler against the
// box a Windows device gives it, for every alignment, with and without
// advances, rotated, under several mappings.
#include <cmath>
#include <numbers>

#include "render_text_support.h"

using namespace pyra::testkit;
using namespace pyra::testkit::text;

namespace {

// The "H" of the Arial-metric face, in em: ink from kInkLeft to kInkRight
// of each advance, cap height, ascent and descent of the face.
constexpr double kAdvance = 0.7222, kInkLeft = 0.080, kInkRight = 0.642, kCap = 0.688;
constexpr double kAscent = 0.905, kDescent = 0.212;
constexpr double kEm = 40;     // device pixels
constexpr int kTolerance = 3;  // pixels

enum class Mapping { Text, Twips, Anisotropic, AnisotropicFine };

struct Case {
  const char* name;
  Mapping mapping;
  uint32_t align;
  int32_t escapement;  // tenths of a degree
  bool dx;             // advances of 50 px each
  double ref_x, ref_y; // device pixels
};

// Device pixels to the mapping's logical units.
struct Map {
  double sx, sy;  // logical units per pixel (sy negative: y up)
  int32_t lx(double px) const { return int32_t(std::lround(px * sx)); }
  int32_t ly(double py) const { return int32_t(std::lround(py * sy)); }
};

Map setUp(EmfBuilder& b, Mapping m) {
  switch (m) {
    case Mapping::Text: return {1, 1};
    case Mapping::Twips: b.record(kSetMapMode, {6}); return {15, -15};
    case Mapping::Anisotropic:
      b.record(kSetMapMode, {8}).record(kSetWindowExt, {1000, 500}).record(kSetViewportExt, {500, 500});
      return {2, 1};
    case Mapping::AnisotropicFine:  // extents past 30000: coordinates written with a divisor
      b.record(kSetMapMode, {8}).record(kSetWindowExt, {40000, 20000}).record(kSetViewportExt, {500, 500});
      return {80, 40};
  }
  return {1, 1};
}

// The ink box of the run in device pixels.
Box expected(const Case& c) {
  const double adv = c.dx ? 50 : kAdvance * kEm, width = 4 * adv;
  const double ax = (c.align & kTaCenter) == kTaCenter ? -width / 2 : (c.align & kTaRight) ? -width : 0;
  const double base = (c.align & kTaBaseline) == kTaBaseline ? 0 : (c.align & kTaBottom) ? kDescent * kEm
                                                                                          : -kAscent * kEm;
  const double x0 = ax + kInkLeft * kEm, x1 = ax + 3 * adv + kInkRight * kEm;
  const double y0 = base, y1 = base + kCap * kEm;
  const double t = c.escapement / 10.0 * std::numbers::pi / 180, cs = std::cos(t), sn = std::sin(t);
  double l = 1e9, r = -1e9, top = 1e9, bottom = -1e9;
  for (double tx : {x0, x1})
    for (double ty : {y0, y1}) {
      // Text space is y-up; the raster is y-down.
      const double px = c.ref_x + tx * cs - ty * sn, py = c.ref_y - tx * sn - ty * cs;
      l = std::min(l, px), r = std::max(r, px), top = std::min(top, py), bottom = std::max(bottom, py);
    }
  return {int(std::lround(l)), int(std::lround(top)), int(std::lround(r)), int(std::lround(bottom))};
}

class Placement : public ::testing::TestWithParam<Case> {};

TEST_P(Placement, InkWhereAWindowsDeviceDrawsIt) {
  const Case& c = GetParam();
  EmfBuilder b = pageMetafile();
  const Map m = setUp(b, c.mapping);
  FontSpec f;
  f.height = -int32_t(std::lround(kEm * std::abs(m.sy)));
  f.escapement = c.escapement;
  selectFont(b, f);
  b.record(kSetTextAlign, {c.align});
  TextSpec t{m.lx(c.ref_x), m.ly(c.ref_y), u"HHHH"};
  if (c.dx) t.dx.assign(4, int32_t(std::lround(50 * m.sx)));
  textOut(b, t);
  Doc doc;
  doc.play(b.bytes());
  doc.end();
  const Raster r = renderPage(doc.file, 1, 96);
  ASSERT_EQ(r.width, 768) << c.name;
  const Box got = darkBox(r), want = expected(c);
  ASSERT_FALSE(got.empty()) << c.name << ": nothing drawn";
  EXPECT_NEAR(got.left, want.left, kTolerance) << c.name << " left";
  EXPECT_NEAR(got.right, want.right, kTolerance) << c.name << " right";
  EXPECT_NEAR(got.top, want.top, kTolerance) << c.name << " top";
  EXPECT_NEAR(got.bottom, want.bottom, kTolerance) << c.name << " bottom";
}

const Case kCases[] = {
    {"text_left_top", Mapping::Text, kTaTop, 0, false, 300, 150},
    {"text_centre_top", Mapping::Text, kTaCenter, 0, false, 300, 150},
    {"text_right_top", Mapping::Text, kTaRight, 0, false, 300, 150},
    {"text_left_baseline", Mapping::Text, kTaBaseline, 0, false, 300, 150},
    {"text_left_bottom", Mapping::Text, kTaBottom, 0, false, 300, 150},
    {"text_left_top_dx", Mapping::Text, kTaTop, 0, true, 300, 150},
    {"text_centre_baseline_dx", Mapping::Text, kTaCenter | kTaBaseline, 0, true, 300, 150},
    {"text_right_bottom_dx", Mapping::Text, kTaRight | kTaBottom, 0, true, 300, 150},
    {"text_rotated_90", Mapping::Text, kTaTop, 900, false, 300, 300},
    {"text_rotated_90_dx", Mapping::Text, kTaBaseline, 900, true, 300, 300},
    {"text_rotated_30", Mapping::Text, kTaBaseline, 300, false, 200, 250},
    {"text_rotated_30_dx_right", Mapping::Text, kTaRight, 300, true, 500, 250},
    {"twips_left_top", Mapping::Twips, kTaTop, 0, false, 300, 150},
    {"twips_centre_baseline_dx", Mapping::Twips, kTaCenter | kTaBaseline, 0, true, 300, 150},
    {"twips_right_bottom", Mapping::Twips, kTaRight | kTaBottom, 0, false, 300, 150},
    {"twips_rotated_90", Mapping::Twips, kTaBaseline, 900, false, 300, 300},
    {"twips_rotated_30_dx", Mapping::Twips, kTaTop, 300, true, 200, 250},
    {"aniso_left_top", Mapping::Anisotropic, kTaTop, 0, false, 300, 150},
    {"aniso_right_baseline_dx", Mapping::Anisotropic, kTaRight | kTaBaseline, 0, true, 300, 150},
    {"aniso_centre_bottom", Mapping::Anisotropic, kTaCenter | kTaBottom, 0, false, 300, 150},
    {"aniso_rotated_90_dx", Mapping::Anisotropic, kTaTop, 900, true, 300, 300},
    {"aniso_fine_centre_top_dx", Mapping::AnisotropicFine, kTaCenter, 0, true, 300, 150},
    {"aniso_fine_rotated_30", Mapping::AnisotropicFine, kTaBaseline, 300, false, 200, 250},
};

INSTANTIATE_TEST_SUITE_P(Runs, Placement, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Update-current-position: consecutive runs continue where the last ended.
TEST(Placement, UpdateCurrentPositionChainsRuns) {
  EmfBuilder b = pageMetafile();
  selectFont(b, FontSpec{});
  b.record(kSetTextAlign, {kTaUpdateCp | kTaBaseline});
  b.record(27, {100, 200});  // MOVETOEX
  textOut(b, {0, 0, u"HH", {50, 50}});
  textOut(b, {0, 0, u"HH", {50, 50}});
  Doc doc;
  doc.play(b.bytes());
  doc.end();
  const Raster r = renderPage(doc.file, 1, 96);
  const Box got = darkBox(r);
  ASSERT_FALSE(got.empty());
  EXPECT_NEAR(got.left, 100 + kInkLeft * kEm, kTolerance);
  EXPECT_NEAR(got.right, 100 + 150 + kInkRight * kEm, kTolerance);
  EXPECT_NEAR(got.bottom, 200, kTolerance);
}

}  // namespace
