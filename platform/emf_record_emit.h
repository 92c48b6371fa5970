#pragma once
// Record makers shared by the EMF recorder and the WMF -> EMF converter, so
// both write the same layouts for the records that carry arrays, text,
// bitmaps, fonts and regions.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/emf_writer.h"
#include "pyra/gdi_types.h"

namespace pyra::gdi {

// The fields of a logical font as EMR_EXTCREATEFONTINDIRECTW stores them.
struct EmfLogFont {
  int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 0;
  uint8_t italic = 0, underline = 0, strike_out = 0, char_set = 0, out_precision = 0,
          clip_precision = 0, quality = 0, pitch_and_family = 0;
  std::u16string face;  // at most 31 units are written
};

struct IntPoint {
  int32_t x, y;
};

// A bounding box that starts empty (right < left).
struct BoundsBox {
  RECTL r{0, 0, -1, -1};
  bool empty() const { return r.right < r.left; }
  void add(int32_t x, int32_t y);
  void add(const RECTL& box);
};

// EMR_POLY* with 16-bit points when every coordinate fits, else 32-bit.
// type32 is the 32-bit record type (EMR_POLYLINE ...); the 16-bit type is
// derived from it.
void emitPoly(EmfWriter& w, uint32_t type32, const RECTL& bounds, std::span<const IntPoint> points);
void emitPolyPoly(EmfWriter& w, bool polygon, const RECTL& bounds, std::span<const uint32_t> counts,
                  std::span<const IntPoint> points);
void emitCreateFont(EmfWriter& w, uint32_t handle, const EmfLogFont& font);
void emitExtTextOutW(EmfWriter& w, const RECTL& bounds, uint32_t graphics_mode, int32_t x, int32_t y,
                     uint32_t options, const RECTL& clip, std::u16string_view text,
                     std::span<const int32_t> dx);
// EMR_STRETCHDIBITS; bmi is header plus colour table.
void emitStretchDiBits(EmfWriter& w, const RECTL& bounds, int32_t x, int32_t y, int32_t cx, int32_t cy,
                       int32_t src_x, int32_t src_y, int32_t src_cx, int32_t src_cy, uint32_t usage,
                       uint32_t rop, std::span<const uint8_t> bmi, std::span<const uint8_t> bits);
// EMR_BITBLT without a source bitmap (a pattern blit).
void emitPatBlt(EmfWriter& w, const RECTL& bounds, int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop);
// EMR_BITBLT with a source DIB at 1:1.
void emitBitBlt(EmfWriter& w, const RECTL& bounds, int32_t x, int32_t y, int32_t cx, int32_t cy,
                int32_t src_x, int32_t src_y, uint32_t rop, std::span<const uint8_t> bmi,
                std::span<const uint8_t> bits);
// EMR_EXTSELECTCLIPRGN with rectangles in device units (none: reset clip).
void emitExtSelectClipRgn(EmfWriter& w, uint32_t mode, std::span<const RECTL> rects);
void emitGdiComment(EmfWriter& w, std::span<const uint8_t> data);

// A packed DIB split into header-with-colours and bits. Throws
// MetafileError when the header is damaged or the bits are short.
struct DibParts {
  std::span<const uint8_t> bmi;
  std::span<const uint8_t> bits;
  int32_t width = 0, height = 0;
  uint16_t bit_count = 0;
  uint32_t compression = 0;
};
DibParts splitPackedDib(std::span<const uint8_t> dib, uint32_t usage);
// The same for a header (and colours) and bits that are already apart;
// returns the header and colour table length actually used.
size_t dibInfoSize(std::span<const uint8_t> bmi, uint32_t usage);

}  // namespace pyra::gdi
