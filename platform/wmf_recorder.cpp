#include "platform/wmf_recorder.h"

#include <algorithm>
#include <cmath>

#include "platform/metafile_font_hooks.h"
#include "platform/metafile_records.h"
#include "platform/pens_brushes.h"

namespace pyra::gdi {

namespace {
int16_t c16(int64_t v) { return int16_t(std::clamp<int64_t>(v, -32768, 32767)); }

// Bezier segments become this many line segments each: enough for the
// sizes report pages use, bounded for hostile counts.
constexpr int kBezierSteps = 16;

std::vector<IntPoint> flattenBezier(IntPoint start, std::span<const IntPoint> pts) {
  std::vector<IntPoint> out;
  IntPoint p0 = start;
  for (size_t i = 0; i + 2 < pts.size(); i += 3) {
    const IntPoint p1 = pts[i], p2 = pts[i + 1], p3 = pts[i + 2];
    for (int s = 1; s <= kBezierSteps; ++s) {
      const double t = double(s) / kBezierSteps, u = 1 - t;
      const double x = u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x;
      const double y = u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y;
      out.push_back({int32_t(std::lround(x)), int32_t(std::lround(y))});
    }
    p0 = p3;
  }
  return out;
}
}  // namespace

void WmfRecorder::objectSelected(HGDIOBJ handle, const GdiObject& object) {
  if (object.kind() == ObjectKind::Region) {
    const RegionObject* region = asRegion(object);
    if (!region) return;
    const auto& r = *region;
    RECTL rect{r.rect.left, r.rect.top, r.rect.right, r.rect.bottom};
    clipRegion(5, std::span<const RECTL>(&rect, 1));
    return;
  }
  const std::optional<uint32_t> slot = objectIndex(handle, object);
  if (!slot) return;
  w_.simple(mf::kMetaSelectObject, {int16_t(*slot)});
  if (object.kind() == ObjectKind::Font) {
    EmfLogFont f;
    if (logFontOf(object, f)) font_charset_ = f.char_set;
    attrs_.font = handle;
  }
  if (object.kind() == ObjectKind::Pen) attrs_.pen = handle;
  if (object.kind() == ObjectKind::Brush) attrs_.brush = handle;
}

bool WmfRecorder::createObject(uint32_t slot, const GdiObject& object) {
  switch (object.kind()) {
    case ObjectKind::Pen: {
      const PenObject* pen = asPen(object);
      if (!pen) return false;
      const auto& p = *pen;
      w_.begin(mf::kMetaCreatePenIndirect);
      w_.u16(uint16_t(p.style & 0xFFFF));
      w_.i16(c16(p.width));
      w_.i16(0);
      w_.u32(p.color);
      w_.end();
      break;
    }
    case ObjectKind::Brush: {
      const BrushObject* brush = asBrush(object);
      if (!brush) return false;
      const auto& b = *brush;
      w_.begin(mf::kMetaCreateBrushIndirect);
      w_.u16(uint16_t(b.style));
      w_.u32(b.color);
      w_.u16(uint16_t(b.hatch));
      w_.end();
      break;
    }
    case ObjectKind::Font: {
      EmfLogFont f;
      if (!logFontOf(object, f)) return false;
      w_.begin(mf::kMetaCreateFontIndirect);
      for (int32_t v : {f.height, f.width, f.escapement, f.orientation, f.weight}) w_.i16(c16(v));
      const uint8_t flags[8] = {f.italic, f.underline, f.strike_out, f.char_set,
                                f.out_precision, f.clip_precision, f.quality, f.pitch_and_family};
      w_.bytes(flags);
      std::string face = text_codec_.encode(f.face, f.char_set);
      face.resize(std::min<size_t>(face.size(), 31));
      face.push_back('\0');
      w_.bytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(face.data()), face.size()));
      w_.end();
      break;
    }
    default:
      return false;
  }
  countObjects();
  return true;
}

void WmfRecorder::deleteObject(uint32_t slot) { w_.simple(mf::kMetaDeleteObject, {int16_t(slot)}); }

void WmfRecorder::countObjects() { w_.setObjects(uint16_t(std::max<uint32_t>(objects_.end(), 1))); }

bool WmfRecorder::simple(uint32_t type, std::initializer_list<int32_t> params) {
  const int32_t* p = params.begin();
  const size_t n = params.size();
  auto need = [&](size_t k) { return n >= k; };
  DcAttributes& a = attrs_;
  switch (type) {
    case mf::kEmrSetMapMode: if (!need(1)) return false; a.map_mode = uint32_t(p[0]); w_.simple(mf::kMetaSetMapMode, {c16(p[0])}); return true;
    case mf::kEmrSetWindowOrgEx: if (!need(2)) return false; w_.simple(mf::kMetaSetWindowOrg, {c16(p[1]), c16(p[0])}); return true;
    case mf::kEmrSetWindowExtEx: if (!need(2)) return false; w_.simple(mf::kMetaSetWindowExt, {c16(p[1]), c16(p[0])}); return true;
    case mf::kEmrSetViewportOrgEx: if (!need(2)) return false; w_.simple(mf::kMetaSetViewportOrg, {c16(p[1]), c16(p[0])}); return true;
    case mf::kEmrSetViewportExtEx: if (!need(2)) return false; w_.simple(mf::kMetaSetViewportExt, {c16(p[1]), c16(p[0])}); return true;
    case mf::kEmrSetBkMode: w_.simple(mf::kMetaSetBkMode, {c16(p[0])}); return true;
    case mf::kEmrSetPolyFillMode: w_.simple(mf::kMetaSetPolyFillMode, {c16(p[0])}); return true;
    case mf::kEmrSetRop2: w_.simple(mf::kMetaSetRop2, {c16(p[0])}); return true;
    case mf::kEmrSetStretchBltMode: w_.simple(mf::kMetaSetStretchBltMode, {c16(p[0])}); return true;
    case mf::kEmrSetTextAlign: w_.simple(mf::kMetaSetTextAlign, {c16(p[0])}); return true;
    case mf::kEmrSetTextColor: case mf::kEmrSetBkColor:
      w_.begin(type == mf::kEmrSetTextColor ? mf::kMetaSetTextColor : mf::kMetaSetBkColor);
      w_.u32(uint32_t(p[0]));
      w_.end();
      return true;
    case mf::kEmrMoveToEx: a.position = {p[0], p[1]}; w_.simple(mf::kMetaMoveTo, {c16(p[1]), c16(p[0])}); return true;
    case mf::kEmrLineTo: a.position = {p[0], p[1]}; w_.simple(mf::kMetaLineTo, {c16(p[1]), c16(p[0])}); return true;
    case mf::kEmrRectangle: case mf::kEmrEllipse: case mf::kEmrExcludeClipRect: case mf::kEmrIntersectClipRect: {
      const uint16_t fn = type == mf::kEmrRectangle ? mf::kMetaRectangle
                          : type == mf::kEmrEllipse ? mf::kMetaEllipse
                          : type == mf::kEmrExcludeClipRect ? mf::kMetaExcludeClipRect
                                                            : mf::kMetaIntersectClipRect;
      w_.simple(fn, {c16(p[3]), c16(p[2]), c16(p[1]), c16(p[0])});
      return true;
    }
    case mf::kEmrRoundRect:
      w_.simple(mf::kMetaRoundRect, {c16(p[5]), c16(p[4]), c16(p[3]), c16(p[2]), c16(p[1]), c16(p[0])});
      return true;
    case mf::kEmrArc: case mf::kEmrChord: case mf::kEmrPie: case mf::kEmrArcTo: {
      const uint16_t fn = type == mf::kEmrChord ? mf::kMetaChord : type == mf::kEmrPie ? mf::kMetaPie : mf::kMetaArc;
      w_.simple(fn, {c16(p[7]), c16(p[6]), c16(p[5]), c16(p[4]), c16(p[3]), c16(p[2]), c16(p[1]), c16(p[0])});
      if (type == mf::kEmrArcTo) {
        // WMF has no ArcTo: the arc, then the pen moves to its end.
        a.position = {p[6], p[7]};
        w_.simple(mf::kMetaMoveTo, {c16(p[7]), c16(p[6])});
      }
      return true;
    }
    case mf::kEmrSaveDc: w_.simple(mf::kMetaSaveDc, {}); return true;
    case mf::kEmrRestoreDc: w_.simple(mf::kMetaRestoreDc, {c16(p[0])}); return true;
    case mf::kEmrSetPixelV:
      w_.begin(mf::kMetaSetPixel);
      w_.u32(uint32_t(p[2]));
      w_.i16(c16(p[1]));
      w_.i16(c16(p[0]));
      w_.end();
      return true;
    default:
      return false;  // paths, graphics modes: not in a Windows metafile
  }
}

bool WmfRecorder::poly(uint32_t type, std::span<const IntPoint> points) {
  std::vector<IntPoint> pts;
  uint16_t fn = mf::kMetaPolyline;
  switch (type) {
    case mf::kEmrPolygon: fn = mf::kMetaPolygon; [[fallthrough]];
    case mf::kEmrPolyline: pts.assign(points.begin(), points.end()); break;
    case mf::kEmrPolylineTo:
      pts.push_back(attrs_.position);
      pts.insert(pts.end(), points.begin(), points.end());
      break;
    case mf::kEmrPolyBezier:
      if (points.empty()) return true;
      pts.push_back(points[0]);
      for (const IntPoint& p : flattenBezier(points[0], points.subspan(1))) pts.push_back(p);
      break;
    case mf::kEmrPolyBezierTo:
      pts.push_back(attrs_.position);
      for (const IntPoint& p : flattenBezier(attrs_.position, points)) pts.push_back(p);
      break;
    default: return false;
  }
  // A WMF point count is 16-bit: long polylines go out in pieces that share
  // their end points; a polygon cannot be split.
  if (fn == mf::kMetaPolygon && pts.size() > 0x7FF0) return false;
  for (size_t at = 0; at < pts.size() || at == 0;) {
    const size_t n = std::min<size_t>(pts.size() - at, 0x7FF0);
    w_.begin(fn);
    w_.i16(int16_t(n));
    for (size_t i = 0; i < n; ++i) {
      w_.i16(c16(pts[at + i].x));
      w_.i16(c16(pts[at + i].y));
    }
    w_.end();
    if (fn == mf::kMetaPolygon || at + n >= pts.size()) break;
    at += n - 1;
  }
  if ((type == mf::kEmrPolylineTo || type == mf::kEmrPolyBezierTo) && pts.size() > 1) {
    attrs_.position = pts.back();
    w_.simple(mf::kMetaMoveTo, {c16(pts.back().y), c16(pts.back().x)});
  }
  return true;
}

bool WmfRecorder::polyPoly(bool polygon, std::span<const uint32_t> counts, std::span<const IntPoint> points) {
  if (!polygon) {
    size_t at = 0;
    for (uint32_t c : counts) {
      poly(mf::kEmrPolyline, points.subspan(at, c));
      at += c;
    }
    return true;
  }
  if (counts.size() > 0xFFFF || points.size() > 0x3FFFFFFF) return false;
  for (uint32_t c : counts)
    if (c > 0xFFFF) return false;
  w_.begin(mf::kMetaPolyPolygon);
  w_.u16(uint16_t(counts.size()));
  for (uint32_t c : counts) w_.u16(uint16_t(c));
  for (const IntPoint& p : points) {
    w_.i16(c16(p.x));
    w_.i16(c16(p.y));
  }
  w_.end();
  return true;
}

bool WmfRecorder::text(DeviceContext& dc, int32_t x, int32_t y, uint32_t options, const RECTL* clip,
                       std::u16string_view s, std::span<const uint8_t> ansi, std::span<const int32_t> dx) {
  std::string bytes;
  std::vector<int16_t> wdx;
  if (!ansi.empty() || s.empty()) {
    bytes.assign(ansi.begin(), ansi.end());
    for (size_t i = 0; i < bytes.size() && !dx.empty(); ++i) wdx.push_back(c16(i < dx.size() ? dx[i] : 0));
  } else {
    std::vector<uint8_t> per_unit;
    bytes = text_codec_.encode(s, selectedCharset(dc), &per_unit);
    if (!dx.empty()) {
      // The advance of a character goes to its first byte.
      for (size_t u = 0; u < per_unit.size(); ++u) {
        for (uint8_t k = 0; k < per_unit[u]; ++k) wdx.push_back(k == 0 ? c16(u < dx.size() ? dx[u] : 0) : 0);
        if (per_unit[u] == 0 && !wdx.empty() && u < dx.size()) wdx.back() = c16(int64_t(wdx.back()) + dx[u]);
      }
    }
  }
  if (bytes.size() > 0x7FFF) return false;
  const bool rect = clip && (options & (mf::kEtoOpaque | mf::kEtoClipped));
  w_.begin(mf::kMetaExtTextOut);
  w_.i16(c16(y));
  w_.i16(c16(x));
  w_.i16(int16_t(bytes.size()));
  w_.u16(uint16_t(rect ? options & (mf::kEtoOpaque | mf::kEtoClipped) : 0));
  if (rect) {
    w_.i16(c16(clip->left));
    w_.i16(c16(clip->top));
    w_.i16(c16(clip->right));
    w_.i16(c16(clip->bottom));
  }
  w_.bytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  if (bytes.size() % 2) w_.bytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("\0"), 1));
  for (int16_t d : wdx) w_.i16(d);
  w_.end();
  return true;
}

bool WmfRecorder::stretchDib(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t sx, int32_t sy, int32_t scx,
                             int32_t scy, std::span<const uint8_t> bmi, std::span<const uint8_t> bits, uint32_t usage,
                             uint32_t rop) {
  w_.begin(mf::kMetaStretchDib);
  w_.u32(rop);
  w_.u16(uint16_t(usage));
  for (int32_t v : {scy, scx, sy, sx, cy, cx, y, x}) w_.i16(c16(v));
  w_.bytes(bmi);
  w_.bytes(bits);
  w_.end();
  return true;
}

bool WmfRecorder::patBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop) {
  w_.begin(mf::kMetaPatBlt);
  w_.u32(rop);
  for (int32_t v : {cy, cx, y, x}) w_.i16(c16(v));
  w_.end();
  return true;
}

void WmfRecorder::createRegion(const RECTL& r) {
  // One scan of one rectangle: the simplest region object there is.
  w_.begin(mf::kMetaCreateRegion);
  w_.u16(0);       // nextInChain
  w_.u16(6);       // object type: region
  w_.u32(0);       // object count
  w_.i16(22 + 12); // region size
  w_.i16(1);       // scan count
  w_.i16(2);       // max scan
  for (int32_t v : {r.left, r.top, r.right, r.bottom}) w_.i16(c16(v));
  w_.u16(2);
  w_.i16(c16(r.top));
  w_.i16(c16(r.bottom));
  w_.i16(c16(r.left));
  w_.i16(c16(r.right));
  w_.u16(2);
  w_.end();
}

bool WmfRecorder::clipRegion(uint32_t mode, std::span<const RECTL> rects) {
  if (rects.size() > 1) return false;
  if (mode == 1 && rects.size() == 1) {  // RGN_AND
    simple(mf::kEmrIntersectClipRect, {rects[0].left, rects[0].top, rects[0].right, rects[0].bottom});
    return true;
  }
  if (mode == 4 && rects.size() == 1) {  // RGN_DIFF
    simple(mf::kEmrExcludeClipRect, {rects[0].left, rects[0].top, rects[0].right, rects[0].bottom});
    return true;
  }
  if (mode != 5) return false;
  // RGN_COPY: a region object selected as the clip, then released; no
  // region means the whole 16-bit plane.
  const RECTL r = rects.empty() ? RECTL{-32768, -32768, 32767, 32767} : rects[0];
  const std::optional<uint32_t> slot = objects_.take();
  if (!slot) return false;
  createRegion(r);
  countObjects();
  w_.simple(mf::kMetaSelectClipRegion, {int16_t(*slot)});
  w_.simple(mf::kMetaDeleteObject, {int16_t(*slot)});
  objects_.release(*slot);
  return true;
}

bool WmfRecorder::comment(std::span<const uint8_t> data) {
  if (data.size() > 0xFFFF - 8) return false;
  w_.begin(mf::kMetaEscape);
  w_.u16(mf::kMfComment);
  w_.u16(uint16_t(data.size()));
  w_.bytes(data);
  w_.end();
  return true;
}

std::vector<uint8_t> WmfRecorder::finish() { return w_.finish(); }

}  // namespace pyra::gdi
