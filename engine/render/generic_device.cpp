#include "engine/render/generic_device.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/pdf/error.h"
#include "engine/render/emf_record_types.h"
#include "support/byte_reader.h"
#include "support/checked_math.h"

namespace pyra::render {

using support::ByteReader;

namespace {

constexpr uint16_t kDoClipping = 0x0020;

int32_t roundHalfEven(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::nearbyint(v);  // the default rounding mode is to nearest, ties to even
  if (v > 2147483647.0) return INT32_MAX;
  if (v < -2147483648.0) return INT32_MIN;
  return int32_t(v);
}

// A record's fields; reading past the record throws ByteReader::Short,
// which skips just this record.
struct Fields {
  std::span<const uint8_t> rec;
  explicit Fields(std::span<const uint8_t> r) : rec(r) {}
  void need(size_t offset, size_t n) const {
    if (offset > rec.size() || n > rec.size() - offset) throw ByteReader::Short(offset, n, rec.size() - std::min(offset, rec.size()));
  }
  uint32_t u32(size_t off) const {
    need(off, 4);
    return uint32_t(rec[off]) | uint32_t(rec[off + 1]) << 8 | uint32_t(rec[off + 2]) << 16 | uint32_t(rec[off + 3]) << 24;
  }
  int32_t i32(size_t off) const { return int32_t(u32(off)); }
  int16_t i16(size_t off) const {
    need(off, 2);
    return int16_t(uint16_t(rec[off] | rec[off + 1] << 8));
  }
  uint16_t u16(size_t off) const { return uint16_t(i16(off)); }
  uint8_t u8(size_t off) const {
    need(off, 1);
    return rec[off];
  }
  float f32(size_t off) const {
    uint32_t b = u32(off);
    float f;
    std::memcpy(&f, &b, 4);
    return std::isfinite(f) ? f : 0.0f;
  }
  RectI rect(size_t off) const { return {i32(off), i32(off + 4), i32(off + 8), i32(off + 12)}; }
  PointI point(size_t off) const { return {i32(off), i32(off + 4)}; }
  // A count of elements of `size` bytes starting at `off`, checked against
  // what the record holds.
  uint32_t count(size_t count_off, size_t data_off, size_t size) const {
    uint32_t n = u32(count_off);
    auto bytes = support::checkedMul(n, size);
    if (!bytes || data_off > rec.size() || *bytes > rec.size() - data_off)
      throw ByteReader::Short(data_off, bytes ? size_t(*bytes) : SIZE_MAX, rec.size() - std::min(data_off, rec.size()));
    return n;
  }
};

}  // namespace

class TPxGenericDevice::Record {
 public:
  Record(uint32_t type, size_t offset, std::span<const uint8_t> bytes) : type(type), offset(offset), f(bytes) {}
  uint32_t type;
  size_t offset;
  Fields f;
};

void TPxGenericDevice::reset() {
  objects_.clearObjects();
  break_extra_ = break_count_ = 0;
  path_depth_ = 0;
  clip_pushed_ = false;
}

int32_t TPxGenericDevice::resolve(uint32_t handle) const {
  if (handle & 0x80000000u) return objects_.stockObject(handle & 0x7FFFFFFFu);
  if (handle < handle_map_.size()) return handle_map_[handle];
  return 0;
}

void TPxGenericDevice::mapHandle(uint32_t handle, int32_t index) {
  if (handle < handle_map_.size()) handle_map_[handle] = index;
}

void TPxGenericDevice::makePen(uint32_t handle, uint32_t style, int32_t width, uint32_t color,
                               std::vector<uint32_t> dashes, bool extended) {
  auto& p = static_cast<TPxDvPen&>(objects_.createObject(GdiKind::Pen));
  p.full_style = style;
  p.style = uint8_t(style & 7);
  p.width = width;
  p.color = color;
  p.cap_code = (style & 0x200) ? 0 : 1;
  p.dashes = std::move(dashes);
  p.extended = extended;
  mapHandle(handle, p.index());
}

bool TPxGenericDevice::playEnhMetafile(std::span<const uint8_t> data, int32_t res_y, int32_t res_x, bool no_play,
                                       int32_t height, int32_t width, int32_t y, int32_t x) {
  warnings_.clear();
  Fields h(data);
  auto notEmf = [] { return Error(kErrMetafile, "This is not an enhanced metafile"); };
  if (data.size() < 88 || h.u32(0) != emr::kHeader || h.u32(40) != emr::kSignature) throw notEmf();
  const uint32_t header_size = h.u32(4);
  if (header_size < 88 || header_size > data.size() || header_size % 4) throw notEmf();

  const RectI bounds = h.rect(8);
  const RectI frame = h.rect(24);
  const uint32_t record_count = h.u32(52);
  const uint16_t handle_count = h.u16(56);
  const int32_t dev_px_x = h.i32(72), dev_px_y = h.i32(76);
  const int32_t dev_mm_x = h.i32(80), dev_mm_y = h.i32(84);

  auto fromReference = [](int32_t px, int32_t mm) -> int32_t {
    if (px <= 0 || mm <= 0) return 96;
    int32_t r = roundHalfEven(double(px) / (double(mm) / 25.4));
    return r > 0 ? r : 96;
  };
  const double dev_x = device_res_x_ > 0 ? device_res_x_ : 72;
  const double dev_y = device_res_y_ > 0 ? device_res_y_ : 72;

  PlaybackFrame pf;
  int32_t right = 0, bottom = 0;
  if (bounds.right != 0 && frame.right != 0) {
    pf.resolution_x = res_x > 0 ? res_x : fromReference(dev_px_x, dev_mm_x);
    pf.resolution_y = res_y > 0 ? res_y : fromReference(dev_px_y, dev_mm_y);
    pf.use_metafile_resolution = true;
    // Per axis: the zoom that fits the frame (.01 mm) into the requested
    // extent, and the far edge in metafile pixels.
    auto fitAxis = [](int32_t at, int32_t extent, double dev, int32_t frame_lo, int32_t frame_hi, int32_t resolution,
                      double& zoom) -> int32_t {
      const double frame_extent = std::fabs(double(frame_hi) - frame_lo);
      if (extent > 0 && frame_extent != 0) {
        zoom = roundHalfEven(extent * 2540.0 / dev) / frame_extent;
        return roundHalfEven(at / dev * resolution) + roundHalfEven(extent / dev * resolution);
      }
      return roundHalfEven(frame_hi / 2540.0 * resolution);
    };
    right = fitAxis(x, width, dev_x, frame.left, frame.right, pf.resolution_x, pf.zoom_x);
    bottom = fitAxis(y, height, dev_y, frame.top, frame.bottom, pf.resolution_y, pf.zoom_y);
  } else {
    pf.resolution_x = fromReference(dev_px_x, dev_mm_x);
    pf.resolution_y = fromReference(dev_px_y, dev_mm_y);
    right = width > 0 ? x + width : dev_px_x;
    bottom = height > 0 ? y + height : dev_px_y;
  }
  // The requested position is in device units: in points it is x / device
  // resolution inches.
  pf.base[0] = 72.0 / pf.resolution_x * pf.zoom_x;
  pf.base[3] = 72.0 / pf.resolution_y * pf.zoom_y;
  pf.base[4] = x * 72.0 / dev_x;
  pf.base[5] = y * 72.0 / dev_y;

  beginPlayback(pf);
  struct Restore {
    TPxGenericDevice& d;
    ~Restore() {
      try {
        d.endPlayback();
      } catch (...) {
      }
    }
  } restore{*this};

  const bool begun = beginPlay(right, bottom, pf.resolution_y, pf.resolution_x);
  if (!no_play) {
    handle_map_.assign(size_t(handle_count) + 1, 0);
    clip_pushed_ = false;
    if (options_ & kDoClipping) precomputeClips(data, header_size);
    playRecords(data, record_count, header_size);
  }
  finishPending();
  endPlay(begun);
  return begun;
}

void TPxGenericDevice::playRecords(std::span<const uint8_t> data, uint32_t record_count, uint32_t header_size) {
  // The header's record count is not trusted in either direction: writers
  // differ on whether it includes the end-of-file record, and a count that
  // is too small would silently drop drawing. Records run to the end-of-file
  // record; the file's own length bounds the walk.
  (void)record_count;
  size_t pos = header_size;
  for (uint32_t counter = 1;; ++counter) {
    if (pos == data.size()) break;  // no end-of-file record: play what is there
    if (data.size() - pos < 8)
      throw Error(kErrMetafile, "Metafile error: record " + std::to_string(counter) + " at offset " +
                                    std::to_string(pos) + " is cut short");
    Fields head(data.subspan(pos, 8));
    const uint32_t type = head.u32(0);
    const uint32_t size = head.u32(4);
    if (size < 8 || size % 4 || size > data.size() - pos)
      throw Error(kErrMetafile, "Metafile error: record " + std::to_string(counter) + " (type " +
                                    std::to_string(type) + ") at offset " + std::to_string(pos) +
                                    " has an impossible size " + std::to_string(size));
    Record r(type, pos, data.subspan(pos, size));
    const size_t next = pos + size;
    if (type == emr::kEof) break;
    try {
      playRecord(r, data, next);
    } catch (const ByteReader::Short& s) {
      // One damaged record: skip it and keep the page.
      warn("record " + std::to_string(counter) + " (type " + std::to_string(type) + ") at offset " +
           std::to_string(pos) + " is too short: " + s.what());
    }
    pos = next;
  }
}

void TPxGenericDevice::precomputeClips(std::span<const uint8_t> data, size_t first) {
  clip_answers_.clear();
  // Open questions, by the save depth at which they were asked; a restore
  // below that depth answers "no", a region selection answers "yes".
  struct Open { size_t index; int64_t base; };
  std::vector<Open> open;
  int64_t depth = 0;
  size_t pos = first;
  while (pos + 8 <= data.size()) {
    Fields head(data.subspan(pos, 8));
    const uint32_t type = head.u32(0), size = head.u32(4);
    if (size < 8 || size % 4 || size > data.size() - pos || type == emr::kEof) break;
    if (type == emr::kSaveDC) ++depth;
    if (type == emr::kRestoreDC) {
      --depth;
      while (!open.empty() && open.back().base > depth) open.pop_back();
    }
    if (type == emr::kExtSelectClipRgn) {
      for (const Open& o : open) clip_answers_[o.index].second = true;
      open.clear();
    }
    if (type == emr::kExcludeClipRect || type == emr::kIntersectClipRect || type == emr::kExtSelectClipRgn) {
      clip_answers_.push_back({pos, false});
      open.push_back({clip_answers_.size() - 1, depth});
    }
    pos += size;
  }
}

void TPxGenericDevice::beginClip(size_t record_offset) {
  auto it = std::lower_bound(clip_answers_.begin(), clip_answers_.end(), std::make_pair(record_offset, false));
  const bool needs_level = it != clip_answers_.end() && it->first == record_offset && it->second;
  if (needs_level && !clip_pushed_) {
    pushState();
    clip_pushed_ = true;
  }
}

void TPxGenericDevice::closeClipLevel() {
  if (clip_pushed_) {
    popState();
    clip_pushed_ = false;
  }
}

void TPxGenericDevice::playRecord(const Record& r, std::span<const uint8_t> data, size_t next) {
  const Fields& f = r.f;
  auto points32 = [&](size_t count_off, size_t data_off) -> std::span<const PointI> {
    uint32_t n = f.count(count_off, data_off, 8);
    points_.resize(n);
    for (uint32_t i = 0; i < n; ++i) points_[i] = f.point(data_off + size_t(i) * 8);
    return {points_.data(), n};
  };
  auto points16 = [&](size_t count_off, size_t data_off) -> std::span<const PointI> {
    uint32_t n = f.count(count_off, data_off, 4);
    points_.resize(n);
    for (uint32_t i = 0; i < n; ++i) points_[i] = {f.i16(data_off + size_t(i) * 4), f.i16(data_off + size_t(i) * 4 + 2)};
    return {points_.data(), n};
  };
  // Poly-poly records: the per-figure counts, then all points.
  auto polyPoly = [&](size_t point_size, auto&& each) {
    const uint32_t figures = f.count(24, 32, 4);
    const uint32_t total = f.u32(28);
    const size_t points_off = 32 + size_t(figures) * 4;
    auto bytes = support::checkedMul(total, point_size);
    if (!bytes || points_off > f.rec.size() || *bytes > f.rec.size() - points_off)
      throw ByteReader::Short(points_off, SIZE_MAX, 0);
    std::vector<PointI> all(total);
    for (uint32_t i = 0; i < total; ++i) {
      size_t at = points_off + size_t(i) * point_size;
      all[i] = point_size == 8 ? f.point(at) : PointI{f.i16(at), f.i16(at + 2)};
    }
    uint64_t used = 0;
    for (uint32_t k = 0; k < figures; ++k) {
      uint32_t n = f.u32(32 + size_t(k) * 4);
      if (used + n > total) throw ByteReader::Short(32 + size_t(k) * 4, n, size_t(total - used));
      if (n > 0) each(std::span<const PointI>(all.data() + used, n));
      used += n;
    }
  };
  const bool clipping = (options_ & kDoClipping) != 0;

  switch (r.type) {
    case emr::kPolyBezier: { auto p = points32(24, 28); if (!p.empty()) polyBezier(p, false); break; }
    case emr::kPolygon: { auto p = points32(24, 28); if (!p.empty()) polygon(p); break; }
    case emr::kPolyline: { auto p = points32(24, 28); if (!p.empty()) polyline(p, false, true, true); break; }
    case emr::kPolyBezierTo: { auto p = points32(24, 28); if (!p.empty()) polyBezier(p, true); break; }
    case emr::kPolylineTo: { auto p = points32(24, 28); if (!p.empty()) polyline(p, true, true, true); break; }
    case emr::kPolyPolyline: polyPoly(8, [&](std::span<const PointI> p) { polyline(p, false, true, true); }); break;
    case emr::kPolyPolygon: polyPoly(8, [&](std::span<const PointI> p) { polygon(p); }); break;
    case emr::kSetWindowExtEx: setWindowExt(f.i32(8), f.i32(12)); break;
    case emr::kSetWindowOrgEx: setWindowOrg(f.i32(8), f.i32(12)); break;
    case emr::kSetViewportExtEx: setViewportExt(f.i32(8), f.i32(12)); break;
    case emr::kSetViewportOrgEx: setViewportOrg(f.i32(8), f.i32(12)); break;
    case emr::kSetBrushOrgEx: setBrushOrg(f.i32(8), f.i32(12)); break;
    case emr::kSetPixelV: setPixel(f.i32(8), f.i32(12), f.u32(16)); break;
    case emr::kSetMapMode: setMapMode(f.i32(8)); break;
    case emr::kSetBkMode: setBkMode(f.i32(8)); break;
    case emr::kSetPolyFillMode: setPolyFillMode(f.i32(8)); break;
    case emr::kSetRop2: setRop2(f.i32(8)); break;
    case emr::kSetTextAlign: setTextAlign(f.i32(8)); break;
    case emr::kSetTextColor: setTextColor(f.u32(8)); break;
    case emr::kSetBkColor: setBkColor(f.u32(8)); break;
    case emr::kMoveToEx: moveTo(f.i32(8), f.i32(12)); break;
    case emr::kExcludeClipRect:
      if (clipping) {
        RectI rc = f.rect(8);
        beginClip(r.offset);
        excludeClipRect(rc);
      }
      break;
    case emr::kIntersectClipRect:
      if (clipping) {
        RectI rc = f.rect(8);
        beginClip(r.offset);
        selectClipRegion(1, rc, {});
      }
      break;
    case emr::kScaleViewportExtEx: scaleViewportExt(f.i32(8), f.i32(12), f.i32(16), f.i32(20)); break;
    case emr::kScaleWindowExtEx: scaleWindowExt(f.i32(8), f.i32(12), f.i32(16), f.i32(20)); break;
    case emr::kSaveDC: saveDC(); break;
    case emr::kRestoreDC: restoreDC(); break;
    case emr::kSetWorldTransform:
      setWorldTransform({f.f32(8), f.f32(12), f.f32(16), f.f32(20), f.f32(24), f.f32(28)});
      break;
    case emr::kModifyWorldTransform:
      modifyWorldTransform({f.f32(8), f.f32(12), f.f32(16), f.f32(20), f.f32(24), f.f32(28)}, f.i32(32));
      break;
    case emr::kSelectObject: {
      TPxBasicGDIObject& o = objects_.objectAt(resolve(f.u32(8)));
      if (o.kind() != GdiKind::None) selectObject(o);
      break;
    }
    case emr::kCreatePen:
      makePen(f.u32(8), f.u32(12), f.i32(16), f.u32(24), {}, false);
      break;
    case emr::kExtCreatePen: {
      const uint32_t style = f.u32(28);
      std::vector<uint32_t> dashes;
      // User dash lengths, when the record carries them.
      if ((style & 0xF) == 7 && r.f.rec.size() >= 52) {
        uint32_t n = std::min<uint32_t>(f.u32(48), 16);
        for (uint32_t i = 0; i < n && 52 + size_t(i) * 4 + 4 <= r.f.rec.size(); ++i) dashes.push_back(f.u32(52 + size_t(i) * 4));
      }
      makePen(f.u32(8), style, f.i32(32), f.u32(40), std::move(dashes), true);
      break;
    }
    case emr::kCreateBrushIndirect: {
      const uint32_t handle = f.u32(8);
      auto& b = static_cast<TPxDvBrush&>(objects_.createObject(GdiKind::Brush));
      b.style = uint8_t(f.u32(12));
      b.color = f.u32(16);
      b.hatch = f.i32(20);
      mapHandle(handle, b.index());
      break;
    }
    case emr::kExtCreateFontIndirectW: {
      const uint32_t handle = f.u32(8);
      LogFontHeader lf;
      lf.height = f.i32(12);
      lf.width = f.i32(16);
      lf.escapement = f.i32(20);
      lf.orientation = f.i32(24);
      lf.weight = f.i32(28);
      lf.italic = f.u8(32);
      lf.underline = f.u8(33);
      lf.strike_out = f.u8(34);
      lf.charset = f.u8(35);
      lf.out_precision = f.u8(36);
      lf.clip_precision = f.u8(37);
      lf.quality = f.u8(38);
      lf.pitch_and_family = f.u8(39);
      std::string face;
      for (size_t i = 0; i < 32 && 40 + i * 2 + 2 <= r.f.rec.size(); ++i) {
        uint16_t c = f.u16(40 + i * 2);
        if (c == 0) break;
        face += char(c & 0xFF);
      }
      auto& font = static_cast<TPxDvFont&>(objects_.createObject(GdiKind::Font));
      font.logfont = lf;
      font.face = face;
      mapHandle(handle, font.index());
      break;
    }
    case emr::kCreatePalette: {
      const uint32_t handle = f.u32(8);
      auto& pal = static_cast<TPxDvPalette&>(objects_.createObject(GdiKind::Palette));
      size_t words = (r.f.rec.size() - 8) / 4;
      for (size_t i = 0; i < words && 16 + i * 4 + 4 <= r.f.rec.size() && i < 256; ++i)
        pal.entries.push_back(f.u32(16 + i * 4));
      mapHandle(handle, pal.index());
      break;
    }
    case emr::kSelectPalette: {
      TPxBasicGDIObject& o = objects_.objectAt(resolve(f.u32(8)));
      if (o.kind() == GdiKind::Palette) selectPalette(static_cast<TPxDvPalette&>(o));
      break;
    }
    case emr::kDeleteObject: objects_.deleteObject(resolve(f.u32(8))); break;
    case emr::kAngleArc: angleArc(f.i32(8), f.i32(12), f.u32(16), f.f32(20), f.f32(24)); break;
    case emr::kEllipse: ellipse(f.rect(8), true); break;
    case emr::kRectangle: rectangle(f.rect(8)); break;
    case emr::kRoundRect: roundRect(f.rect(8), f.i32(24), f.i32(28)); break;
    case emr::kArc: {
      RectI rc = f.rect(8);
      PointI s = f.point(24), e = f.point(32);
      if (s.x == 0 && s.y == 0 && e.x == 0 && e.y == 0) ellipse(rc, false);
      else arc(rc, s, e, false);
      break;
    }
    case emr::kArcTo: arc(f.rect(8), f.point(24), f.point(32), true); break;
    case emr::kChord: chord(f.rect(8), f.point(24), f.point(32)); break;
    case emr::kPie: pie(f.rect(8), f.point(24), f.point(32)); break;
    case emr::kLineTo: lineTo(f.i32(8), f.i32(12)); break;
    case emr::kSetArcDirection: setArcDirection(f.i32(8)); break;
    case emr::kBeginPath: beginPath(3); break;
    case emr::kEndPath: endPath(); break;
    case emr::kCloseFigure: closeFigure(); break;
    case emr::kFillPath: paintPath(false, true); break;
    case emr::kStrokeAndFillPath: paintPath(true, true); break;
    case emr::kStrokePath: paintPath(true, false); break;
    case emr::kSelectClipPath: selectClipPath(f.i32(8)); break;
    case emr::kAbortPath:
      while (path_depth_ > 0 && endPath() > 0) {
      }
      break;
    case emr::kGdiComment: {
      const uint32_t n = f.count(8, 12, 1);
      std::span<const uint8_t> c = f.rec.subspan(12, n);
      Fields cf(c);
      if (n >= 28 && cf.u32(4) == emr::kWriterComment && uint64_t(n) == 28 + uint64_t(cf.u32(24))) {
        const int32_t code = cf.i32(0);
        RectI rc = cf.rect(8);
        if (yUp()) {
          rc.top = -rc.top;
          rc.bottom = -rc.bottom;
        }
        std::span<const uint8_t> payload = c.subspan(28);
        bool handled = false;
        if (code >= 3000) {
          dataCommand(code, rc, payload, handled);
        } else {
          PointI a = logicalToPage({rc.left, rc.top}), b = logicalToPage({rc.right, rc.bottom});
          writerCommand(code, {a.x, a.y, b.x, b.y}, std::string(payload.begin(), payload.end()), handled);
        }
      } else if (n >= 52 && cf.u32(4) == emr::kWideWriterComment) {
        wideComment(c);
      } else {
        gdiComment(c);
      }
      break;
    }
    case emr::kExtSelectClipRgn:
      if (clipping) {
        closeClipLevel();
        const uint32_t rgn_size = f.u32(8);
        const int32_t mode = f.i32(12);
        if (rgn_size >= 32) {
          f.need(16, rgn_size);
          const uint32_t count = f.u32(24);
          RectI bound = f.rect(32);
          auto bytes = support::checkedMul(count, 16);
          if (!bytes || *bytes > rgn_size - 32) throw ByteReader::Short(48, SIZE_MAX, rgn_size - 32);
          std::vector<RectI> rects(count);
          for (uint32_t i = 0; i < count; ++i) rects[i] = f.rect(48 + size_t(i) * 16);
          beginClip(r.offset);
          selectClipRegion(mode, bound, rects);
        } else if (mode == 5) {
          // RGN_COPY with no region: back to no clip, which closing the
          // level above has already done.
        }
      }
      break;
    case emr::kBitBlt:
      patBlt(f.i32(24), f.i32(28), f.i32(32), f.i32(36), f.u32(40));
      break;
    case emr::kStretchBlt: {
      const int32_t xd = f.i32(24), yd = f.i32(28), wd = f.i32(32), hd = f.i32(36);
      const uint32_t rop = f.u32(40);
      const uint32_t off_bmi = f.u32(84), cb_bmi = f.u32(88), off_bits = f.u32(92), cb_bits = f.u32(96);
      if (off_bits != 0) {
        f.need(off_bmi, cb_bmi);
        f.need(off_bits, cb_bits);
        DibSource dib{f.rec.subspan(off_bmi, cb_bmi), f.rec.subspan(off_bits, cb_bits)};
        Fields bmi(dib.header);
        const int32_t sw = bmi.i32(4), sh = bmi.i32(8);
        try {
          stretchDIBits(xd, yd, wd, hd, 0, 0, sw, sh < 0 ? -sh : sh, dib, rop);
        } catch (const Error& e) {
          warn(std::string("bitmap skipped: ") + e.what());
        }
      } else {
        patBlt(xd, yd, wd, hd, rop);
      }
      break;
    }
    case emr::kStretchDIBits: {
      const uint32_t off_bmi = f.u32(48), cb_bmi = f.u32(52), off_bits = f.u32(56), cb_bits = f.u32(60);
      f.need(off_bmi, cb_bmi);
      f.need(off_bits, cb_bits);
      DibSource dib{f.rec.subspan(off_bmi, cb_bmi), f.rec.subspan(off_bits, cb_bits)};
      try {
        stretchDIBits(f.i32(24), f.i32(28), f.i32(72), f.i32(76), f.i32(32), f.i32(36), f.i32(40), f.i32(44), dib,
                      f.u32(68));
      } catch (const Error& e) {
        warn(std::string("bitmap skipped: ") + e.what());
      }
      break;
    }
    case emr::kExtTextOutA:
    case emr::kExtTextOutW: {
      TextRun run;
      run.wide = r.type == emr::kExtTextOutW;
      run.reference = f.point(36);
      const uint32_t chars = f.u32(44);
      const uint32_t off_string = f.u32(48);
      run.options = f.u32(52);
      run.rectangle = f.rect(56);
      const uint32_t off_dx = f.u32(72);
      // Offsets are relative to the record; a string or advance array
      // outside the metafile counts as absent.
      const uint64_t string_at = uint64_t(r.offset) + off_string;
      const uint64_t string_len = uint64_t(chars) * (run.wide ? 2 : 1);
      if (chars > 0 && off_string != 0 && string_at + string_len <= data.size()) {
        auto s = data.subspan(size_t(string_at), size_t(string_len));
        if (run.wide) {
          run.text16.resize(chars);
          for (uint32_t i = 0; i < chars; ++i) run.text16[i] = uint16_t(s[i * 2] | s[i * 2 + 1] << 8);
        } else {
          run.text8 = s;
        }
      }
      // ETO_PDY: the array holds x and y advances in pairs.
      const uint64_t per = (run.options & 0x2000) ? 8 : 4;
      const uint64_t dx_at = uint64_t(r.offset) + off_dx;
      if (chars > 0 && off_dx != 0 && dx_at + uint64_t(chars) * per <= data.size()) {
        run.dx.resize(chars);
        for (uint32_t i = 0; i < chars; ++i) {
          Fields d(data.subspan(size_t(dx_at + i * per), 4));
          run.dx[i] = d.i32(0);
        }
      }
      extTextOut(run);
      break;
    }
    case emr::kPolyBezier16: { auto p = points16(24, 28); if (!p.empty()) polyBezier(p, false); break; }
    case emr::kPolygon16: { auto p = points16(24, 28); if (!p.empty()) polygon(p); break; }
    case emr::kPolyline16: { auto p = points16(24, 28); if (!p.empty()) polyline(p, false, true, true); break; }
    case emr::kPolyBezierTo16: { auto p = points16(24, 28); if (!p.empty()) polyBezier(p, true); break; }
    case emr::kPolylineTo16: { auto p = points16(24, 28); if (!p.empty()) polyline(p, true, true, true); break; }
    case emr::kPolyPolyline16:
      beginPath(1);
      polyPoly(4, [&](std::span<const PointI> p) { polyline(p, false, false, false); });
      if (endPath() == 0) paintPath(true, false);
      break;
    case emr::kPolyPolygon16:
      beginPath(3);
      polyPoly(4, [&](std::span<const PointI> p) {
        polygon(p);
        closeFigure();
      });
      if (endPath() == 0) paintPath(true, true);
      break;
    case emr::kSetTextJustification:
      break_extra_ = f.i32(8);
      break_count_ = f.i32(12);
      break;
    default:
      // Records that only matter on screen, and anything unknown.
      break;
  }
}

}  // namespace pyra::render
