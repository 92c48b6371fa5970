// Drives the content writer with arbitrary operations and values: whatever
// the calls, the stream must stay valid and nothing may crash.
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/render/content_writer.h"
#include "fuzz/render_content_check.h"

using namespace pyra::render;

namespace {

class Input {
 public:
  Input(const uint8_t* d, size_t n) : d_(d), n_(n) {}
  bool more() const { return at_ < n_; }
  uint8_t u8() { return at_ < n_ ? d_[at_++] : 0; }
  int32_t i32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(u8()) << (8 * i);
    // Mostly small values, sometimes the extremes.
    switch (v & 3) {
      case 0: return int32_t(v >> 20) - 2048;
      case 1: return int32_t(v);
      default: return int32_t(v >> 24);
    }
  }
  float f32() {
    uint32_t v = uint32_t(i32());
    float f;
    std::memcpy(&f, &v, 4);
    return f;
  }

 private:
  const uint8_t* d_;
  size_t n_;
  size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  ContentWriter w(TPxDeviceOptions(in.u8() | (in.u8() << 8)));
  w.beginPage(612, 792, 96, 96);
  w.startOutput();
  std::vector<Point> pts;
  int ops = 0;
  while (in.more() && ops++ < 2000) {
    switch (in.u8() % 40) {
      case 0: w.dc().setMapMode(in.i32()); break;
      case 1: w.dc().setWindowExt(in.i32(), in.i32()); break;
      case 2: w.dc().setViewportExt(in.i32(), in.i32()); break;
      case 3: w.dc().setWindowOrg(in.i32(), in.i32()); break;
      case 4: w.dc().setViewportOrg(in.i32(), in.i32()); break;
      case 5: w.dc().setWorldTransform(XForm{in.f32(), in.f32(), in.f32(), in.f32(), in.f32(), in.f32()}); break;
      case 6: w.dc().modifyWorldTransform(XForm{in.f32(), in.f32(), in.f32(), in.f32(), in.f32(), in.f32()}, in.u8() % 5); break;
      case 7: w.dc().scaleWindowExt(in.i32(), in.i32(), in.i32(), in.i32()); break;
      case 8: w.dc().selectPen(penFromExtLogPen(uint32_t(in.i32()), in.i32(), uint32_t(in.i32()))); break;
      case 9: w.dc().selectBrush(BrushValues{uint8_t(in.u8() % 4), uint32_t(in.i32()), in.u8() % 7}); break;
      case 10: w.dc().setPolyFillMode(in.u8() % 3); break;
      case 11: w.saveDC(); break;
      case 12: w.restoreDC(); break;
      case 13: w.moveTo(in.i32(), in.i32()); break;
      case 14: w.lineTo(in.i32(), in.i32()); break;
      case 15: w.rectangle(in.i32(), in.i32(), in.i32(), in.i32()); break;
      case 16: w.roundRect(in.i32(), in.i32(), in.i32(), in.i32(), in.i32(), in.i32()); break;
      case 17: w.ellipse(in.i32(), in.i32(), in.i32(), in.i32(), in.u8() & 1); break;
      case 18: w.arc(in.i32(), in.i32(), in.i32(), in.i32(), in.i32(), in.i32(), in.i32(), in.i32(), in.u8() & 1); break;
      case 19: w.chord(in.i32(), in.i32(), in.i32(), in.i32(), in.i32(), in.i32(), in.i32(), in.i32()); break;
      case 20: w.pie(in.i32(), in.i32(), in.i32(), in.i32(), in.i32(), in.i32(), in.i32(), in.i32()); break;
      case 21: w.angleArc(in.i32(), in.i32(), uint32_t(in.i32()), in.f32(), in.f32()); break;
      case 22:
      case 23:
      case 24:
      case 25: {
        pts.resize(in.u8() % 12);
        for (Point& p : pts) p = {in.i32(), in.i32()};
        const uint8_t k = in.u8() % 5;
        if (k == 0) w.polyline(pts, in.u8() & 1);
        if (k == 1) w.polygon(pts);
        if (k == 2) w.polyBezier(pts, in.u8() & 1);
        if (k == 3) {
          const uint32_t counts[] = {in.u8() % 8u, in.u8() % 8u, uint32_t(in.i32())};
          w.polyPolygon(pts, counts);
        }
        if (k == 4) {
          const uint32_t counts[] = {in.u8() % 8u, in.u8() % 8u};
          w.polyPolyline(pts, counts);
        }
        break;
      }
      case 26: w.beginPath(); break;
      case 27: w.endPath(); break;
      case 28: w.abortPath(); break;
      case 29: w.closeFigure(); break;
      case 30: w.paintPath(in.u8() & 1, in.u8() & 1); break;
      case 31: w.selectClipPath(in.u8() % 6); break;
      case 32: {
        std::vector<Rect> rects(in.u8() % 4);
        for (Rect& r : rects) r = {in.i32(), in.i32(), in.i32(), in.i32()};
        w.selectClipRegion(in.u8() % 6, Rect{in.i32(), in.i32(), in.i32(), in.i32()}, rects);
        break;
      }
      case 33: w.excludeClipRect({in.i32(), in.i32(), in.i32(), in.i32()}); break;
      case 34: w.patBlt(in.i32(), in.i32(), in.i32(), in.i32(), uint32_t(in.i32())); break;
      case 35: w.fillRectColor(in.i32(), in.i32(), in.i32(), in.i32(), uint32_t(in.i32())); break;
      case 36: w.pushState(); break;
      case 37: w.popState(); break;
      case 38: w.enterText(); break;
      case 39: w.setPixel(in.i32(), in.i32(), 0); break;
    }
  }
  pyra::fuzz::checkContent(w.endOutput());
  return 0;
}
