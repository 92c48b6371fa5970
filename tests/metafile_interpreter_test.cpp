// The record loop: which operation each record reaches, how objects and
// handles resolve, and how damaged files fail. A recording device stands in
// for the content generator.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/pdf/error.h"
#include "engine/render/emf_record_types.h"
#include "engine/render/generic_device.h"
#include "testkit/emf_builder.h"

using namespace pyra;
using namespace pyra::render;

namespace {

using pyra::testkit::EmfBuilder;

std::vector<uint32_t> comment(int32_t code, RectI r, const std::string& payload, int32_t claimed = -1) {
  return EmfBuilder::comment(code, {r.left, r.top, r.right, r.bottom}, payload, claimed);
}

class Recorder : public TPxGenericDevice {
 public:
  std::vector<std::string> log;
  PlaybackFrame frame;

 protected:
  void beginPlayback(const PlaybackFrame& f) override { frame = f; }
  void setMapMode(int32_t m) override { log.push_back("mapmode " + std::to_string(m)); }
  void selectObject(TPxBasicGDIObject& o) override { log.push_back("select " + o.text() + describe(o)); }
  void polygon(std::span<const PointI> p) override { log.push_back("polygon " + std::to_string(p.size())); }
  void polyline(std::span<const PointI> p, bool to, bool, bool) override {
    log.push_back(std::string(to ? "polylineto " : "polyline ") + std::to_string(p.size()) + " " +
                  std::to_string(p.back().x) + "," + std::to_string(p.back().y));
  }
  void rectangle(const RectI& r) override { log.push_back("rectangle " + std::to_string(r.right)); }
  void ellipse(const RectI&, bool fill) override { log.push_back(fill ? "ellipse fill" : "ellipse outline"); }
  void saveDC() override { log.push_back("save"); }
  void restoreDC() override { log.push_back("restore"); }
  void pushState() override { log.push_back("q"); }
  void popState() override { log.push_back("Q"); }
  void selectClipRegion(int32_t mode, const RectI&, std::span<const RectI> rects) override {
    log.push_back("clip " + std::to_string(mode) + " " + std::to_string(rects.size()));
  }
  void writerCommand(int32_t code, const RectI& r, const std::string& payload, bool&) override {
    log.push_back("command " + std::to_string(code) + " " + std::to_string(r.left) + "," + std::to_string(r.top) +
                  " " + payload);
  }
  void gdiComment(std::span<const uint8_t> d) override { log.push_back("comment " + std::to_string(d.size())); }
  void extTextOut(const TextRun& run) override {
    std::string t(run.text16.begin(), run.text16.end());
    log.push_back("text " + t + " dx " + std::to_string(run.dx.size()));
  }

 private:
  static std::string describe(TPxBasicGDIObject& o) {
    if (o.kind() == GdiKind::Font) return " " + static_cast<TPxDvFont&>(o).face;
    return "";
  }
};

std::vector<uint32_t> textRecord(const std::u16string& text, bool with_dx, uint32_t dx_offset_override = 0) {
  // EMRTEXT at 36; string right after the fixed part (offset 76), dx after it.
  std::vector<uint32_t> f(17, 0);
  f[36 / 4 - 2] = 10; f[40 / 4 - 2] = 20;
  f[44 / 4 - 2] = uint32_t(text.size());
  f[48 / 4 - 2] = 76;
  size_t text_words = (text.size() * 2 + 3) / 4;
  f[72 / 4 - 2] = dx_offset_override ? dx_offset_override : (with_dx ? uint32_t(76 + text_words * 4) : 0);
  std::vector<uint16_t> units(text.begin(), text.end());
  if (units.size() % 2) units.push_back(0);
  for (size_t i = 0; i < units.size(); i += 2) f.push_back(units[i] | uint32_t(units[i + 1]) << 16);
  if (with_dx) for (size_t i = 0; i < text.size(); ++i) f.push_back(7);
  return f;
}

}  // namespace

TEST(Interpreter, RefusesWhatIsNotAnEnhancedMetafile) {
  Recorder d;
  std::vector<std::vector<uint8_t>> bad = {{}, std::vector<uint8_t>(87, 0), std::vector<uint8_t>(200, 0x20)};
  auto wrong_signature = EmfBuilder().bytes();
  wrong_signature[40] = 'X';
  bad.push_back(wrong_signature);
  for (auto& b : bad) {
    try {
      d.playEnhMetafile(b, 0, 0, false, 0, 0, 0, 0);
      FAIL() << "accepted " << b.size() << " bytes";
    } catch (const Error& e) {
      EXPECT_EQ(e.code(), kErrMetafile);
      EXPECT_STREQ(e.what(), "This is not an enhanced metafile");
    }
  }
}

TEST(Interpreter, DispatchesRecordsAndResolvesObjects) {
  EmfBuilder b;
  b.record(emr::kSetMapMode, {8})
      .record(emr::kCreatePen, {1, 0x200, 3, 0, 0xFF})
      .record(emr::kSelectObject, {1})
      .record(emr::kSelectObject, {0x80000000u | 15})   // the default palette: nothing
      .record(emr::kSelectObject, {0x80000000u | 17})   // a stock font: Arial
      .record(emr::kSelectObject, {9999})               // outside the handle map
      .record(emr::kPolylineTo16, {0, 0, 0, 0, 2, 0x00020001, 0xFFFF0005})
      .record(emr::kArc, {0, 0, 10, 10, 0, 0, 0, 0})
      .record(emr::kRectangle, {0, 0, 50, 50})
      .record(emr::kExtTextOutW, textRecord(u"Hi", true))
      .record(emr::kExtTextOutW, textRecord(u"Far", true, 0x7FFFFFF0));  // dx outside the file: absent
  Recorder d;
  d.playEnhMetafile(b.bytes(), 0, 0, false, 0, 0, 0, 0);
  std::vector<std::string> want = {
      "mapmode 8",
      "select TPxDvPen[12] style:0 color:255 width:3",
      "select TPxDvFont[11] height:-10 Arial",
      "polylineto 2 5,-1",
      "ellipse outline",
      "rectangle 50",
      "text Hi dx 2",
      "text Far dx 0",
  };
  EXPECT_EQ(d.log, want);
  EXPECT_TRUE(d.warnings().empty());
}

TEST(Interpreter, PrivateCommentsReachTheWriterOnlyWhenWellFormed) {
  EmfBuilder b;
  b.record(emr::kGdiComment, comment(501, {10, 20, 30, 40}, "http://example.org"))
      .record(emr::kGdiComment, comment(502, {1, 2, 1, 2}, "Name", 99))  // length lies: an ordinary comment
      .record(emr::kGdiComment, {4, 0x12345678});
  Recorder d;
  d.playEnhMetafile(b.bytes(), 0, 0, false, 0, 0, 0, 0);
  ASSERT_EQ(d.log.size(), 3u);
  EXPECT_EQ(d.log[0], "command 501 10,20 http://example.org");
  EXPECT_EQ(d.log[1].rfind("comment ", 0), 0u);
  EXPECT_EQ(d.log[2], "comment 4");
}

TEST(Interpreter, ClipLevelsOpenOnlyWhenAnotherRegionFollows) {
  std::vector<uint32_t> region = {48, 5, 32, 1, 1, 16, 0, 0, 10, 10, 0, 0, 10, 10};
  EmfBuilder b;
  b.record(emr::kExtSelectClipRgn, region).record(emr::kExtSelectClipRgn, region);
  Recorder d;
  d.setOptions(0x0020);
  d.playEnhMetafile(b.bytes(), 0, 0, false, 0, 0, 0, 0);
  std::vector<std::string> want = {"q", "clip 5 1", "Q", "clip 5 1"};
  EXPECT_EQ(d.log, want);

  // Without the clipping option the records change nothing.
  Recorder off;
  off.playEnhMetafile(b.bytes(), 0, 0, false, 0, 0, 0, 0);
  EXPECT_TRUE(off.log.empty());
}

TEST(Interpreter, ClipInsideASaveLevelEndsWithIt) {
  EmfBuilder b;
  b.record(emr::kSaveDC, {})
      .record(emr::kIntersectClipRect, {0, 0, 10, 10})
      .record(emr::kRestoreDC, {uint32_t(-1)})
      .record(emr::kExtSelectClipRgn, {48, 5, 32, 1, 1, 16, 0, 0, 10, 10, 0, 0, 10, 10});
  Recorder d;
  d.setOptions(0x0020);
  d.playEnhMetafile(b.bytes(), 0, 0, false, 0, 0, 0, 0);
  std::vector<std::string> want = {"save", "clip 1 0", "restore", "clip 5 1"};
  EXPECT_EQ(d.log, want);
}

TEST(Interpreter, FrameAndRequestedSizeGiveTheScale) {
  // A 1-inch frame at 96 dpi asked to fill 144 device units at 72 dpi:
  // twice as large.
  Recorder d;
  d.setDeviceResolution(72, 72);
  d.playEnhMetafile(EmfBuilder().bytes(), 0, 0, false, 144, 144, 72, 36);
  EXPECT_EQ(d.frame.resolution_x, 96);
  EXPECT_DOUBLE_EQ(d.frame.zoom_x, 2.0);
  EXPECT_DOUBLE_EQ(d.frame.base[0], 72.0 / 96 * 2);
  EXPECT_DOUBLE_EQ(d.frame.base[4], 36.0);
  EXPECT_DOUBLE_EQ(d.frame.base[5], 72.0);
  // A zero frame plays at the reference device's resolution.
  Recorder z;
  z.playEnhMetafile(EmfBuilder(EmfBuilder::Rect{0, 0, 0, 0}).bytes(), 0, 0, false, 0, 0, 0, 0);
  EXPECT_EQ(z.frame.resolution_x, 96);
  EXPECT_DOUBLE_EQ(z.frame.zoom_x, 1.0);
}

TEST(Interpreter, DamagedFilesFailCleanly) {
  EmfBuilder b;
  b.record(emr::kCreatePen, {1, 0, 1, 0, 0})
      .record(emr::kSelectObject, {1})
      .record(emr::kPolygon, {0, 0, 0, 0, 3, 0, 0, 10, 0, 10, 10})
      .record(emr::kExtTextOutW, textRecord(u"abc", true))
      .record(emr::kPolyPolygon16, {0, 0, 0, 0, 2, 4, 2, 2, 0, 0x00010001, 0x00020002, 0x00030003})
      .record(emr::kExtSelectClipRgn, {48, 5, 32, 1, 1, 16, 0, 0, 10, 10, 0, 0, 10, 10});
  const std::vector<uint8_t> good = b.bytes();
  struct Case { std::string name; std::vector<uint8_t> bytes; bool may_throw; };
  std::vector<Case> cases;
  // Cut at every 4-byte boundary after the header.
  for (size_t n = 88; n < good.size(); n += 4) {
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(n));
    cases.push_back({"cut at " + std::to_string(n), cut, true});
  }
  // Lying sizes, counts and offsets inside otherwise whole files.
  auto patch = [&](size_t at, uint32_t v) {
    auto copy = good;
    std::memcpy(&copy[at], &v, 4);
    return copy;
  };
  size_t first = 88;
  cases.push_back({"record size 0", patch(first + 4, 0), true});
  cases.push_back({"record size odd", patch(first + 4, 27), true});
  cases.push_back({"record size past end", patch(first + 4, 0x7FFFFFF0), true});
  size_t polygon = 88 + 28 + 16;
  cases.push_back({"point count too large", patch(polygon + 24, 0x40000000), false});
  cases.push_back({"point count overflows", patch(polygon + 24, 0xFFFFFFFF), false});
  cases.push_back({"record count huge", patch(52, 0xFFFFFFFF), true});
  for (auto& c : cases) {
    Recorder d;
    d.setOptions(0x0020);
    try {
      d.playEnhMetafile(c.bytes, 0, 0, false, 0, 0, 0, 0);
    } catch (const Error& e) {
      EXPECT_TRUE(c.may_throw) << c.name << ": " << e.what();
      EXPECT_EQ(e.code(), kErrMetafile) << c.name;
    }
  }
}
