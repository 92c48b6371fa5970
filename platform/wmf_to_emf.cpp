#include "platform/wmf_to_emf.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "platform/charset_text.h"
#include "platform/emf_record_emit.h"
#include "platform/emf_writer.h"
#include "platform/metafile_error.h"
#include "platform/metafile_records.h"
#include "platform/wmf_reader.h"

namespace pyra::gdi {

using support::ByteReader;

namespace {

// WMF objects take the lowest free slot of the table; EMF handle = slot + 1
// (EMF handle 0 is the metafile itself).
struct Slot {
  enum class Kind : uint8_t { Free, Pen, Brush, Font, Palette, Region, Other } kind = Kind::Free;
  uint8_t charset = 0;
  std::vector<RECTL> region;  // logical units
};

// Keeps slots in a table capped at 65535 entries (WMF indexes are 16-bit).
class SlotTable {
 public:
  int take() {
    int slot;
    if (!freed_.empty()) {
      slot = *freed_.begin();
      freed_.erase(freed_.begin());
    } else {
      if (slots_.size() >= 0xFFFF) return -1;
      slot = int(slots_.size());
      slots_.emplace_back();
    }
    return slot;
  }
  Slot* find(uint32_t i) {
    if (i >= slots_.size() || slots_[i].kind == Slot::Kind::Free) return nullptr;
    return &slots_[i];
  }
  void release(uint32_t i) {
    if (i >= slots_.size() || slots_[i].kind == Slot::Kind::Free) return;
    slots_[i] = Slot{};
    freed_.insert(int(i));
  }
  size_t size() const { return slots_.size(); }
  Slot& at(int i) { return slots_[size_t(i)]; }

 private:
  std::vector<Slot> slots_;
  std::set<int> freed_;
};

class Converter {
 public:
  Converter(std::span<const uint8_t> data, const WmfToEmfOptions& o) : reader_(data), o_(o) {}
  std::vector<uint8_t> run();

 private:
  void record(const WmfRecordView& rec);
  void setupMapping();
  int32_t devX(int32_t x) const {
    return int32_t(std::lround((double(x) - wox_) * vex_ / (wex_ ? wex_ : 1)));
  }
  int32_t devY(int32_t y) const {
    return int32_t(std::lround((double(y) - woy_) * vey_ / (wey_ ? wey_ : 1)));
  }
  RECTL devBounds(std::span<const IntPoint> pts) const {
    BoundsBox b;
    for (const IntPoint& p : pts) b.add(devX(p.x), devY(p.y));
    if (!b.empty()) {
      auto order = [](LONG& a, LONG& c) { if (a > c) std::swap(a, c); };
      order(b.r.left, b.r.right);
      order(b.r.top, b.r.bottom);
    }
    return b.r;
  }
  RECTL devRect(int32_t l, int32_t t, int32_t r, int32_t b) const {
    IntPoint pts[2] = {{l, t}, {r, b}};
    return devBounds(pts);
  }
  void text(int32_t x, int32_t y, uint32_t options, const RECTL& clip, std::span<const uint8_t> bytes,
            std::span<const int16_t> dx);
  void stretchDib(uint32_t rop, int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t sx, int32_t sy,
                  int32_t scx, int32_t scy, uint32_t usage, std::span<const uint8_t> dib);
  int newObject(Slot::Kind kind);

  WmfReader reader_;
  WmfToEmfOptions o_;
  EmfWriter w_;
  SlotTable slots_;
  CharsetDecoder decoder_;
  uint8_t font_charset_ = 0;  // of the selected font
  int32_t char_extra_ = 0;
  bool own_mapping_ = true;  // anisotropic mapping set by us: the WMF's viewport and mode records are ours
  double wox_ = 0, woy_ = 0, wex_ = 1, wey_ = 1, vex_ = 1, vey_ = 1;
  RECTL frame_{};
  SIZEL device_{};
  SIZEL mm_{};
  size_t max_handle_ = 0;
};

int Converter::newObject(Slot::Kind kind) {
  const int slot = slots_.take();
  if (slot < 0) return -1;
  slots_.at(slot).kind = kind;
  max_handle_ = std::max(max_handle_, size_t(slot) + 1);
  return slot;
}

void Converter::setupMapping() {
  const auto& pl = reader_.placeable();
  // Window: the placeable bounding box, else the first window records.
  bool have_org = false, have_ext = false;
  int32_t org_x = 0, org_y = 0, ext_x = 0, ext_y = 0;
  if (pl) {
    org_x = pl->left;
    org_y = pl->top;
    ext_x = int32_t(pl->right) - pl->left;
    ext_y = int32_t(pl->bottom) - pl->top;
    have_org = have_ext = ext_x != 0 && ext_y != 0;
  }
  if (!have_ext) {
    WmfReader scan(reader_.metafile());
    WmfRecordView rec;
    try {
      while (scan.next(rec) && !(have_org && have_ext)) {
        if (rec.paramBytes() < 4) continue;
        ByteReader p = rec.params();
        const int16_t y = p.i16(), x = p.i16();
        if (rec.function == mf::kMetaSetWindowOrg && !have_org) {
          org_x = x;
          org_y = y;
          have_org = true;
        } else if (rec.function == mf::kMetaSetWindowExt && !have_ext && x && y) {
          ext_x = x;
          ext_y = y;
          have_ext = true;
        }
      }
    } catch (const MetafileError&) {
      // The main pass reports the damage.
    }
  }
  if (!have_ext) {
    ext_x = 1000;
    ext_y = 1000;
  }
  // Picture size in .01 mm.
  double fw, fh;
  const bool scalable = o_.map_mode == int32_t(mf::kMmAnisotropic) || o_.map_mode == int32_t(mf::kMmIsotropic);
  if (scalable && o_.x_ext > 0 && o_.y_ext > 0) {
    fw = o_.x_ext;
    fh = o_.y_ext;
  } else if (pl && pl->inch > 0 && ext_x && ext_y) {
    fw = std::abs(double(ext_x)) * 2540.0 / pl->inch;
    fh = std::abs(double(ext_y)) * 2540.0 / pl->inch;
  } else {
    // No size anywhere: the window in reference-device pixels.
    fw = std::abs(double(ext_x)) * 2540.0 / o_.dpi_x;
    fh = std::abs(double(ext_y)) * 2540.0 / o_.dpi_y;
  }
  fw = std::clamp(fw, 1.0, 1e8);
  fh = std::clamp(fh, 1.0, 1e8);
  frame_ = {0, 0, LONG(std::lround(fw)), LONG(std::lround(fh))};
  vex_ = std::max(1.0, std::round(fw * o_.dpi_x / 2540.0));
  vey_ = std::max(1.0, std::round(fh * o_.dpi_y / 2540.0));
  // A negative window extent (y up) against the positive viewport flips
  // the axis, which is what such a WMF means.
  wox_ = org_x;
  woy_ = org_y;
  wex_ = ext_x;
  wey_ = ext_y;
  device_ = {o_.device_px_x > 0 ? o_.device_px_x : LONG(std::lround(210.0 * o_.dpi_x / 25.4)),
             o_.device_px_y > 0 ? o_.device_px_y : LONG(std::lround(297.0 * o_.dpi_y / 25.4))};
  mm_ = {std::max<LONG>(1, LONG(std::lround(device_.cx * 25.4 / o_.dpi_x))),
         std::max<LONG>(1, LONG(std::lround(device_.cy * 25.4 / o_.dpi_y)))};

  if (o_.map_mode != 0 && !scalable) {
    // A fixed mapping mode from the caller: the records play in it unchanged.
    own_mapping_ = false;
    w_.simple(mf::kEmrSetMapMode, {o_.map_mode});
    return;
  }
  w_.simple(mf::kEmrSetMapMode, {int32_t(mf::kMmAnisotropic)});
  w_.simple(mf::kEmrSetWindowOrgEx, {org_x, org_y});
  w_.simple(mf::kEmrSetWindowExtEx, {ext_x, ext_y});
  w_.simple(mf::kEmrSetViewportOrgEx, {0, 0});
  w_.simple(mf::kEmrSetViewportExtEx, {int32_t(vex_), int32_t(vey_)});
}

std::vector<uint8_t> Converter::run() {
  // EMF records are about twice the size of their WMF originals.
  w_.reserve(std::min<size_t>(reader_.metafile().size() * 2 + 256, size_t(64) << 20));
  setupMapping();
  WmfRecordView rec;
  while (reader_.next(rec)) {
    if (rec.function == mf::kMetaEof) break;
    try {
      record(rec);
    } catch (const ByteReader::Short&) {
      // A record too short for its parameters is dropped; the page goes on.
    } catch (const MetafileError&) {
    }
  }
  EmfHeaderFields h;
  h.frame = frame_;
  h.bounds = {0, 0, LONG(vex_) - 1, LONG(vey_) - 1};
  h.device = device_;
  h.millimeters = mm_;
  h.micrometers = {mm_.cx * 1000, mm_.cy * 1000};
  h.handles = uint16_t(std::min<size_t>(0xFFFF, std::max<size_t>(max_handle_, reader_.header().objects) + 1));
  return w_.finish(h);
}

void Converter::text(int32_t x, int32_t y, uint32_t options, const RECTL& clip, std::span<const uint8_t> bytes,
                     std::span<const int16_t> dx) {
  std::vector<uint8_t> per_unit;
  const std::u16string s = decoder_.decode(bytes, font_charset_, &per_unit);
  std::vector<int32_t> adv;
  if (!dx.empty() && dx.size() >= bytes.size()) {
    // Advances are per byte in the WMF: a double-byte character gets the
    // sum of its bytes' advances.
    size_t b = 0;
    for (size_t u = 0; u < s.size(); ++u) {
      int32_t sum = 0;
      for (uint8_t k = 0; k < per_unit[u] && b < dx.size(); ++k, ++b) sum += dx[b];
      adv.push_back(sum + (per_unit[u] ? char_extra_ : 0));
    }
  }
  IntPoint pt[1] = {{x, y}};
  emitExtTextOutW(w_, devBounds(pt), 1 /*GM_COMPATIBLE*/, x, y, options, clip, s, adv);
}

void Converter::stretchDib(uint32_t rop, int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t sx, int32_t sy,
                           int32_t scx, int32_t scy, uint32_t usage, std::span<const uint8_t> dib) {
  const RECTL b = devRect(x, y, x + cx, y + cy);
  if (dib.empty()) {
    emitPatBlt(w_, b, x, y, cx, cy, rop);
    return;
  }
  DibParts parts = splitPackedDib(dib, usage);
  emitStretchDiBits(w_, b, x, y, cx, cy, sx, sy, scx, scy, usage, rop, parts.bmi, parts.bits);
}

void Converter::record(const WmfRecordView& rec) {
  using namespace mf;
  ByteReader p = rec.params();
  auto word = [&] { return int32_t(p.i16()); };
  switch (rec.function) {
    case kMetaSetBkColor: w_.simple(kEmrSetBkColor, {int32_t(p.u32())}); break;
    case kMetaSetTextColor: w_.simple(kEmrSetTextColor, {int32_t(p.u32())}); break;
    case kMetaSetBkMode: w_.simple(kEmrSetBkMode, {int32_t(p.u16())}); break;
    case kMetaSetPolyFillMode: w_.simple(kEmrSetPolyFillMode, {int32_t(p.u16())}); break;
    case kMetaSetRop2: w_.simple(kEmrSetRop2, {int32_t(p.u16())}); break;
    case kMetaSetStretchBltMode: w_.simple(kEmrSetStretchBltMode, {int32_t(p.u16())}); break;
    case kMetaSetTextAlign: w_.simple(kEmrSetTextAlign, {int32_t(p.u16())}); break;
    case kMetaSetMapperFlags: w_.simple(kEmrSetMapperFlags, {int32_t(p.u32())}); break;
    case kMetaSetTextCharExtra: char_extra_ = word(); break;
    case kMetaSetMapMode:
      if (!own_mapping_) w_.simple(kEmrSetMapMode, {int32_t(p.u16())});
      break;
    case kMetaSetWindowOrg: {
      const int32_t y = word(), x = word();
      wox_ = x;
      woy_ = y;
      w_.simple(kEmrSetWindowOrgEx, {x, y});
      break;
    }
    case kMetaSetWindowExt: {
      const int32_t y = word(), x = word();
      if (x == 0 || y == 0) break;  // a zero extent would divide by zero on playback
      wex_ = x;
      wey_ = y;
      w_.simple(kEmrSetWindowExtEx, {x, y});
      break;
    }
    case kMetaOffsetWindowOrg: {
      const int32_t y = word(), x = word();
      wox_ += x;
      woy_ += y;
      w_.simple(kEmrSetWindowOrgEx, {int32_t(wox_), int32_t(woy_)});
      break;
    }
    case kMetaScaleWindowExt: {
      const int32_t yd = word(), yn = word(), xd = word(), xn = word();
      if (!xd || !yd || !xn || !yn) break;
      wex_ = wex_ * xn / xd;
      wey_ = wey_ * yn / yd;
      w_.simple(kEmrScaleWindowExtEx, {xn, xd, yn, yd});
      break;
    }
    case kMetaSetViewportOrg: case kMetaSetViewportExt: case kMetaOffsetViewportOrg:
    case kMetaScaleViewportExt:
      // The viewport places the picture on the page; with our own mapping it
      // is not the metafile's to change.
      if (!own_mapping_) {
        const int32_t a = word(), b = word();
        if (rec.function == kMetaSetViewportOrg) w_.simple(kEmrSetViewportOrgEx, {b, a});
        if (rec.function == kMetaSetViewportExt) w_.simple(kEmrSetViewportExtEx, {b, a});
      }
      break;
    case kMetaLineTo: {
      const int32_t y = word(), x = word();
      w_.simple(kEmrLineTo, {x, y});
      break;
    }
    case kMetaMoveTo: {
      const int32_t y = word(), x = word();
      w_.simple(kEmrMoveToEx, {x, y});
      break;
    }
    case kMetaExcludeClipRect: case kMetaIntersectClipRect: {
      const int32_t b = word(), r = word(), t = word(), l = word();
      w_.simple(rec.function == kMetaExcludeClipRect ? kEmrExcludeClipRect : kEmrIntersectClipRect, {l, t, r, b});
      break;
    }
    case kMetaRectangle: case kMetaEllipse: {
      const int32_t b = word(), r = word(), t = word(), l = word();
      w_.simple(rec.function == kMetaRectangle ? kEmrRectangle : kEmrEllipse, {l, t, r, b});
      break;
    }
    case kMetaRoundRect: {
      const int32_t h = word(), wd = word(), b = word(), r = word(), t = word(), l = word();
      w_.simple(kEmrRoundRect, {l, t, r, b, wd, h});
      break;
    }
    case kMetaArc: case kMetaPie: case kMetaChord: {
      const int32_t ye = word(), xe = word(), ys = word(), xs = word(), b = word(), r = word(), t = word(),
                    l = word();
      const uint32_t type = rec.function == kMetaArc ? kEmrArc : rec.function == kMetaPie ? kEmrPie : kEmrChord;
      w_.simple(type, {l, t, r, b, xs, ys, xe, ye});
      break;
    }
    case kMetaSetPixel: {
      const uint32_t c = p.u32();
      const int32_t y = word(), x = word();
      w_.simple(kEmrSetPixelV, {x, y, int32_t(c)});
      break;
    }
    case kMetaPolygon: case kMetaPolyline: {
      const int32_t n = word();
      if (n < 0 || uint64_t(n) * 4 > p.remaining()) throw MetafileError("point count");
      std::vector<IntPoint> pts(static_cast<size_t>(n));
      for (auto& pt : pts) {
        pt.x = word();
        pt.y = word();
      }
      emitPoly(w_, rec.function == kMetaPolygon ? kEmrPolygon : kEmrPolyline, devBounds(pts), pts);
      break;
    }
    case kMetaPolyPolygon: {
      const uint32_t polys = p.u16();
      if (uint64_t(polys) * 2 > p.remaining()) throw MetafileError("polygon count");
      std::vector<uint32_t> counts(polys);
      uint64_t total = 0;
      for (auto& c : counts) total += (c = p.u16());
      if (total * 4 > p.remaining()) throw MetafileError("point count");
      std::vector<IntPoint> pts(static_cast<size_t>(total));
      for (auto& pt : pts) {
        pt.x = word();
        pt.y = word();
      }
      emitPolyPoly(w_, true, devBounds(pts), counts, pts);
      break;
    }
    case kMetaSaveDc: w_.simple(kEmrSaveDc, {}); break;
    case kMetaRestoreDc: w_.simple(kEmrRestoreDc, {word()}); break;
    case kMetaSelectObject: {
      const uint32_t i = p.u16();
      Slot* s = slots_.find(i);
      if (!s) break;  // never created or deleted: ignore, keep the page
      if (s->kind == Slot::Kind::Region) {
        std::vector<RECTL> rects;
        for (const RECTL& r : s->region) rects.push_back(devRect(r.left, r.top, r.right, r.bottom));
        emitExtSelectClipRgn(w_, 5 /*RGN_COPY*/, rects);
      } else if (s->kind == Slot::Kind::Pen || s->kind == Slot::Kind::Brush || s->kind == Slot::Kind::Font) {
        if (s->kind == Slot::Kind::Font) font_charset_ = s->charset;
        w_.simple(kEmrSelectObject, {int32_t(i + 1)});
      }
      break;
    }
    case kMetaSelectClipRegion: {
      const uint32_t i = p.u16();
      Slot* s = slots_.find(i);
      std::vector<RECTL> rects;
      if (s && s->kind == Slot::Kind::Region)
        for (const RECTL& r : s->region) rects.push_back(devRect(r.left, r.top, r.right, r.bottom));
      emitExtSelectClipRgn(w_, 5 /*RGN_COPY*/, rects);
      break;
    }
    case kMetaDeleteObject: {
      const uint32_t i = p.u16();
      Slot* s = slots_.find(i);
      if (!s) break;
      if (s->kind == Slot::Kind::Pen || s->kind == Slot::Kind::Brush || s->kind == Slot::Kind::Font)
        w_.simple(kEmrDeleteObject, {int32_t(i + 1)});
      slots_.release(i);
      break;
    }
    case kMetaCreatePenIndirect: {
      const uint32_t style = p.u16();
      const int32_t width = word();
      word();
      const uint32_t color = p.u32();
      const int slot = newObject(Slot::Kind::Pen);
      if (slot < 0) break;
      w_.simple(kEmrCreatePen, {slot + 1, int32_t(style), width, 0, int32_t(color)});
      break;
    }
    case kMetaCreateBrushIndirect: {
      uint32_t style = p.u16();
      const uint32_t color = p.u32();
      const uint32_t hatch = p.u16();
      const int slot = newObject(Slot::Kind::Brush);
      if (slot < 0) break;
      if (style != kBsSolid && style != kBsNull && style != kBsHatched) style = kBsSolid;
      w_.simple(kEmrCreateBrushIndirect, {slot + 1, int32_t(style), int32_t(color), int32_t(hatch)});
      break;
    }
    case kMetaDibCreatePatternBrush: case kMetaCreatePatternBrush: {
      // Pattern pixels are not carried over: a mid-grey brush keeps the fill
      // visible and the slot numbering right.
      const int slot = newObject(Slot::Kind::Brush);
      if (slot < 0) break;
      w_.simple(kEmrCreateBrushIndirect, {slot + 1, int32_t(kBsSolid), 0x808080, 0});
      break;
    }
    case kMetaCreateFontIndirect: {
      EmfLogFont f;
      f.height = word();
      f.width = word();
      f.escapement = word();
      f.orientation = word();
      f.weight = word();
      f.italic = p.u8();
      f.underline = p.u8();
      f.strike_out = p.u8();
      f.char_set = p.u8();
      f.out_precision = p.u8();
      f.clip_precision = p.u8();
      f.quality = p.u8();
      f.pitch_and_family = p.u8();
      std::vector<uint8_t> face;
      while (!p.atEnd() && face.size() < 32) {
        const uint8_t c = p.u8();
        if (!c) break;
        face.push_back(c);
      }
      f.face = decoder_.decode(face, f.char_set == 2 ? 0 : f.char_set);
      const int slot = newObject(Slot::Kind::Font);
      if (slot < 0) break;
      slots_.at(slot).charset = f.char_set;
      emitCreateFont(w_, uint32_t(slot) + 1, f);
      break;
    }
    case kMetaCreatePalette: {
      newObject(Slot::Kind::Palette);
      break;
    }
    case kMetaCreateRegion: {
      const int slot = newObject(Slot::Kind::Region);
      if (slot < 0) break;
      // nextInChain, objectType, objectCount, regionSize, scanCount, maxScan, bounding box.
      p.skip(2 + 2 + 4 + 2);
      const uint32_t scans = p.u16();
      p.skip(2);
      const int32_t bl = word(), bt = word(), br = word(), bb = word();
      std::vector<RECTL>& rects = slots_.at(slot).region;
      for (uint32_t s = 0; s < scans && p.remaining() >= 6; ++s) {
        const uint32_t count = p.u16();
        const int32_t top = word(), bottom = word();
        for (uint32_t k = 0; k + 1 < count + 1 && k < count / 2; ++k) {
          const int32_t l = word(), r = word();
          rects.push_back({l, top, r, bottom});
        }
        p.u16();  // count repeated
      }
      if (rects.empty() && br > bl && bb > bt) rects.push_back({bl, bt, br, bb});
      break;
    }
    case kMetaTextOut: {
      const uint32_t len = p.u16();
      auto bytes = p.take(len);
      if (len % 2) p.skip(1);
      const int32_t y = word(), x = word();
      text(x, y, 0, {0, 0, -1, -1}, bytes, {});
      break;
    }
    case kMetaExtTextOut: {
      const int32_t y = word(), x = word();
      const uint32_t len = p.u16();
      const uint32_t opts = p.u16();
      RECTL clip{0, 0, -1, -1};
      if (opts & (kEtoOpaque | kEtoClipped)) {
        clip.left = word();
        clip.top = word();
        clip.right = word();
        clip.bottom = word();
      }
      auto bytes = p.take(len);
      if (len % 2) p.skip(1);
      std::vector<int16_t> dx;
      // The advance array is optional: present only when the record has room.
      if (p.remaining() >= size_t(len) * 2)
        for (uint32_t i = 0; i < len; ++i) dx.push_back(p.i16());
      text(x, y, opts & (kEtoOpaque | kEtoClipped), clip, bytes, dx);
      break;
    }
    case kMetaEscape: {
      const uint32_t fn = p.u16();
      const uint32_t count = p.u16();
      if (fn == kMfComment) emitGdiComment(w_, p.take(count));
      break;
    }
    case kMetaPatBlt: {
      const uint32_t rop = p.u32();
      const int32_t h = word(), wd = word(), y = word(), x = word();
      emitPatBlt(w_, devRect(x, y, x + wd, y + h), x, y, wd, h, rop);
      break;
    }
    case kMetaDibBitBlt: {
      // Without a bitmap the record has a reserved word: size = (function >> 8) + 3.
      const bool no_bitmap = rec.bytes.size() / 2 == size_t((rec.function >> 8) + 3);
      const uint32_t rop = p.u32();
      const int32_t sy = word(), sx = word();
      if (no_bitmap) word();
      const int32_t h = word(), wd = word(), y = word(), x = word();
      stretchDib(rop, x, y, wd, h, sx, sy, wd, h, kDibRgbColors, no_bitmap ? std::span<const uint8_t>{} : p.take(p.remaining()));
      break;
    }
    case kMetaDibStretchBlt: {
      const bool no_bitmap = rec.bytes.size() / 2 == size_t((rec.function >> 8) + 3);
      const uint32_t rop = p.u32();
      const int32_t sh = word(), sw = word(), sy = word(), sx = word();
      if (no_bitmap) word();
      const int32_t h = word(), wd = word(), y = word(), x = word();
      stretchDib(rop, x, y, wd, h, sx, sy, sw, sh, kDibRgbColors, no_bitmap ? std::span<const uint8_t>{} : p.take(p.remaining()));
      break;
    }
    case kMetaStretchDib: {
      const uint32_t rop = p.u32();
      const uint32_t usage = p.u16();
      const int32_t sh = word(), sw = word(), sy = word(), sx = word();
      const int32_t h = word(), wd = word(), y = word(), x = word();
      if (p.remaining() == 0) throw MetafileError("stretched DIB without a bitmap");
      stretchDib(rop, x, y, wd, h, sx, sy, sw, sh, usage, p.take(p.remaining()));
      break;
    }
    case kMetaSetDibToDev: {
      const uint32_t usage = p.u16();
      word();  // scan count
      word();  // start scan
      const int32_t sy = word(), sx = word(), h = word(), wd = word(), y = word(), x = word();
      if (p.remaining() == 0) throw MetafileError("SetDIBitsToDevice without a bitmap");
      stretchDib(kSrcCopy, x, y, wd, h, sx, sy, wd, h, usage, p.take(p.remaining()));
      break;
    }
    default:
      break;  // palettes, flood fills, region painting: nothing the page needs
  }
}

}  // namespace

std::vector<uint8_t> convertWmfToEmf(std::span<const uint8_t> wmf, const WmfToEmfOptions& options) {
  WmfToEmfOptions o = options;
  if (o.dpi_x <= 0) o.dpi_x = 96;
  if (o.dpi_y <= 0) o.dpi_y = 96;
  Converter c(wmf, o);
  return c.run();
}

}  // namespace pyra::gdi
