#include "platform/emf_record_emit.h"

#include <algorithm>

#include "platform/metafile_error.h"
#include "platform/metafile_records.h"
#include "support/byte_reader.h"
#include "support/checked_math.h"

namespace pyra::gdi {

void BoundsBox::add(int32_t x, int32_t y) {
  if (empty()) {
    r = {x, y, x, y};
    return;
  }
  r.left = std::min(r.left, x);
  r.top = std::min(r.top, y);
  r.right = std::max(r.right, x);
  r.bottom = std::max(r.bottom, y);
}

void BoundsBox::add(const RECTL& b) {
  if (b.right < b.left || b.bottom < b.top) return;
  add(b.left, b.top);
  add(b.right, b.bottom);
}

namespace {
bool fits16(std::span<const IntPoint> pts) {
  return std::all_of(pts.begin(), pts.end(), [](const IntPoint& p) {
    return p.x >= -32768 && p.x <= 32767 && p.y >= -32768 && p.y <= 32767;
  });
}

// The points of a poly record: 16-bit pairs in the 16-bit record types.
void writePoints(EmfWriter& w, std::span<const IntPoint> points, bool small) {
  for (const IntPoint& p : points) {
    if (small) {
      w.i16(int16_t(p.x));
      w.i16(int16_t(p.y));
    } else {
      w.point(p.x, p.y);
    }
  }
}
}  // namespace

void emitPoly(EmfWriter& w, uint32_t type32, const RECTL& bounds, std::span<const IntPoint> points) {
  const bool small = fits16(points);
  // 16-bit types follow the 32-bit ones in the same order, 83 apart.
  w.begin(small ? type32 + (mf::kEmrPolyBezier16 - mf::kEmrPolyBezier) : type32);
  w.rect(bounds);
  w.u32(uint32_t(points.size()));
  writePoints(w, points, small);
  w.end();
}

void emitPolyPoly(EmfWriter& w, bool polygon, const RECTL& bounds, std::span<const uint32_t> counts,
                  std::span<const IntPoint> points) {
  const bool small = fits16(points);
  uint32_t type = polygon ? (small ? mf::kEmrPolyPolygon16 : mf::kEmrPolyPolygon)
                          : (small ? mf::kEmrPolyPolyline16 : mf::kEmrPolyPolyline);
  w.begin(type);
  w.rect(bounds);
  w.u32(uint32_t(counts.size()));
  w.u32(uint32_t(points.size()));
  for (uint32_t c : counts) w.u32(c);
  writePoints(w, points, small);
  w.end();
}

void emitCreateFont(EmfWriter& w, uint32_t handle, const EmfLogFont& f) {
  w.begin(mf::kEmrExtCreateFontIndirectW);
  w.u32(handle);
  w.i32(f.height);
  w.i32(f.width);
  w.i32(f.escapement);
  w.i32(f.orientation);
  w.i32(f.weight);
  for (uint8_t b : {f.italic, f.underline, f.strike_out, f.char_set, f.out_precision, f.clip_precision,
                    f.quality, f.pitch_and_family})
    w.bytes(std::span<const uint8_t>(&b, 1));
  for (size_t i = 0; i < 32; ++i) w.u16(i < 31 && i < f.face.size() ? uint16_t(f.face[i]) : 0);
  w.end();
}

void emitExtTextOutW(EmfWriter& w, const RECTL& bounds, uint32_t graphics_mode, int32_t x, int32_t y,
                     uint32_t options, const RECTL& clip, std::u16string_view text, std::span<const int32_t> dx) {
  const uint32_t n = uint32_t(text.size());
  const uint32_t off_string = mf::kEmrTextFixed;
  const uint32_t string_bytes = (n * 2 + 3) & ~3u;
  const bool has_dx = !dx.empty();
  const uint32_t dx_each = (options & mf::kEtoPdy) ? 8 : 4;
  w.begin(mf::kEmrExtTextOutW);
  w.rect(bounds);
  w.u32(graphics_mode);
  w.f32(0);
  w.f32(0);
  w.point(x, y);
  w.u32(n);
  w.u32(n ? off_string : 0);
  w.u32(options);
  w.rect(clip);
  w.u32(has_dx ? off_string + string_bytes : 0);
  for (char16_t c : text) w.u16(uint16_t(c));
  if (n % 2) w.u16(0);
  if (has_dx) {
    for (uint32_t i = 0; i < n; ++i) {
      const size_t step = dx_each / 4;
      for (size_t k = 0; k < step; ++k) {
        const size_t at = size_t(i) * step + k;
        w.i32(at < dx.size() ? dx[at] : 0);
      }
    }
  }
  w.end();
}

void emitStretchDiBits(EmfWriter& w, const RECTL& bounds, int32_t x, int32_t y, int32_t cx, int32_t cy,
                       int32_t src_x, int32_t src_y, int32_t src_cx, int32_t src_cy, uint32_t usage,
                       uint32_t rop, std::span<const uint8_t> bmi, std::span<const uint8_t> bits) {
  const uint32_t bmi_size = uint32_t((bmi.size() + 3) & ~size_t{3});
  w.begin(mf::kEmrStretchDiBits);
  w.rect(bounds);
  w.i32(x);
  w.i32(y);
  w.i32(src_x);
  w.i32(src_y);
  w.i32(src_cx);
  w.i32(src_cy);
  w.u32(bmi.empty() ? 0 : mf::kEmrStretchDiBitsFixed);
  w.u32(uint32_t(bmi.size()));
  w.u32(bits.empty() ? 0 : mf::kEmrStretchDiBitsFixed + bmi_size);
  w.u32(uint32_t(bits.size()));
  w.u32(usage);
  w.u32(rop);
  w.i32(cx);
  w.i32(cy);
  w.bytes(bmi);
  w.zeros(bmi_size - bmi.size());
  w.bytes(bits);
  w.end();
}

namespace {
void bitBltCommon(EmfWriter& w, const RECTL& bounds, int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop,
                  int32_t sx, int32_t sy, std::span<const uint8_t> bmi, std::span<const uint8_t> bits) {
  const uint32_t bmi_size = uint32_t((bmi.size() + 3) & ~size_t{3});
  w.begin(mf::kEmrBitBlt);
  w.rect(bounds);
  w.i32(x);
  w.i32(y);
  w.i32(cx);
  w.i32(cy);
  w.u32(rop);
  w.i32(sx);
  w.i32(sy);
  for (float f : {1.f, 0.f, 0.f, 1.f, 0.f, 0.f}) w.f32(f);
  w.u32(0);  // background colour of the source
  w.u32(mf::kDibRgbColors);
  w.u32(bmi.empty() ? 0 : mf::kEmrBitBltFixed);
  w.u32(uint32_t(bmi.size()));
  w.u32(bits.empty() ? 0 : mf::kEmrBitBltFixed + bmi_size);
  w.u32(uint32_t(bits.size()));
  w.bytes(bmi);
  w.zeros(bmi_size - bmi.size());
  w.bytes(bits);
  w.end();
}
}  // namespace

void emitPatBlt(EmfWriter& w, const RECTL& bounds, int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop) {
  bitBltCommon(w, bounds, x, y, cx, cy, rop, 0, 0, {}, {});
}

void emitBitBlt(EmfWriter& w, const RECTL& bounds, int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t src_x,
                int32_t src_y, uint32_t rop, std::span<const uint8_t> bmi, std::span<const uint8_t> bits) {
  bitBltCommon(w, bounds, x, y, cx, cy, rop, src_x, src_y, bmi, bits);
}

void emitExtSelectClipRgn(EmfWriter& w, uint32_t mode, std::span<const RECTL> rects) {
  w.begin(mf::kEmrExtSelectClipRgn);
  if (rects.empty()) {
    w.u32(0);
    w.u32(mode);
    w.end();
    return;
  }
  BoundsBox box;
  for (const RECTL& r : rects) box.add(r);
  const uint32_t cb = mf::kRgnDataHeaderSize + uint32_t(rects.size()) * 16;
  w.u32(cb);
  w.u32(mode);
  w.u32(mf::kRgnDataHeaderSize);
  w.u32(1);  // RDH_RECTANGLES
  w.u32(uint32_t(rects.size()));
  w.u32(uint32_t(rects.size()) * 16);
  w.rect(box.r);
  for (const RECTL& r : rects) w.rect(r);
  w.end();
}

void emitGdiComment(EmfWriter& w, std::span<const uint8_t> data) {
  w.begin(mf::kEmrGdiComment);
  w.u32(uint32_t(data.size()));
  w.bytes(data);
  w.end();
}

size_t dibInfoSize(std::span<const uint8_t> bmi, uint32_t usage) {
  support::ByteReader r(bmi);
  const uint32_t header = r.u32();
  uint64_t colors = 0, entry = 4, masks = 0;
  uint16_t bit_count;
  if (header == 12) {
    r.skip(4);  // width, height (16-bit)
    r.u16();
    bit_count = r.u16();
    entry = 3;
    if (bit_count <= 8) colors = uint64_t{1} << bit_count;
  } else if (header >= 40) {
    r.skip(8);
    r.u16();
    bit_count = r.u16();
    const uint32_t compression = r.u32();
    r.skip(12);
    const uint32_t used = r.u32();
    if (bit_count <= 8) colors = used ? std::min<uint64_t>(used, uint64_t{1} << bit_count) : uint64_t{1} << bit_count;
    else colors = used;
    if (header == 40 && compression == 3) masks = 12;
    if (header == 40 && compression == 6) masks = 16;
  } else {
    throw MetafileError("bitmap header size " + std::to_string(header) + " is not a known DIB header");
  }
  if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 16 && bit_count != 24 && bit_count != 32 &&
      bit_count != 0)
    throw MetafileError("bitmap of " + std::to_string(bit_count) + " bits per pixel");
  if (usage == 1) entry = 2;  // DIB_PAL_COLORS: 16-bit palette indexes
  const uint64_t total = header + masks + colors * entry;
  if (total > bmi.size())
    throw MetafileError("bitmap colour table needs " + std::to_string(total) + " bytes, " +
                        std::to_string(bmi.size()) + " present");
  return size_t(total);
}

DibParts splitPackedDib(std::span<const uint8_t> dib, uint32_t usage) {
  DibParts parts;
  const size_t info = dibInfoSize(dib, usage);
  support::ByteReader r(dib);
  const uint32_t header = r.u32();
  if (header == 12) {
    parts.width = r.u16();
    parts.height = r.u16();
    r.u16();
    parts.bit_count = r.u16();
  } else {
    parts.width = r.i32();
    parts.height = r.i32();
    r.u16();
    parts.bit_count = r.u16();
    parts.compression = r.u32();
  }
  parts.bmi = dib.first(info);
  parts.bits = dib.subspan(info);
  if (parts.width < 0 || parts.height == INT32_MIN)
    throw MetafileError("bitmap of " + std::to_string(parts.width) + " x " + std::to_string(parts.height) + " pixels");
  if (parts.compression == 0 || parts.compression == 3 || parts.compression == 6) {
    auto stride = support::dibStride(uint64_t(parts.width), parts.bit_count);
    const uint64_t rows = uint64_t(parts.height < 0 ? -int64_t(parts.height) : parts.height);
    auto need = stride ? support::checkedMul(*stride, rows) : std::nullopt;
    if (!need || *need > parts.bits.size())
      throw MetafileError("bitmap of " + std::to_string(parts.width) + " x " + std::to_string(parts.height) +
                          " pixels at " + std::to_string(parts.bit_count) + " bits needs more than the " +
                          std::to_string(parts.bits.size()) + " bytes present");
    parts.bits = parts.bits.first(size_t(*need));
  }
  return parts;
}

}  // namespace pyra::gdi
