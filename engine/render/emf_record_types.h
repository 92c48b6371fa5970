#pragma once
// Enhanced-metafile record types, as numbered by the published format.
#include <cstdint>

namespace pyra::render::emr {

enum : uint32_t {
  kHeader = 1, kPolyBezier = 2, kPolygon = 3, kPolyline = 4, kPolyBezierTo = 5, kPolylineTo = 6,
  kPolyPolyline = 7, kPolyPolygon = 8, kSetWindowExtEx = 9, kSetWindowOrgEx = 10, kSetViewportExtEx = 11,
  kSetViewportOrgEx = 12, kSetBrushOrgEx = 13, kEof = 14, kSetPixelV = 15, kSetMapperFlags = 16,
  kSetMapMode = 17, kSetBkMode = 18, kSetPolyFillMode = 19, kSetRop2 = 20, kSetStretchBltMode = 21,
  kSetTextAlign = 22, kSetColorAdjustment = 23, kSetTextColor = 24, kSetBkColor = 25, kOffsetClipRgn = 26,
  kMoveToEx = 27, kSetMetaRgn = 28, kExcludeClipRect = 29, kIntersectClipRect = 30,
  kScaleViewportExtEx = 31, kScaleWindowExtEx = 32, kSaveDC = 33, kRestoreDC = 34, kSetWorldTransform = 35,
  kModifyWorldTransform = 36, kSelectObject = 37, kCreatePen = 38, kCreateBrushIndirect = 39,
  kDeleteObject = 40, kAngleArc = 41, kEllipse = 42, kRectangle = 43, kRoundRect = 44, kArc = 45,
  kChord = 46, kPie = 47, kSelectPalette = 48, kCreatePalette = 49, kSetPaletteEntries = 50,
  kResizePalette = 51, kRealizePalette = 52, kExtFloodFill = 53, kLineTo = 54, kArcTo = 55, kPolyDraw = 56,
  kSetArcDirection = 57, kSetMiterLimit = 58, kBeginPath = 59, kEndPath = 60, kCloseFigure = 61,
  kFillPath = 62, kStrokeAndFillPath = 63, kStrokePath = 64, kFlattenPath = 65, kWidenPath = 66,
  kSelectClipPath = 67, kAbortPath = 68, kGdiComment = 70, kFillRgn = 71, kFrameRgn = 72, kInvertRgn = 73,
  kPaintRgn = 74, kExtSelectClipRgn = 75, kBitBlt = 76, kStretchBlt = 77, kMaskBlt = 78, kPlgBlt = 79,
  kSetDIBitsToDevice = 80, kStretchDIBits = 81, kExtCreateFontIndirectW = 82, kExtTextOutA = 83,
  kExtTextOutW = 84, kPolyBezier16 = 85, kPolygon16 = 86, kPolyline16 = 87, kPolyBezierTo16 = 88,
  kPolylineTo16 = 89, kPolyPolyline16 = 90, kPolyPolygon16 = 91, kPolyDraw16 = 92,
  kCreateMonoBrush = 93, kCreateDIBPatternBrushPt = 94, kExtCreatePen = 95, kSetTextJustification = 120,
};

// " EMF" read as a little-endian word.
inline constexpr uint32_t kSignature = 0x464D4520;
// Identifiers of the writer's private comments.
inline constexpr uint32_t kWriterComment = 0x0001D5CD;
inline constexpr uint32_t kWideWriterComment = 0x0004711E;

}  // namespace pyra::render::emr
