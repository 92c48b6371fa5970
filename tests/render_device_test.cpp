// A metafile played through the record loop onto the content writer: the
// records' mapping, objects, clips and paths end up where a reader draws them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/render/emf_record_types.h"
#include "engine/render/ps_device.h"
#include "render_support.h"
#include "testkit/mini_pdf.h"

using namespace pyra::render;

namespace {

class Emf {
 public:
  Emf() {
    std::vector<uint32_t> h(22, 0);
    h[0] = emr::kHeader;
    h[1] = 88;
    h[4] = 96; h[5] = 96;          // bounds
    h[8] = 2540; h[9] = 2540;      // frame: one inch
    h[10] = emr::kSignature;
    h[11] = 0x10000;
    h[14] = 16;
    h[18] = 960; h[19] = 960;      // reference device 96 dpi
    h[20] = 254; h[21] = 254;
    for (uint32_t w : h) word(w);
  }
  Emf& rec(uint32_t type, std::vector<uint32_t> fields) {
    word(type);
    word(uint32_t(8 + fields.size() * 4));
    for (uint32_t w : fields) word(w);
    ++records_;
    return *this;
  }
  std::vector<uint8_t> bytes() {
    rec(emr::kEof, {0, 16, 20});
    std::vector<uint8_t> out = bytes_;
    uint32_t size = uint32_t(out.size()), count = records_ + 1;
    std::memcpy(&out[48], &size, 4);
    std::memcpy(&out[52], &count, 4);
    return out;
  }

 private:
  void word(uint32_t w) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(uint8_t(w >> (8 * i)));
  }
  std::vector<uint8_t> bytes_;
  uint32_t records_ = 0;
};

constexpr uint32_t kNullPen = 0x80000008;

struct Played {
  std::string content, fault;
  pyra::testkit::Raster raster;
};

Played play(const std::vector<uint8_t>& emf, uint16_t options = 0) {
  TPxGenericPSDevice dev;
  dev.setDeviceOptions(options);
  dev.setDeviceResolution(72, 72);
  dev.writer().beginPage(200, 200, 72, 72);
  dev.writer().startOutput();
  dev.playEnhMetafile(emf, 0, 0, false, 0, 0, 0, 0);
  Played p;
  p.content = std::string(dev.writer().endOutput());
  p.fault = pyra::rendertest::syntaxFault(p.content);
  pyra::testkit::TempDir dir;
  pyra::testkit::MiniPdf pdf;
  pdf.addPage(200, 200, p.content);
  pdf.save(dir.file("p.pdf"));
  p.raster = pyra::testkit::renderPage(dir.file("p.pdf"), 1, 72);
  return p;
}

TEST(RenderDevice, AnisotropicMetafileRectangleLandsInPlace) {
  Emf e;
  e.rec(emr::kSetMapMode, {8})
      .rec(emr::kSetWindowExtEx, {1000, 1000})
      .rec(emr::kSetViewportExtEx, {96, 96})  // 1000 units = one inch
      .rec(emr::kCreateBrushIndirect, {1, 0, 0x0000FF, 0})
      .rec(emr::kSelectObject, {1})
      .rec(emr::kSelectObject, {kNullPen})
      .rec(emr::kRectangle, {1000, 500, 2000, 1500});
  Played p = play(e.bytes());
  EXPECT_EQ(p.fault, "") << p.content;
  // One inch = 72 points: (72, 36) to (144, 108).
  EXPECT_TRUE(pyra::rendertest::near(p.raster.at(108, 72), 255, 0, 0)) << p.content;
  EXPECT_TRUE(p.raster.isWhite(68, 72)) << p.content;
  EXPECT_TRUE(p.raster.isWhite(148, 72));
  EXPECT_TRUE(p.raster.isWhite(108, 32));
  EXPECT_TRUE(p.raster.isWhite(108, 112));
  EXPECT_TRUE(!p.raster.isWhite(74, 38));
  EXPECT_TRUE(!p.raster.isWhite(142, 106));
}

TEST(RenderDevice, ClipRecordsNestWithSaveAndRestore) {
  Emf e;
  e.rec(emr::kSelectObject, {kNullPen})
      .rec(emr::kSelectObject, {0x80000004})  // black brush
      .rec(emr::kSaveDC, {})
      .rec(emr::kIntersectClipRect, {20, 20, 60, 60})  // 96 dpi units: 15..45 points
      .rec(emr::kRectangle, {0, 0, 200, 200})
      .rec(emr::kRestoreDC, {uint32_t(-1)})
      .rec(emr::kSaveDC, {})
      .rec(emr::kExcludeClipRect, {100, 100, 160, 160})  // 75..120 points
      .rec(emr::kRectangle, {90, 90, 170, 170})
      .rec(emr::kRestoreDC, {uint32_t(-1)});
  Played p = play(e.bytes(), 0x0020);
  EXPECT_EQ(p.fault, "") << p.content;
  EXPECT_TRUE(p.raster.isDark(30, 30)) << p.content;
  EXPECT_TRUE(p.raster.isWhite(10, 30)) << p.content;
  EXPECT_TRUE(p.raster.isWhite(50, 30)) << p.content;
  EXPECT_TRUE(p.raster.isDark(70, 70)) << p.content;
  EXPECT_TRUE(p.raster.isWhite(97, 97)) << p.content;
  EXPECT_TRUE(p.raster.isDark(125, 125)) << p.content;
}

TEST(RenderDevice, HatchedBrushAndAbandonedPath) {
  Emf e;
  e.rec(emr::kCreateBrushIndirect, {1, 2, 0xFF0000, 4})  // blue cross hatch
      .rec(emr::kSelectObject, {1})
      .rec(emr::kSelectObject, {kNullPen})
      .rec(emr::kBeginPath, {})
      .rec(emr::kRectangle, {0, 0, 260, 260})
      .rec(emr::kEndPath, {})
      .rec(emr::kAbortPath, {})                     // the big rectangle is dropped
      .rec(emr::kEllipse, {40, 40, 200, 200});       // 30..150 points
  Played p = play(e.bytes());
  EXPECT_EQ(p.fault, "") << p.content;
  EXPECT_TRUE(p.raster.isWhite(10, 10)) << p.content;
  EXPECT_TRUE(p.raster.isWhite(185, 185)) << p.content;
  int runs = 0;
  for (int y = 88; y < 96; ++y) runs = std::max(runs, pyra::rendertest::darkRuns(p.raster, 60, y, 1, 0, 60));
  EXPECT_GE(runs, 5) << p.content;
}

}  // namespace
