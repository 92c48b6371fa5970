#pragma once
// The drawing attributes a device context carries, in the units and codes of
// the published metafile format, plus the decoding of pen style words.
#include <cstdint>
#include <vector>

namespace pyra::render {

// Logical points and rectangles as the metafile records carry them; the
// interpreter and the content writer share them.
struct PointI {
  int32_t x = 0, y = 0;
};
struct RectI {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};
using Point = PointI;
using Rect = RectI;

// Mapping modes (SETMAPMODE).
inline constexpr int32_t kMmText = 1;
inline constexpr int32_t kMmLoMetric = 2;
inline constexpr int32_t kMmHiMetric = 3;
inline constexpr int32_t kMmLoEnglish = 4;
inline constexpr int32_t kMmHiEnglish = 5;
inline constexpr int32_t kMmTwips = 6;
inline constexpr int32_t kMmIsotropic = 7;
inline constexpr int32_t kMmAnisotropic = 8;

// Pen styles (low bits of the style word).
inline constexpr uint8_t kPsSolid = 0;
inline constexpr uint8_t kPsDash = 1;
inline constexpr uint8_t kPsDot = 2;
inline constexpr uint8_t kPsDashDot = 3;
inline constexpr uint8_t kPsDashDotDot = 4;
inline constexpr uint8_t kPsNull = 5;
inline constexpr uint8_t kPsInsideFrame = 6;
inline constexpr uint8_t kPsUserStyle = 7;

// Brush styles.
inline constexpr uint8_t kBsSolid = 0;
inline constexpr uint8_t kBsNull = 1;
inline constexpr uint8_t kBsHatched = 2;

// Hatch styles.
inline constexpr int32_t kHsHorizontal = 0;
inline constexpr int32_t kHsVertical = 1;
inline constexpr int32_t kHsFDiagonal = 2;
inline constexpr int32_t kHsBDiagonal = 3;
inline constexpr int32_t kHsCross = 4;
inline constexpr int32_t kHsDiagCross = 5;

// Clip combination modes (SELECTCLIPPATH, EXTSELECTCLIPRGN).
inline constexpr int32_t kRgnAnd = 1;
inline constexpr int32_t kRgnOr = 2;
inline constexpr int32_t kRgnXor = 3;
inline constexpr int32_t kRgnDiff = 4;
inline constexpr int32_t kRgnCopy = 5;

// PDF line cap and join codes.
inline constexpr int32_t kCapButt = 0;
inline constexpr int32_t kCapRound = 1;
inline constexpr int32_t kCapSquare = 2;
inline constexpr int32_t kJoinMiter = 0;
inline constexpr int32_t kJoinRound = 1;
inline constexpr int32_t kJoinBevel = 2;

struct PenValues {
  int32_t width = 0;        // logical units
  uint8_t style = 0;        // 0..7
  uint32_t colour = 0;      // 0x00BBGGRR
  int32_t cap_code = 0;     // 0 flat ends, 1 otherwise
  int32_t cap = kCapRound;  // PDF cap (square ends are not round ones)
  int32_t join = kJoinRound;
  bool cosmetic = false;    // one device pixel whatever the mapping
  // User style: dash and gap lengths, alternating, from the first dash
  // (logical units; device pixels for cosmetic pens).
  std::vector<uint32_t> dashes = {};
};

struct BrushValues {
  uint8_t style = 0;
  uint32_t colour = 0;
  int32_t hatch = 0;
};

// A pen from CREATEPEN (style, width, colour of the logical pen).
PenValues penFromLogPen(uint32_t style, int32_t width, uint32_t colour);
// A pen from EXTCREATEPEN: the style word also carries type, ends and joins.
PenValues penFromExtLogPen(uint32_t style, int32_t width, uint32_t colour);

inline PenValues penFromLogPen(uint32_t style, int32_t width, uint32_t colour) {
  PenValues p;
  p.style = uint8_t(style & 7);
  p.width = width < 0 ? 0 : width;
  p.colour = colour;
  const uint32_t ends = style & 0x0F00;
  p.cap_code = ends == 0x0200 ? 0 : 1;
  p.cap = ends == 0x0200 ? kCapButt : ends == 0x0100 ? kCapSquare : kCapRound;
  const uint32_t joins = style & 0xF000;
  p.join = joins == 0x1000 ? kJoinBevel : joins == 0x2000 ? kJoinMiter : kJoinRound;
  return p;
}

inline PenValues penFromExtLogPen(uint32_t style, int32_t width, uint32_t colour) {
  PenValues p = penFromLogPen(style, width, colour);
  // Cosmetic pens are one device pixel wide whatever width they claim.
  p.cosmetic = (style & 0x000F0000) == 0;
  return p;
}

// Colour values with the top bit set name system colours; the rest carry
// palette flags in the top byte that do not change the RGB they describe.
uint32_t resolveColour(uint32_t colour);

inline uint32_t resolveColour(uint32_t colour) {
  if (colour & 0x80000000u) {
    // Default system colours, index = COLOR_* number.
    static constexpr uint32_t kSystem[31] = {
        0xC8D0D4, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
        0x000000, 0xFFFFFF, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0,
        0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
        0xE1FFFF, 0x000000, 0xCC6600, 0xEAD1B9, 0xF2E4D7, 0xD77800, 0xF0F0F0};
    uint32_t i = colour & 0xFF;
    return i < 31 ? kSystem[i] : 0;
  }
  return colour & 0x00FFFFFF;
}

}  // namespace pyra::render
