#include "platform/emf_recorder.h"

#include <algorithm>
#include <cmath>

#include "platform/device_context.h"
#include "platform/metafile_font_hooks.h"
#include "platform/metafile_records.h"
#include "platform/pens_brushes.h"

namespace pyra::gdi {

// Object index 0 stands for the metafile itself.
EmfRecorder::EmfRecorder(const EmfRecorderSetup& s) : MetafileRecorder(1), setup_(s) {
  if (setup_.dpi_x <= 0) setup_.dpi_x = 96;
  if (setup_.dpi_y <= 0) setup_.dpi_y = 96;
  device_px_ = setup_.device_px;
  if (device_px_.cx <= 0 || device_px_.cy <= 0)
    device_px_ = {LONG(std::lround(210.0 / 25.4 * setup_.dpi_x)), LONG(std::lround(297.0 / 25.4 * setup_.dpi_y))};
  device_mm_ = {std::max<LONG>(1, LONG(std::lround(device_px_.cx * 25.4 / setup_.dpi_x))),
                std::max<LONG>(1, LONG(std::lround(device_px_.cy * 25.4 / setup_.dpi_y)))};
  if (s.frame) {
    frame_ = *s.frame;
    has_frame_ = true;
  }
  setup_.frame = nullptr;
}

IntPoint EmfRecorder::toDevice(double x, double y) const {
  const DcAttributes& a = attrs_;
  const XFORM& m = a.world;
  const double wx = x * m.eM11 + y * m.eM21 + m.eDx;
  const double wy = x * m.eM12 + y * m.eM22 + m.eDy;
  const double px_mm_x = double(device_px_.cx) / device_mm_.cx, px_mm_y = double(device_px_.cy) / device_mm_.cy;
  double sx = 1, sy = 1;
  switch (a.map_mode) {
    case mf::kMmLoMetric: sx = 0.1 * px_mm_x; sy = -0.1 * px_mm_y; break;
    case mf::kMmHiMetric: sx = 0.01 * px_mm_x; sy = -0.01 * px_mm_y; break;
    case mf::kMmLoEnglish: sx = 0.254 * px_mm_x; sy = -0.254 * px_mm_y; break;
    case mf::kMmHiEnglish: sx = 0.0254 * px_mm_x; sy = -0.0254 * px_mm_y; break;
    case mf::kMmTwips: sx = 25.4 / 1440 * px_mm_x; sy = -25.4 / 1440 * px_mm_y; break;
    case mf::kMmIsotropic: case mf::kMmAnisotropic:
      sx = double(a.viewport_ext.x) / (a.window_ext.x ? a.window_ext.x : 1);
      sy = double(a.viewport_ext.y) / (a.window_ext.y ? a.window_ext.y : 1);
      break;
    default: break;
  }
  const double dx = (wx - a.window_org.x) * sx + a.viewport_org.x;
  const double dy = (wy - a.window_org.y) * sy + a.viewport_org.y;
  auto clamp = [](double v) { return int32_t(std::clamp(std::floor(v + 0.5), -1e9, 1e9)); };
  return {clamp(dx), clamp(dy)};
}

RECTL EmfRecorder::deviceBounds(std::span<const IntPoint> pts) const {
  BoundsBox b;
  for (const IntPoint& p : pts) {
    const IntPoint d = toDevice(p.x, p.y);
    b.add(d.x, d.y);
  }
  return b.r;
}

void EmfRecorder::addBounds(const RECTL& r) { bounds_.add(r); }

void EmfRecorder::objectSelected(HGDIOBJ handle, const GdiObject& object) {
  const int stock = stockIndexOf(handle, object);
  if (stock >= 0) {
    selectIndex(mf::kStockObjectFlag | uint32_t(stock));
  } else {
    const std::optional<uint32_t> index = objectIndex(handle, object);
    if (!index) return;
    selectIndex(*index);
  }
  switch (object.kind()) {
    case ObjectKind::Pen: attrs_.pen = handle; break;
    case ObjectKind::Brush: attrs_.brush = handle; break;
    case ObjectKind::Font: attrs_.font = handle; break;
    default: break;
  }
}

bool EmfRecorder::createObject(uint32_t index, const GdiObject& object) {
  switch (object.kind()) {
    case ObjectKind::Pen: {
      const PenObject* pen = asPen(object);
      if (!pen) return false;
      const auto& p = *pen;
      if (p.extended) {
        w_.begin(mf::kEmrExtCreatePen);
        w_.u32(index);
        w_.u32(0);
        w_.u32(0);
        w_.u32(0);
        w_.u32(0);
        w_.u32(p.style);
        w_.u32(p.width);
        w_.u32(p.brush_style);
        w_.u32(p.color);
        w_.u32(p.hatch);
        w_.u32(uint32_t(p.user_styles.size()));
        for (uint32_t v : p.user_styles) w_.u32(v);
        w_.end();
      } else {
        w_.simple(mf::kEmrCreatePen, {int32_t(index), int32_t(p.style), int32_t(p.width), 0, int32_t(p.color)});
      }
      return true;
    }
    case ObjectKind::Brush: {
      const BrushObject* brush = asBrush(object);
      if (!brush) return false;
      const auto& b = *brush;
      w_.simple(mf::kEmrCreateBrushIndirect, {int32_t(index), int32_t(b.style), int32_t(b.color), int32_t(b.hatch)});
      return true;
    }
    case ObjectKind::Font: {
      EmfLogFont f;
      if (!logFontOf(object, f)) return false;
      emitCreateFont(w_, index, f);
      return true;
    }
    case ObjectKind::Region: {
      // Selecting a region clips to it; no object stays in the table.
      const RegionObject* region = asRegion(object);
      if (!region) return false;
      const auto& r = *region;
      RECTL rect{r.rect.left, r.rect.top, r.rect.right, r.rect.bottom};
      clipRegion(5, std::span<const RECTL>(&rect, 1));
      return false;
    }
    default:
      return false;  // bitmaps and palettes are not selected into a metafile
  }
}

void EmfRecorder::deleteObject(uint32_t index) { w_.simple(mf::kEmrDeleteObject, {int32_t(index)}); }

bool EmfRecorder::simple(uint32_t type, std::initializer_list<int32_t> params) {
  const int32_t* p = params.begin();
  const size_t n = params.size();
  DcAttributes& a = attrs_;
  auto rectBounds = [&](size_t at) {
    IntPoint pts[2] = {{p[at], p[at + 1]}, {p[at + 2], p[at + 3]}};
    IntPoint d[2] = {toDevice(pts[0].x, pts[0].y), toDevice(pts[1].x, pts[1].y)};
    RECTL r{std::min(d[0].x, d[1].x), std::min(d[0].y, d[1].y), std::max(d[0].x, d[1].x),
            std::max(d[0].y, d[1].y)};
    addBounds(r);
  };
  switch (type) {
    case mf::kEmrSetMapMode: if (n) a.map_mode = uint32_t(p[0]); break;
    case mf::kEmrSetWindowOrgEx: if (n == 2) a.window_org = {p[0], p[1]}; break;
    case mf::kEmrSetWindowExtEx: if (n == 2) a.window_ext = {p[0], p[1]}; break;
    case mf::kEmrSetViewportOrgEx: if (n == 2) a.viewport_org = {p[0], p[1]}; break;
    case mf::kEmrSetViewportExtEx: if (n == 2) a.viewport_ext = {p[0], p[1]}; break;
    case mf::kEmrMoveToEx: if (n == 2) a.position = {p[0], p[1]}; break;
    case mf::kEmrLineTo:
      if (n == 2) {
        IntPoint pts[2] = {a.position, {p[0], p[1]}};
        addBounds(deviceBounds(pts));
        a.position = {p[0], p[1]};
      }
      break;
    case mf::kEmrRectangle: case mf::kEmrEllipse: case mf::kEmrRoundRect: case mf::kEmrArc:
    case mf::kEmrChord: case mf::kEmrPie:
      if (n >= 4) rectBounds(0);
      break;
    case mf::kEmrArcTo:
      if (n >= 8) {
        rectBounds(0);
        a.position = {p[6], p[7]};
      }
      break;
    case mf::kEmrBeginPath: a.in_path = true; break;
    case mf::kEmrEndPath: case mf::kEmrAbortPath: a.in_path = false; break;
    default: break;
  }
  // Drawing records carry their device bounds first.
  if (type == mf::kEmrFillPath || type == mf::kEmrStrokePath || type == mf::kEmrStrokeAndFillPath) {
    w_.begin(type);
    w_.rect(bounds_.r);
    w_.end();
    return true;
  }
  w_.simple(type, params);
  return true;
}

bool EmfRecorder::poly(uint32_t type, std::span<const IntPoint> points) {
  const bool to = type == mf::kEmrPolylineTo || type == mf::kEmrPolyBezierTo;
  RECTL b = deviceBounds(points);
  if (to) {
    const IntPoint d = toDevice(attrs_.position.x, attrs_.position.y);
    BoundsBox box;
    box.r = b;
    box.add(d.x, d.y);
    b = box.r;
  }
  addBounds(b);
  emitPoly(w_, type, b, points);
  if (to && !points.empty()) attrs_.position = points.back();
  return true;
}

bool EmfRecorder::polyPoly(bool polygon, std::span<const uint32_t> counts, std::span<const IntPoint> points) {
  const RECTL b = deviceBounds(points);
  addBounds(b);
  emitPolyPoly(w_, polygon, b, counts, points);
  return true;
}

bool EmfRecorder::worldTransform(uint32_t type, const XFORM& x, uint32_t mode) {
  XFORM& m = attrs_.world;
  if (type == mf::kEmrSetWorldTransform) {
    m = x;
  } else {
    auto mul = [](const XFORM& a, const XFORM& b) {  // a then b
      return XFORM{a.eM11 * b.eM11 + a.eM12 * b.eM21, a.eM11 * b.eM12 + a.eM12 * b.eM22,
                   a.eM21 * b.eM11 + a.eM22 * b.eM21, a.eM21 * b.eM12 + a.eM22 * b.eM22,
                   a.eDx * b.eM11 + a.eDy * b.eM21 + b.eDx, a.eDx * b.eM12 + a.eDy * b.eM22 + b.eDy};
    };
    if (mode == 1) m = XFORM{1, 0, 0, 1, 0, 0};
    else if (mode == 2) m = mul(x, m);
    else if (mode == 3) m = mul(m, x);
    else return false;
  }
  w_.begin(type);
  for (float f : {x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy}) w_.f32(f);
  if (type == mf::kEmrModifyWorldTransform) w_.u32(mode);
  w_.end();
  return true;
}

bool EmfRecorder::text(DeviceContext& dc, int32_t x, int32_t y, uint32_t options, const RECTL* clip,
                       std::u16string_view s, std::span<const uint8_t>, std::span<const int32_t> dx) {
  int64_t width = 0;
  for (int32_t d : dx) width += d;
  const int32_t height = std::max(1, std::abs(selectedFontHeight(dc)));
  IntPoint pts[2] = {{x, y}, {int32_t(std::clamp<int64_t>(x + width, INT32_MIN, INT32_MAX)), y + height}};
  if (attrs_.text_align & 8) pts[1].y = y - height;  // TA_BOTTOM / TA_BASELINE
  RECTL b = deviceBounds(pts);
  if (clip && (options & (mf::kEtoOpaque | mf::kEtoClipped))) {
    IntPoint c[2] = {{clip->left, clip->top}, {clip->right, clip->bottom}};
    if (options & mf::kEtoOpaque) {
      BoundsBox box;
      box.r = b;
      box.add(deviceBounds(c));
      b = box.r;
    }
  }
  addBounds(b);
  const RECTL none{0, 0, -1, -1};
  emitExtTextOutW(w_, b, uint32_t(attrs_.graphics_mode), x, y, options, clip ? *clip : none, s, dx);
  return true;
}

bool EmfRecorder::stretchDib(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t sx, int32_t sy, int32_t scx,
                             int32_t scy, std::span<const uint8_t> bmi, std::span<const uint8_t> bits,
                             uint32_t usage, uint32_t rop) {
  IntPoint pts[2] = {{x, y}, {x + cx, y + cy}};
  const RECTL b = deviceBounds(pts);
  addBounds(b);
  emitStretchDiBits(w_, b, x, y, cx, cy, sx, sy, scx, scy, usage, rop, bmi, bits);
  return true;
}

bool EmfRecorder::patBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop) {
  IntPoint pts[2] = {{x, y}, {x + cx, y + cy}};
  const RECTL b = deviceBounds(pts);
  addBounds(b);
  emitPatBlt(w_, b, x, y, cx, cy, rop);
  return true;
}

bool EmfRecorder::clipRegion(uint32_t mode, std::span<const RECTL> rects) {
  // Region data is in device units.
  std::vector<RECTL> dev;
  for (const RECTL& r : rects) {
    IntPoint c[2] = {{r.left, r.top}, {r.right, r.bottom}};
    dev.push_back(deviceBounds(c));
  }
  emitExtSelectClipRgn(w_, mode, dev);
  return true;
}

bool EmfRecorder::comment(std::span<const uint8_t> data) {
  emitGdiComment(w_, data);
  return true;
}

std::vector<uint8_t> EmfRecorder::finish() {
  EmfHeaderFields h;
  h.bounds = bounds_.empty() ? RECTL{0, 0, -1, -1} : bounds_.r;
  if (has_frame_) {
    h.frame = {frame_.left, frame_.top, frame_.right, frame_.bottom};
  } else if (!bounds_.empty()) {
    // .01 mm of the device pixels the drawing covers.
    const double mx = 100.0 * device_mm_.cx / device_px_.cx, my = 100.0 * device_mm_.cy / device_px_.cy;
    h.frame = {LONG(std::lround(bounds_.r.left * mx)), LONG(std::lround(bounds_.r.top * my)),
               LONG(std::lround((bounds_.r.right + 1) * mx)), LONG(std::lround((bounds_.r.bottom + 1) * my))};
  }
  h.device = device_px_;
  h.millimeters = device_mm_;
  h.micrometers = {device_mm_.cx * 1000, device_mm_.cy * 1000};
  h.handles = uint16_t(objects_.end());
  h.description = setup_.description;
  return w_.finish(h);
}

}  // namespace pyra::gdi
