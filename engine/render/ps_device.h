#pragma once
// The device that turns a playing metafile into page content: the record
// loop's state and drawing operations land on the device-context stack and
// the content writer.
//
// The page writer derives from this class: it overrides isOutputOpen to
// create the page's content stream on the first drawing operation, takes
// the finished content with writer().endOutput(), and fills the text and
// image hooks.
#include <cstdint>
#include <vector>

#include "engine/render/content_writer.h"
#include "engine/render/generic_device.h"

namespace pyra::render {

class TPxGenericPSDevice : public TPxGenericDevice {
 public:
  TPxGenericPSDevice();

  ContentWriter& writer() { return writer_; }
  TPxDCStack& dc() { return writer_.dc(); }
  // Sets the device options for the record loop and the writer alike.
  void setDeviceOptions(uint16_t options);

  // True while the page's content is open. The page writer opens
  // it here on demand and returns whether that worked.
  virtual bool isOutputOpen() { return writer_.active(); }

 protected:
  void reset() override;

  void beginPlayback(const PlaybackFrame& frame) override;
  void endPlayback() override;
  void setMapMode(int32_t mode) override { dc().setMapMode(mode); }
  void setWindowExt(int32_t x, int32_t y) override { dc().setWindowExt(x, y); }
  void setWindowOrg(int32_t x, int32_t y) override { dc().setWindowOrg(x, y); }
  void setViewportExt(int32_t x, int32_t y) override { dc().setViewportExt(x, y); }
  void setViewportOrg(int32_t x, int32_t y) override { dc().setViewportOrg(x, y); }
  void scaleViewportExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd) override {
    dc().scaleViewportExt(xn, xd, yn, yd);
  }
  void scaleWindowExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd) override {
    dc().scaleWindowExt(xn, xd, yn, yd);
  }
  void setBrushOrg(int32_t x, int32_t y) override { dc().setBrushOrg(x, y); }
  void setWorldTransform(const XFORM& xf) override;
  void modifyWorldTransform(const XFORM& xf, int32_t mode) override;
  void setBkMode(int32_t mode) override { dc().setBkMode(mode); }
  void setPolyFillMode(int32_t mode) override { dc().setPolyFillMode(mode); }
  void setRop2(int32_t rop) override { dc().setRop2(rop); }
  void setTextAlign(int32_t align) override { dc().setTextAlign(align); }
  void setTextColor(uint32_t color) override { dc().setTextColour(color); }
  void setBkColor(uint32_t color) override { dc().setBkColour(color); }
  void setArcDirection(int32_t direction) override { dc().setArcDirection(direction); }
  void selectObject(TPxBasicGDIObject& object) override;
  void selectPalette(TPxDvPalette& palette) override { dc().selectPalette(palette.index()); }
  PointI logicalToPage(PointI p) override { return dc().logicalToPage(p.x, p.y); }
  bool yUp() const override { return const_cast<TPxGenericPSDevice*>(this)->dc().yUp(); }

  void finishPending() override { writer_.finishPending(); }
  void polyBezier(std::span<const PointI> points, bool to) override { sync(); writer_.polyBezier(points, to); }
  void polygon(std::span<const PointI> points) override { sync(); writer_.polygon(points); }
  void polyline(std::span<const PointI> points, bool to, bool prepare, bool paint) override {
    sync();
    writer_.polyline(points, to, prepare, paint);
  }
  void setPixel(int32_t x, int32_t y, uint32_t color) override { sync(); writer_.setPixel(x, y, color); }
  void moveTo(int32_t x, int32_t y) override { writer_.moveTo(x, y); }
  void saveDC() override { sync(); writer_.saveDC(); }
  void restoreDC() override { writer_.restoreDC(); }
  void popState() override { writer_.popState(); }
  void pushState() override { sync(); writer_.pushState(); }
  void angleArc(int32_t x, int32_t y, uint32_t radius, float start, float sweep) override {
    sync();
    writer_.angleArc(x, y, radius, start, sweep);
  }
  void ellipse(const RectI& r, bool fill) override { sync(); writer_.ellipse(r.left, r.top, r.right, r.bottom, fill); }
  void rectangle(const RectI& r) override { sync(); writer_.rectangle(r.left, r.top, r.right, r.bottom); }
  void roundRect(const RectI& r, int32_t cw, int32_t ch) override {
    sync();
    writer_.roundRect(r.left, r.top, r.right, r.bottom, cw, ch);
  }
  void arc(const RectI& r, PointI s, PointI e, bool to) override {
    sync();
    writer_.arc(r.left, r.top, r.right, r.bottom, s.x, s.y, e.x, e.y, to);
  }
  void chord(const RectI& r, PointI s, PointI e) override {
    sync();
    writer_.chord(r.left, r.top, r.right, r.bottom, s.x, s.y, e.x, e.y);
  }
  void pie(const RectI& r, PointI s, PointI e) override {
    sync();
    writer_.pie(r.left, r.top, r.right, r.bottom, s.x, s.y, e.x, e.y);
  }
  void lineTo(int32_t x, int32_t y) override { sync(); writer_.lineTo(x, y); }
  void beginPath(int32_t kind) override;
  int32_t endPath() override;
  void paintPath(bool stroke, bool fill) override { writer_.paintPath(stroke, fill); }
  void closeFigure() override { writer_.closeFigure(); }
  void selectClipPath(int32_t mode) override { sync(); writer_.selectClipPath(mode); }
  void selectClipRegion(int32_t mode, const RectI& bounds, std::span<const RectI> rects) override {
    sync();
    writer_.selectClipRegion(mode, bounds, rects);
  }
  void excludeClipRect(const RectI& r) override { sync(); writer_.excludeClipRect(r); }
  void patBlt(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rop) override {
    sync();
    writer_.patBlt(x, y, w, h, rop);
  }
  void stretchDIBits(int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                     const DibSource& dib, uint32_t rop) override;

  // The image operation: the bitmap at (x, y, w, h) in logical units (y not
  // folded; negated under the y-up flag), its source rectangle, whether the
  // source may be cropped, and whether the raster operation asks for a
  // transparent transfer. Drawing happens in the page writer.
  virtual void drawBitmap(float x, float y, float w, float h, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                          bool crop, const DibSource& dib, uint32_t rop, bool transparent) {}

 private:
  class Writer : public ContentWriter {
   public:
    explicit Writer(TPxGenericPSDevice& owner) : owner_(owner) {}
    bool isOutputOpen() override { return owner_.isOutputOpen(); }

   private:
    TPxGenericPSDevice& owner_;
  };
  // The writer follows option changes made on the record loop.
  void sync() {
    if (writer_.options() != options()) writer_.setOptions(options());
  }

  struct SavedFrame {
    int32_t res_x, res_y, base_res_x, base_res_y;
    Matrix6 base;
    double zoom_x, zoom_y;
  };
  Writer writer_;
  std::vector<SavedFrame> saved_frames_;
};

}  // namespace pyra::render
