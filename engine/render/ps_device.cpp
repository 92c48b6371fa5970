#include "engine/render/ps_device.h"

#include "engine/render/device_options.h"

namespace pyra::render {
namespace {

XForm xformOf(const XFORM& x) { return XForm{x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}; }

}  // namespace

TPxGenericPSDevice::TPxGenericPSDevice() : writer_(*this) {}

void TPxGenericPSDevice::setDeviceOptions(uint16_t options) {
  setOptions(options);
  writer_.setOptions(options);
}

void TPxGenericPSDevice::reset() {
  TPxGenericDevice::reset();
  sync();
  writer_.reset();
  dc().setResolution(deviceResolutionX(), deviceResolutionY());
}

void TPxGenericPSDevice::beginPlayback(const PlaybackFrame& frame) {
  sync();
  TPxDCStack& s = dc();
  // Nested playbacks are bounded by the caller; keep the frames regardless.
  saved_frames_.push_back({s.logicalResolutionX(), s.logicalResolutionY(), s.baseResolutionX(),
                           s.baseResolutionY(), s.baseMatrix(), s.zoomX(), s.zoomY()});
  s.setLogicalResolution(frame.resolution_x, frame.resolution_y);
  if (frame.use_metafile_resolution) s.setBaseResolution(frame.resolution_x, frame.resolution_y);
  s.setZoom(frame.zoom_x, frame.zoom_y);
  s.setBaseMatrix(Matrix6{float(frame.base[0]), 0, 0, float(frame.base[3]), float(frame.base[4]),
                          float(frame.base[5])});
  s.setViewportExt(frame.resolution_x, frame.resolution_y);
}

void TPxGenericPSDevice::endPlayback() {
  if (saved_frames_.empty()) return;
  const SavedFrame f = saved_frames_.back();
  saved_frames_.pop_back();
  TPxDCStack& s = dc();
  s.setLogicalResolution(f.res_x, f.res_y);
  s.setBaseResolution(f.base_res_x, f.base_res_y);
  s.setBaseMatrix(f.base);
  s.setZoom(f.zoom_x, f.zoom_y);
}

void TPxGenericPSDevice::setWorldTransform(const XFORM& xf) { dc().setWorldTransform(xformOf(xf)); }

void TPxGenericPSDevice::modifyWorldTransform(const XFORM& xf, int32_t mode) {
  dc().modifyWorldTransform(xformOf(xf), mode);
}

void TPxGenericPSDevice::selectObject(TPxBasicGDIObject& object) {
  switch (object.kind()) {
    case GdiKind::Pen: {
      const auto& p = static_cast<const TPxDvPen&>(object);
      PenValues v = p.extended ? penFromExtLogPen(p.full_style, p.width, p.color)
                               : penFromLogPen(p.full_style, p.width, p.color);
      v.style = p.style;
      v.cap_code = p.cap_code;
      if (v.style == kPsUserStyle) v.dashes = p.dashes;
      dc().selectPen(v, p.index());
      break;
    }
    case GdiKind::Brush: {
      const auto& b = static_cast<const TPxDvBrush&>(object);
      dc().selectBrush(BrushValues{b.style, b.color, b.hatch}, b.index());
      break;
    }
    case GdiKind::Font: {
      const auto& f = static_cast<const TPxDvFont&>(object);
      LogFontValues v;
      v.height = f.logfont.height;
      v.width = f.logfont.width;
      v.escapement = f.logfont.escapement;
      v.orientation = f.logfont.orientation;
      v.weight = f.logfont.weight;
      v.italic = f.logfont.italic;
      v.underline = f.logfont.underline;
      v.strike_out = f.logfont.strike_out;
      v.char_set = f.logfont.charset;
      v.out_precision = f.logfont.out_precision;
      v.clip_precision = f.logfont.clip_precision;
      v.quality = f.logfont.quality;
      v.pitch_and_family = f.logfont.pitch_and_family;
      v.setFace(f.face.data(), f.face.size());
      dc().selectFont(v, f.index());
      break;
    }
    default:
      break;
  }
}

void TPxGenericPSDevice::beginPath(int32_t kind) {
  sync();
  TPxGenericDevice::beginPath(kind);
  writer_.beginPath(kind);
}

int32_t TPxGenericPSDevice::endPath() {
  TPxGenericDevice::endPath();
  writer_.endPath();
  return writer_.pathDepth();
}

void TPxGenericPSDevice::stretchDIBits(int32_t x, int32_t y, int32_t w, int32_t h, int32_t sx, int32_t sy,
                                       int32_t sw, int32_t sh, const DibSource& dib, uint32_t rop) {
  sync();
  writer_.prepareGraphics();
  if (dc().yUp()) y = y == INT32_MIN ? INT32_MAX : -y;
  const bool transparent = rop == 0x00EE0086 || rop == 0x00BB0226 || rop == 0x008800C6;
  drawBitmap(float(x), float(y), float(w), float(h), sx, sy, sw, sh, (options() & doNoSourceCrop) == 0, dib, rop,
             transparent);
}

}  // namespace pyra::render
