#pragma once
// Plays an enhanced metafile held in memory: checks the header, derives the
// scale from the frame and the requested rectangle, and dispatches each
// record to a state change, the object table or a drawing operation.
//
// The drawing and state operations are virtual; the content-stream
// generator implements them. Records are read in place and every field is
// bounds-checked against its record, and every offset against the file.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/render/gdi_objects.h"
#include "engine/render/gdi_values.h"
#include "pyra/gdi_types.h"

namespace pyra::render {


// The text of an EXTTEXTOUTA/W record, with offsets already resolved.
struct TextRun {
  PointI reference;
  uint32_t options = 0;
  RectI rectangle;
  bool wide = false;
  std::span<const uint8_t> text8;    // 8-bit text
  std::vector<uint16_t> text16;      // UTF-16 text (copied: records need not be aligned)
  std::vector<int32_t> dx;           // empty when absent or short
};

// A bitmap of a block-transfer record.
struct DibSource {
  std::span<const uint8_t> header;  // BITMAPINFO: header and colour table
  std::span<const uint8_t> bits;
};

// Playback geometry handed to the state layer when a metafile starts.
struct PlaybackFrame {
  int32_t resolution_x = 96, resolution_y = 96;
  double zoom_x = 1, zoom_y = 1;
  double base[6] = {1, 0, 0, 1, 0, 0};  // [sx 0 0 sy ox oy]
  bool use_metafile_resolution = false;
};

class TPxGenericDevice {
 public:
  TPxGenericDevice() = default;
  virtual ~TPxGenericDevice() = default;
  TPxGenericDevice(const TPxGenericDevice&) = delete;
  TPxGenericDevice& operator=(const TPxGenericDevice&) = delete;

  // Plays `data` onto the current page. res_x/res_y override the
  // metafile's resolution when above 0; width/height (device units)
  // request an output size at (x, y). Throws pyra::Error(kErrMetafile) for
  // a file that is not an enhanced metafile; a damaged record ends the
  // playback with that error after the state is restored.
  bool playEnhMetafile(std::span<const uint8_t> data, int32_t res_y, int32_t res_x, bool no_play,
                       int32_t height, int32_t width, int32_t y, int32_t x);

  TPxGenericDeviceObjects& objects() { return objects_; }
  void setDeviceResolution(int32_t x, int32_t y) { device_res_x_ = x; device_res_y_ = y; }
  int32_t deviceResolutionX() const { return device_res_x_; }
  int32_t deviceResolutionY() const { return device_res_y_; }
  uint16_t options() const { return options_; }
  void setOptions(uint16_t o) { options_ = o; }
  // Break extra and count of the last text-justification record.
  int32_t breakExtra() const { return break_extra_; }
  int32_t breakCount() const { return break_count_; }

  // Warnings of the last playback (records skipped as damaged).
  const std::vector<std::string>& warnings() const { return warnings_; }

 protected:
  // --- hooks of the writer ------------------------------------------------
  virtual bool beginPlay(int32_t right, int32_t bottom, int32_t res_y, int32_t res_x) { return false; }
  virtual void endPlay(bool begun) {}
  virtual void reset();

  // --- device-context state ---------------------------------------------
  // Called when a playback starts and ends; the state layer keeps the
  // previous frame and restores it.
  virtual void beginPlayback(const PlaybackFrame& frame) {}
  virtual void endPlayback() {}
  virtual void setMapMode(int32_t mode) {}
  virtual void setWindowExt(int32_t x, int32_t y) {}
  virtual void setWindowOrg(int32_t x, int32_t y) {}
  virtual void setViewportExt(int32_t x, int32_t y) {}
  virtual void setViewportOrg(int32_t x, int32_t y) {}
  virtual void scaleViewportExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd) {}
  virtual void scaleWindowExt(int32_t xn, int32_t xd, int32_t yn, int32_t yd) {}
  virtual void setBrushOrg(int32_t x, int32_t y) {}
  virtual void setWorldTransform(const XFORM& xf) {}
  virtual void modifyWorldTransform(const XFORM& xf, int32_t mode) {}
  virtual void setBkMode(int32_t mode) {}
  virtual void setPolyFillMode(int32_t mode) {}
  virtual void setRop2(int32_t rop) {}
  virtual void setTextAlign(int32_t align) {}
  virtual void setTextColor(uint32_t color) {}
  virtual void setBkColor(uint32_t color) {}
  virtual void setArcDirection(int32_t direction) {}
  virtual void selectObject(TPxBasicGDIObject& object) {}
  virtual void selectPalette(TPxDvPalette& palette) {}
  // Logical point to page points; y-up is the state's flag.
  virtual PointI logicalToPage(PointI p) { return p; }
  virtual bool yUp() const { return false; }

  // --- drawing operations ------------------------------------------------
  virtual void finishPending() {}
  virtual void polyBezier(std::span<const PointI> points, bool to) {}
  virtual void polygon(std::span<const PointI> points) {}
  virtual void polyline(std::span<const PointI> points, bool to, bool prepare, bool paint) {}
  virtual void setPixel(int32_t x, int32_t y, uint32_t color) {}
  virtual void moveTo(int32_t x, int32_t y) {}
  virtual void saveDC() {}
  virtual void restoreDC() {}
  virtual void popState() {}
  virtual void pushState() {}
  virtual void angleArc(int32_t x, int32_t y, uint32_t radius, float start, float sweep) {}
  virtual void ellipse(const RectI& r, bool fill) {}
  virtual void rectangle(const RectI& r) {}
  virtual void roundRect(const RectI& r, int32_t cw, int32_t ch) {}
  virtual void arc(const RectI& r, PointI start, PointI end, bool to) {}
  virtual void chord(const RectI& r, PointI start, PointI end) {}
  virtual void pie(const RectI& r, PointI start, PointI end) {}
  virtual void lineTo(int32_t x, int32_t y) {}
  virtual void beginPath(int32_t kind) { ++path_depth_; }
  // Returns the brackets still open.
  virtual int32_t endPath() { if (path_depth_ > 0) --path_depth_; return path_depth_; }
  virtual void paintPath(bool stroke, bool fill) {}
  virtual void closeFigure() {}
  virtual void selectClipPath(int32_t mode) {}
  virtual void selectClipRegion(int32_t mode, const RectI& bounds, std::span<const RectI> rects) {}
  virtual void excludeClipRect(const RectI& r) {}
  // A comment the device may act on. Private writer comments arrive
  // through the two command hooks below instead.
  virtual void gdiComment(std::span<const uint8_t> data) {}
  // A writer command with its rectangle in page points and the payload as
  // 8-bit text; codes from 3000 up go to dataCommand with the rectangle in
  // logical units.
  virtual void writerCommand(int32_t code, const RectI& page_rect, const std::string& payload, bool& handled) {}
  virtual void dataCommand(int32_t code, const RectI& rect, std::span<const uint8_t> payload, bool& handled) {}
  // The UTF-16 comment format: identifier, then UTF-16 payload.
  virtual void wideComment(std::span<const uint8_t> data) {}
  virtual void patBlt(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rop) {}
  virtual void stretchDIBits(int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy, int32_t sw,
                             int32_t sh, const DibSource& dib, uint32_t rop) {}
  virtual void extTextOut(const TextRun& run) {}

  int32_t pathDepth() const { return path_depth_; }
  void warn(std::string text) { if (warnings_.size() < 100) warnings_.push_back(std::move(text)); }

 private:
  class Record;
  void playRecords(std::span<const uint8_t> data, uint32_t record_count, uint32_t header_size);
  void playRecord(const Record& r, std::span<const uint8_t> data, size_t next);
  int32_t resolve(uint32_t handle) const;
  void mapHandle(uint32_t handle, int32_t index);
  void makePen(uint32_t handle, uint32_t style, int32_t width, uint32_t color, std::vector<uint32_t> dashes,
               bool extended);
  // For every clip record, whether the next region selection comes before
  // its save level closes (then it needs a level of its own). One pass over
  // the file, so clip-heavy files stay linear.
  void precomputeClips(std::span<const uint8_t> data, size_t first);
  void beginClip(size_t record_offset);
  void closeClipLevel();

  TPxGenericDeviceObjects objects_;
  std::vector<int32_t> handle_map_;
  std::vector<PointI> points_;  // reused for point lists
  std::vector<std::pair<size_t, bool>> clip_answers_;  // by record offset
  int32_t device_res_x_ = 72, device_res_y_ = 72;
  uint16_t options_ = 0;
  int32_t path_depth_ = 0;
  bool clip_pushed_ = false;
  int32_t break_extra_ = 0, break_count_ = 0;
  std::vector<std::string> warnings_;
};

}  // namespace pyra::render
