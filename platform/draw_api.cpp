// The drawing calls. On a metafile DC they become records through its
// recorder; on any other DC they do nothing and report success (the engine
// draws by playing metafiles, never onto pixels).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/charset_text.h"
#include "support/checked_math.h"
#include <optional>
#include "platform/api_guard.h"
#include "platform/device_context.h"
#include "platform/emf_record_emit.h"
#include "platform/metafile_font_hooks.h"
#include "platform/metafile_recorder.h"
#include "platform/metafile_records.h"
#include "platform/pens_brushes.h"
#include "pyra/gdi_metafile.h"

namespace pyra::gdi {
namespace {

// Caller arrays are trusted memory, but their counts are not trusted to be
// sane: a count this large cannot be a drawing.
constexpr uint64_t kMaxPoints = 1u << 24;

std::shared_ptr<DeviceContext> findDc(HDC hdc) {
  return HandleTable::instance().findAs<DeviceContext>(hdc, ObjectKind::Dc);
}

// Runs `op` with the DC's recorder; `plain` is the result on a DC that does
// not record, `fallback` when the DC does not exist or the call throws.
template <class R, class F>
R withRecorder(HDC hdc, R fallback, R plain, F&& op) noexcept {
  return guarded(fallback, [&]() -> R {
    auto dc = findDc(hdc);
    if (!dc) return fallback;
    MetafileRecorder* rec = recorderOf(*dc);
    if (!rec) return plain;
    return op(*dc, *rec);
  });
}

BOOL simpleRecord(HDC hdc, uint32_t type, std::initializer_list<int32_t> params) {
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext&, MetafileRecorder& r) -> BOOL {
    return r.simple(type, params) ? TRUE : FALSE;
  });
}

std::vector<IntPoint> points(const POINT* pts, uint64_t n) {
  std::vector<IntPoint> v;
  v.reserve(size_t(n));
  for (uint64_t i = 0; i < n; ++i) v.push_back({pts[i].x, pts[i].y});
  return v;
}

BOOL polyRecord(HDC hdc, uint32_t type, const POINT* pts, int64_t n, uint64_t min_points) {
  if (!pts || n < 0 || uint64_t(n) < min_points || uint64_t(n) > kMaxPoints) return FALSE;
  if ((type == mf::kEmrPolyBezier && (n - 1) % 3) || (type == mf::kEmrPolyBezierTo && n % 3)) return FALSE;
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext&, MetafileRecorder& r) -> BOOL {
    return r.poly(type, points(pts, uint64_t(n))) ? TRUE : FALSE;
  });
}

// Packed-DIB length of a caller's BITMAPINFO: header, masks and colours.
// 0 when the header is not one we know.
size_t callerInfoSize(const uint8_t* info, uint32_t usage) {
  uint32_t header;
  std::memcpy(&header, info, 4);
  if (header != 12 && header != 40 && header != 52 && header != 56 && header != 108 && header != 124) return 0;
  uint32_t used = 0;
  if (header >= 40) std::memcpy(&used, info + 32, 4);
  if (used > 256) return 0;
  return dibInfoSize(std::span<const uint8_t>(info, header + 16 + 256 * 4), usage);
}

// Bytes of pixel data a caller's DIB has.
uint64_t callerBitsSize(const uint8_t* info) {
  uint32_t header;
  std::memcpy(&header, info, 4);
  int64_t width, height;
  uint16_t bit_count;
  uint32_t compression = 0, size_image = 0;
  if (header == 12) {
    uint16_t w16, h16;
    std::memcpy(&w16, info + 4, 2);
    std::memcpy(&h16, info + 6, 2);
    std::memcpy(&bit_count, info + 10, 2);
    width = w16;
    height = h16;
  } else {
    int32_t w32, h32;
    std::memcpy(&w32, info + 4, 4);
    std::memcpy(&h32, info + 8, 4);
    std::memcpy(&bit_count, info + 14, 2);
    std::memcpy(&compression, info + 16, 4);
    std::memcpy(&size_image, info + 20, 4);
    width = w32;
    height = h32;
  }
  if (compression != 0 && compression != 3 && compression != 6) return size_image;
  if (width < 0) return 0;
  auto stride = support::dibStride(uint64_t(width), bit_count);
  auto total = stride ? support::checkedMul(*stride, uint64_t(height < 0 ? -height : height)) : std::nullopt;
  if (!total || *total > 0x7FFFFFFF) return 0;
  return *total;
}

// Advances for text drawn without a caller's dx: the font's when known,
// else a fixed half-em guess; plus the character extra.
std::vector<int32_t> advances(DeviceContext& dc, MetafileRecorder& r, std::u16string_view text) {
  std::vector<int32_t> dx;
  if (!advanceWidthsW(dc, text, dx) || dx.size() != text.size()) {
    const int32_t h = std::abs(selectedFontHeight(dc));
    dx.assign(text.size(), h ? std::max(1, h / 2) : 8);
  }
  for (int32_t& d : dx) d += r.attrs().char_extra;
  return dx;
}

BOOL textCall(HDC hdc, INT x, INT y, UINT options, const RECT* rect, std::u16string_view text,
              std::span<const uint8_t> ansi, const INT* dx_in, std::span<const uint8_t> per_unit) {
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext& dc, MetafileRecorder& r) -> BOOL {
    std::vector<int32_t> dx;
    const bool pdy = options & mf::kEtoPdy;
    if (dx_in) {
      if (!ansi.empty()) {
        // Per byte from the caller: summed per character.
        size_t b = 0;
        for (size_t u = 0; u < text.size(); ++u) {
          int32_t sum = 0;
          for (uint8_t k = 0; k < per_unit[u]; ++k, ++b) sum += dx_in[pdy ? b * 2 : b];
          dx.push_back(sum);
          if (pdy) dx.push_back(0);
        }
      } else {
        dx.assign(dx_in, dx_in + text.size() * (pdy ? 2 : 1));
      }
    } else {
      options &= ~uint32_t(mf::kEtoPdy);
      dx = advances(dc, r, text);
    }
    RECTL clip{0, 0, -1, -1};
    if (rect) clip = {rect->left, rect->top, rect->right, rect->bottom};
    if (!r.text(dc, x, y, options, rect ? &clip : nullptr, text, ansi, dx)) return FALSE;
    if (r.attrs().text_align & 1) {  // TA_UPDATECP: the pen moves past the text
      int64_t w = 0;
      for (size_t i = 0; i < dx.size(); i += pdy ? 2 : 1) w += dx[i];
      r.attrs().position.x = int32_t(std::clamp<int64_t>(r.attrs().position.x + w, INT32_MIN, INT32_MAX));
    }
    return TRUE;
  });
}

BOOL textA(HDC hdc, INT x, INT y, UINT options, const RECT* rect, const char* text, int64_t count, const INT* dx) {
  if (count < 0 || count > 0x7FFFFFF || (count && !text)) return FALSE;
  auto dc = guarded(std::shared_ptr<DeviceContext>(), [&] { return findDc(hdc); });
  if (!dc) return FALSE;
  std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text), size_t(count));
  std::vector<uint8_t> per_unit;
  std::u16string wide;
  try {
    CharsetDecoder decoder;
    wide = decoder.decode(bytes, selectedCharset(*dc), &per_unit);
  } catch (...) {
    return FALSE;
  }
  return textCall(hdc, x, y, options, rect, wide, bytes, dx, per_unit);
}

BOOL textW(HDC hdc, INT x, INT y, UINT options, const RECT* rect, const WCHAR* text, int64_t count, const INT* dx) {
  if (count < 0 || count > 0x7FFFFFF || (count && !text)) return FALSE;
  std::u16string_view s(reinterpret_cast<const char16_t*>(text), size_t(count));
  return textCall(hdc, x, y, options, rect, s, {}, dx, {});
}

BOOL blit(HDC hdc, INT x, INT y, INT cx, INT cy, HDC source, INT sx, INT sy, INT scx, INT scy, DWORD rop) {
  // Raster operations that read no source are pattern blits.
  const bool uses_source = ((rop >> 2) ^ rop) & 0x00330000;
  if (!source || !uses_source)
    return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext&, MetafileRecorder& r) -> BOOL {
      return r.patBlt(x, y, cx, cy, rop) ? TRUE : FALSE;
    });
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext&, MetafileRecorder& r) -> BOOL {
    std::vector<uint8_t> bmi, bits;
    if (!selectedBitmapDib(source, bmi, bits)) return FALSE;
    return r.stretchDib(x, y, cx, cy, sx, sy, scx, scy, bmi, bits, DIB_RGB_COLORS, rop) ? TRUE : FALSE;
  });
}

INT clipRect(HDC hdc, uint32_t type, INT l, INT t, INT r, INT b) {
  return withRecorder(hdc, INT(RGN_ERROR), INT(SIMPLEREGION), [&](DeviceContext&, MetafileRecorder& rec) -> INT {
    return rec.simple(type, {l, t, r, b}) ? SIMPLEREGION : RGN_ERROR;
  });
}

// Puts a saved selection back into a DC slot, keeping the selection counts
// that DeleteObject relies on. An object deleted since the save leaves the
// slot at its default.
void restoreSlot(HGDIOBJ& slot, HGDIOBJ value) {
  if (slot == value) return;
  auto& table = HandleTable::instance();
  auto next = value ? table.find(value) : nullptr;
  if (next) next->addSelection();
  if (auto old = slot ? table.find(slot) : nullptr) old->removeSelection();
  slot = next ? value : 0;
}

BOOL arcRecord(HDC hdc, uint32_t type, INT l, INT t, INT r, INT b, INT xs, INT ys, INT xe, INT ye) {
  return simpleRecord(hdc, type, {l, t, r, b, xs, ys, xe, ye});
}

}  // namespace
}  // namespace pyra::gdi

using namespace pyra::gdi;

extern "C" {

BOOL MoveToEx(HDC hdc, INT x, INT y, POINT* previous) {
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext&, MetafileRecorder& r) -> BOOL {
    if (previous) *previous = {r.attrs().position.x, r.attrs().position.y};
    return r.simple(mf::kEmrMoveToEx, {x, y}) ? TRUE : FALSE;
  });
}
BOOL LineTo(HDC hdc, INT x, INT y) { return simpleRecord(hdc, mf::kEmrLineTo, {x, y}); }
BOOL Polyline(HDC hdc, const POINT* p, INT n) { return polyRecord(hdc, mf::kEmrPolyline, p, n, 2); }
BOOL PolylineTo(HDC hdc, const POINT* p, DWORD n) { return polyRecord(hdc, mf::kEmrPolylineTo, p, n, 1); }
BOOL Polygon(HDC hdc, const POINT* p, INT n) { return polyRecord(hdc, mf::kEmrPolygon, p, n, 2); }
BOOL PolyBezier(HDC hdc, const POINT* p, DWORD n) { return polyRecord(hdc, mf::kEmrPolyBezier, p, n, 4); }
BOOL PolyBezierTo(HDC hdc, const POINT* p, DWORD n) { return polyRecord(hdc, mf::kEmrPolyBezierTo, p, n, 3); }

BOOL PolyPolygon(HDC hdc, const POINT* pts, const INT* counts, INT polygons) {
  if (!pts || !counts || polygons <= 0 || uint64_t(polygons) > kMaxPoints) return FALSE;
  uint64_t total = 0;
  std::vector<uint32_t> c;
  for (INT i = 0; i < polygons; ++i) {
    if (counts[i] < 2) return FALSE;
    total += uint64_t(counts[i]);
    c.push_back(uint32_t(counts[i]));
  }
  if (total > kMaxPoints) return FALSE;
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext&, MetafileRecorder& r) -> BOOL {
    return r.polyPoly(true, c, points(pts, total)) ? TRUE : FALSE;
  });
}

BOOL PolyPolyline(HDC hdc, const POINT* pts, const DWORD* counts, DWORD lines) {
  if (!pts || !counts || lines == 0 || lines > kMaxPoints) return FALSE;
  uint64_t total = 0;
  std::vector<uint32_t> c;
  for (DWORD i = 0; i < lines; ++i) {
    if (counts[i] < 2) return FALSE;
    total += counts[i];
    c.push_back(counts[i]);
  }
  if (total > kMaxPoints) return FALSE;
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext&, MetafileRecorder& r) -> BOOL {
    return r.polyPoly(false, c, points(pts, total)) ? TRUE : FALSE;
  });
}

BOOL Rectangle(HDC hdc, INT l, INT t, INT r, INT b) { return simpleRecord(hdc, mf::kEmrRectangle, {l, t, r, b}); }
BOOL RoundRect(HDC hdc, INT l, INT t, INT r, INT b, INT w, INT h) {
  return simpleRecord(hdc, mf::kEmrRoundRect, {l, t, r, b, w, h});
}
BOOL Ellipse(HDC hdc, INT l, INT t, INT r, INT b) { return simpleRecord(hdc, mf::kEmrEllipse, {l, t, r, b}); }
BOOL Arc(HDC hdc, INT l, INT t, INT r, INT b, INT xs, INT ys, INT xe, INT ye) {
  return arcRecord(hdc, mf::kEmrArc, l, t, r, b, xs, ys, xe, ye);
}
BOOL ArcTo(HDC hdc, INT l, INT t, INT r, INT b, INT xs, INT ys, INT xe, INT ye) {
  return arcRecord(hdc, mf::kEmrArcTo, l, t, r, b, xs, ys, xe, ye);
}
BOOL Chord(HDC hdc, INT l, INT t, INT r, INT b, INT xs, INT ys, INT xe, INT ye) {
  return arcRecord(hdc, mf::kEmrChord, l, t, r, b, xs, ys, xe, ye);
}
BOOL Pie(HDC hdc, INT l, INT t, INT r, INT b, INT xs, INT ys, INT xe, INT ye) {
  return arcRecord(hdc, mf::kEmrPie, l, t, r, b, xs, ys, xe, ye);
}

BOOL BeginPath(HDC hdc) { return simpleRecord(hdc, mf::kEmrBeginPath, {}); }
BOOL EndPath(HDC hdc) { return simpleRecord(hdc, mf::kEmrEndPath, {}); }
BOOL AbortPath(HDC hdc) { return simpleRecord(hdc, mf::kEmrAbortPath, {}); }
BOOL CloseFigure(HDC hdc) { return simpleRecord(hdc, mf::kEmrCloseFigure, {}); }
BOOL FillPath(HDC hdc) { return simpleRecord(hdc, mf::kEmrFillPath, {}); }
BOOL StrokePath(HDC hdc) { return simpleRecord(hdc, mf::kEmrStrokePath, {}); }
BOOL StrokeAndFillPath(HDC hdc) { return simpleRecord(hdc, mf::kEmrStrokeAndFillPath, {}); }
BOOL SelectClipPath(HDC hdc, INT mode) {
  if (mode < RGN_AND || mode > RGN_COPY) return FALSE;
  return simpleRecord(hdc, mf::kEmrSelectClipPath, {mode});
}

INT IntersectClipRect(HDC hdc, INT l, INT t, INT r, INT b) { return clipRect(hdc, mf::kEmrIntersectClipRect, l, t, r, b); }
INT ExcludeClipRect(HDC hdc, INT l, INT t, INT r, INT b) { return clipRect(hdc, mf::kEmrExcludeClipRect, l, t, r, b); }

INT ExtSelectClipRgn(HDC hdc, HRGN region, INT mode) {
  if (mode < RGN_AND || mode > RGN_COPY) return RGN_ERROR;
  return withRecorder(hdc, INT(RGN_ERROR), INT(SIMPLEREGION), [&](DeviceContext&, MetafileRecorder& r) -> INT {
    std::vector<RECTL> rects;
    if (region) {
      auto object = HandleTable::instance().find(region);
      const RegionObject* rgn = object ? asRegion(*object) : nullptr;
      if (!rgn) return RGN_ERROR;
      if (rgn->rect.right > rgn->rect.left && rgn->rect.bottom > rgn->rect.top)
        rects.push_back({rgn->rect.left, rgn->rect.top, rgn->rect.right, rgn->rect.bottom});
    } else if (mode != RGN_COPY) {
      return RGN_ERROR;  // only RGN_COPY takes a null region (reset)
    }
    if (!r.clipRegion(uint32_t(mode), rects)) return RGN_ERROR;
    return rects.empty() ? NULLREGION : SIMPLEREGION;
  });
}
INT SelectClipRgn(HDC hdc, HRGN region) { return ExtSelectClipRgn(hdc, region, RGN_COPY); }

INT SaveDC(HDC hdc) {
  return withRecorder(hdc, INT(0), INT(1), [&](DeviceContext& dc, MetafileRecorder& r) -> INT {
    r.attrs().pen = dc.pen;
    r.attrs().brush = dc.brush;
    r.attrs().font = dc.font;
    const int level = r.save();
    if (!level) return 0;
    r.simple(mf::kEmrSaveDc, {});
    return level;
  });
}

BOOL RestoreDC(HDC hdc, INT saved) {
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext& dc, MetafileRecorder& r) -> BOOL {
    if (!r.restore(saved)) return FALSE;
    r.simple(mf::kEmrRestoreDc, {saved});
    // The selections come back with the level, as on playback.
    restoreSlot(dc.pen, r.attrs().pen);
    restoreSlot(dc.brush, r.attrs().brush);
    restoreSlot(dc.font, r.attrs().font);
    return TRUE;
  });
}

INT SetMapMode(HDC hdc, INT mode) {
  if (mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
  return withRecorder(hdc, INT(0), INT(MM_TEXT), [&](DeviceContext&, MetafileRecorder& r) -> INT {
    const INT old = INT(r.attrs().map_mode);
    return r.simple(mf::kEmrSetMapMode, {mode}) ? old : 0;
  });
}
INT GetMapMode(HDC hdc) {
  return withRecorder(hdc, INT(0), INT(MM_TEXT), [&](DeviceContext&, MetafileRecorder& r) -> INT {
    return INT(r.attrs().map_mode);
  });
}

}  // extern "C"

namespace {
template <class T>
BOOL pointRecord(HDC hdc, uint32_t type, INT x, INT y, T* previous, IntPoint DcAttributes::*field, bool nonzero) {
  if (nonzero && (x == 0 || y == 0)) return FALSE;
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext&, MetafileRecorder& r) -> BOOL {
    const IntPoint old = r.attrs().*field;
    const uint32_t mode = r.attrs().map_mode;
    // Extents only mean something in the two scalable modes; elsewhere the
    // call succeeds and changes nothing, as the device does.
    if (nonzero && mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) {
      if (previous) *previous = {old.x, old.y};
      return TRUE;
    }
    if (!r.simple(type, {x, y})) return FALSE;
    r.attrs().*field = {x, y};
    if (previous) *previous = {old.x, old.y};
    return TRUE;
  });
}
}  // namespace

extern "C" {

BOOL SetWindowOrgEx(HDC hdc, INT x, INT y, POINT* p) {
  return pointRecord(hdc, mf::kEmrSetWindowOrgEx, x, y, p, &DcAttributes::window_org, false);
}
BOOL SetWindowExtEx(HDC hdc, INT x, INT y, SIZE* p) {
  return pointRecord(hdc, mf::kEmrSetWindowExtEx, x, y, p, &DcAttributes::window_ext, true);
}
BOOL SetViewportOrgEx(HDC hdc, INT x, INT y, POINT* p) {
  return pointRecord(hdc, mf::kEmrSetViewportOrgEx, x, y, p, &DcAttributes::viewport_org, false);
}
BOOL SetViewportExtEx(HDC hdc, INT x, INT y, SIZE* p) {
  return pointRecord(hdc, mf::kEmrSetViewportExtEx, x, y, p, &DcAttributes::viewport_ext, true);
}

INT SetGraphicsMode(HDC hdc, INT mode) {
  if (mode != GM_COMPATIBLE && mode != GM_ADVANCED) return 0;
  return withRecorder(hdc, INT(0), INT(GM_COMPATIBLE), [&](DeviceContext&, MetafileRecorder& r) -> INT {
    const INT old = r.attrs().graphics_mode;
    // The EMF format has no record for the graphics mode: it lives in the
    // DC (and in each text record), so nothing is written here.
    r.attrs().graphics_mode = mode;
    return old;
  });
}

BOOL SetWorldTransform(HDC hdc, const XFORM* x) {
  if (!x) return FALSE;
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext&, MetafileRecorder& r) -> BOOL {
    if (r.attrs().graphics_mode != GM_ADVANCED) return FALSE;
    return r.worldTransform(mf::kEmrSetWorldTransform, *x, 0) ? TRUE : FALSE;
  });
}

BOOL ModifyWorldTransform(HDC hdc, const XFORM* x, DWORD mode) {
  if (mode < MWT_IDENTITY || mode > MWT_RIGHTMULTIPLY || (!x && mode != MWT_IDENTITY)) return FALSE;
  const XFORM identity{1, 0, 0, 1, 0, 0};
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext&, MetafileRecorder& r) -> BOOL {
    if (r.attrs().graphics_mode != GM_ADVANCED) return FALSE;
    return r.worldTransform(mf::kEmrModifyWorldTransform, x ? *x : identity, mode) ? TRUE : FALSE;
  });
}

}  // extern "C"

namespace {
template <class T, class U>
T setAttribute(HDC hdc, uint32_t type, U value, U DcAttributes::*field, T fallback, T plain) {
  return withRecorder(hdc, fallback, plain, [&](DeviceContext&, MetafileRecorder& r) -> T {
    const U old = r.attrs().*field;
    if (!r.simple(type, {int32_t(value)})) return fallback;
    r.attrs().*field = value;
    return T(old);
  });
}
}  // namespace

extern "C" {

COLORREF SetTextColor(HDC hdc, COLORREF c) {
  return setAttribute<COLORREF, COLORREF>(hdc, mf::kEmrSetTextColor, c & 0x00FFFFFF, &DcAttributes::text_color,
                                          0xFFFFFFFFu, 0);
}
COLORREF SetBkColor(HDC hdc, COLORREF c) {
  return setAttribute<COLORREF, COLORREF>(hdc, mf::kEmrSetBkColor, c & 0x00FFFFFF, &DcAttributes::bk_color,
                                          0xFFFFFFFFu, 0xFFFFFF);
}
INT SetBkMode(HDC hdc, INT mode) {
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  return setAttribute<INT, int32_t>(hdc, mf::kEmrSetBkMode, mode, &DcAttributes::bk_mode, 0, OPAQUE);
}
UINT SetTextAlign(HDC hdc, UINT align) {
  return setAttribute<UINT, uint32_t>(hdc, mf::kEmrSetTextAlign, align, &DcAttributes::text_align, 0xFFFFFFFFu, 0);
}
INT SetPolyFillMode(HDC hdc, INT mode) {
  if (mode != ALTERNATE && mode != WINDING) return 0;
  return setAttribute<INT, int32_t>(hdc, mf::kEmrSetPolyFillMode, mode, &DcAttributes::poly_fill, 0, ALTERNATE);
}
INT SetROP2(HDC hdc, INT mode) {
  if (mode < R2_BLACK || mode > R2_WHITE) return 0;
  return setAttribute<INT, int32_t>(hdc, mf::kEmrSetRop2, mode, &DcAttributes::rop2, 0, R2_COPYPEN);
}
INT SetStretchBltMode(HDC hdc, INT mode) {
  if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
  return setAttribute<INT, int32_t>(hdc, mf::kEmrSetStretchBltMode, mode, &DcAttributes::stretch_mode, 0,
                                    BLACKONWHITE);
}
INT SetTextCharacterExtra(HDC hdc, INT extra) {
  // Neither format needs a record: the extra goes into every advance of the
  // text records, so a reader that ignores the DC state still spaces right.
  return withRecorder(hdc, INT(0x80000000), INT(0), [&](DeviceContext&, MetafileRecorder& r) -> INT {
    const INT old = r.attrs().char_extra;
    r.attrs().char_extra = extra;
    return old;
  });
}

BOOL TextOutA(HDC hdc, INT x, INT y, const char* text, INT count) {
  return textA(hdc, x, y, 0, nullptr, text, count, nullptr);
}
BOOL TextOutW(HDC hdc, INT x, INT y, const WCHAR* text, INT count) {
  return textW(hdc, x, y, 0, nullptr, text, count, nullptr);
}
BOOL ExtTextOutA(HDC hdc, INT x, INT y, UINT options, const RECT* rect, const char* text, UINT count, const INT* dx) {
  return textA(hdc, x, y, options, rect, text, count, dx);
}
BOOL ExtTextOutW(HDC hdc, INT x, INT y, UINT options, const RECT* rect, const WCHAR* text, UINT count, const INT* dx) {
  return textW(hdc, x, y, options, rect, text, count, dx);
}

INT StretchDIBits(HDC hdc, INT x, INT y, INT cx, INT cy, INT sx, INT sy, INT scx, INT scy, const void* bits,
                  const struct tagBITMAPINFO* info, UINT usage, DWORD rop) {
  if (!info || usage > DIB_PAL_COLORS) return 0;
  return withRecorder(hdc, INT(0), INT(scy), [&](DeviceContext&, MetafileRecorder& r) -> INT {
    const auto* b = reinterpret_cast<const uint8_t*>(info);
    const size_t info_size = callerInfoSize(b, usage);
    if (!info_size) return 0;
    const uint64_t bits_size = bits ? callerBitsSize(b) : 0;
    if (bits && !bits_size) return 0;
    std::span<const uint8_t> bmi(b, info_size);
    std::span<const uint8_t> pixels(static_cast<const uint8_t*>(bits), size_t(bits_size));
    return r.stretchDib(x, y, cx, cy, sx, sy, scx, scy, bmi, pixels, usage, rop) ? std::max(1, std::abs(scy)) : 0;
  });
}

BOOL BitBlt(HDC hdc, INT x, INT y, INT cx, INT cy, HDC source, INT sx, INT sy, DWORD rop) {
  return blit(hdc, x, y, cx, cy, source, sx, sy, cx, cy, rop);
}
BOOL StretchBlt(HDC hdc, INT x, INT y, INT cx, INT cy, HDC source, INT sx, INT sy, INT scx, INT scy, DWORD rop) {
  return blit(hdc, x, y, cx, cy, source, sx, sy, scx, scy, rop);
}
BOOL PatBlt(HDC hdc, INT x, INT y, INT cx, INT cy, DWORD rop) { return blit(hdc, x, y, cx, cy, 0, 0, 0, 0, 0, rop); }

INT FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  if (!rect) return 0;
  return withRecorder(hdc, INT(0), INT(1), [&](DeviceContext& dc, MetafileRecorder& r) -> INT {
    auto object = HandleTable::instance().find(brush);
    if (!object || !asBrush(*object)) return 0;
    // The brush is selected for the one blit and the DC's own brush put back.
    const uint32_t previous = dc.brush ? dc.brush : stockHandle(0 /* WHITE_BRUSH */);
    r.reselect(brush);
    const bool ok = r.patBlt(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, PATCOPY);
    if (previous) r.reselect(previous);
    return ok ? 1 : 0;
  });
}

BOOL GdiComment(HDC hdc, UINT size, const BYTE* data) {
  if (size && !data) return FALSE;
  if (size > 0x7FFFFFF0u) return FALSE;
  return withRecorder(hdc, BOOL(FALSE), BOOL(TRUE), [&](DeviceContext&, MetafileRecorder& r) -> BOOL {
    return r.comment(std::span<const uint8_t>(data, size)) ? TRUE : FALSE;
  });
}

}  // extern "C"
