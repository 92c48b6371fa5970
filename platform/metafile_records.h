#pragma once
// Record type numbers and fixed layouts of the enhanced (EMF) and Windows
// (WMF) metafile formats, written from their published descriptions. The
// engine's interpreter reads EMF bytes itself with these constants; the
// platform's readers, writers and converter share them.
#include <cstdint>

namespace pyra::gdi::mf {

// ---- Enhanced metafile records (32-bit type, 32-bit size in bytes) ----
enum EmrType : uint32_t {
  kEmrHeader = 1,
  kEmrPolyBezier = 2,
  kEmrPolygon = 3,
  kEmrPolyline = 4,
  kEmrPolyBezierTo = 5,
  kEmrPolylineTo = 6,
  kEmrPolyPolyline = 7,
  kEmrPolyPolygon = 8,
  kEmrSetWindowExtEx = 9,
  kEmrSetWindowOrgEx = 10,
  kEmrSetViewportExtEx = 11,
  kEmrSetViewportOrgEx = 12,
  kEmrSetBrushOrgEx = 13,
  kEmrEof = 14,
  kEmrSetPixelV = 15,
  kEmrSetMapperFlags = 16,
  kEmrSetMapMode = 17,
  kEmrSetBkMode = 18,
  kEmrSetPolyFillMode = 19,
  kEmrSetRop2 = 20,
  kEmrSetStretchBltMode = 21,
  kEmrSetTextAlign = 22,
  kEmrSetColorAdjustment = 23,
  kEmrSetTextColor = 24,
  kEmrSetBkColor = 25,
  kEmrOffsetClipRgn = 26,
  kEmrMoveToEx = 27,
  kEmrSetMetaRgn = 28,
  kEmrExcludeClipRect = 29,
  kEmrIntersectClipRect = 30,
  kEmrScaleViewportExtEx = 31,
  kEmrScaleWindowExtEx = 32,
  kEmrSaveDc = 33,
  kEmrRestoreDc = 34,
  kEmrSetWorldTransform = 35,
  kEmrModifyWorldTransform = 36,
  kEmrSelectObject = 37,
  kEmrCreatePen = 38,
  kEmrCreateBrushIndirect = 39,
  kEmrDeleteObject = 40,
  kEmrAngleArc = 41,
  kEmrEllipse = 42,
  kEmrRectangle = 43,
  kEmrRoundRect = 44,
  kEmrArc = 45,
  kEmrChord = 46,
  kEmrPie = 47,
  kEmrSelectPalette = 48,
  kEmrCreatePalette = 49,
  kEmrSetPaletteEntries = 50,
  kEmrResizePalette = 51,
  kEmrRealizePalette = 52,
  kEmrExtFloodFill = 53,
  kEmrLineTo = 54,
  kEmrArcTo = 55,
  kEmrPolyDraw = 56,
  kEmrSetArcDirection = 57,
  kEmrSetMiterLimit = 58,
  kEmrBeginPath = 59,
  kEmrEndPath = 60,
  kEmrCloseFigure = 61,
  kEmrFillPath = 62,
  kEmrStrokeAndFillPath = 63,
  kEmrStrokePath = 64,
  kEmrFlattenPath = 65,
  kEmrWidenPath = 66,
  kEmrSelectClipPath = 67,
  kEmrAbortPath = 68,
  kEmrGdiComment = 70,
  kEmrFillRgn = 71,
  kEmrFrameRgn = 72,
  kEmrInvertRgn = 73,
  kEmrPaintRgn = 74,
  kEmrExtSelectClipRgn = 75,
  kEmrBitBlt = 76,
  kEmrStretchBlt = 77,
  kEmrMaskBlt = 78,
  kEmrPlgBlt = 79,
  kEmrSetDiBitsToDevice = 80,
  kEmrStretchDiBits = 81,
  kEmrExtCreateFontIndirectW = 82,
  kEmrExtTextOutA = 83,
  kEmrExtTextOutW = 84,
  kEmrPolyBezier16 = 85,
  kEmrPolygon16 = 86,
  kEmrPolyline16 = 87,
  kEmrPolyBezierTo16 = 88,
  kEmrPolylineTo16 = 89,
  kEmrPolyPolyline16 = 90,
  kEmrPolyPolygon16 = 91,
  kEmrPolyDraw16 = 92,
  kEmrCreateMonoBrush = 93,
  kEmrCreateDibPatternBrushPt = 94,
  kEmrExtCreatePen = 95,
  kEmrSetIcmMode = 98,
  kEmrSetLayout = 115,
  kEmrSetTextJustification = 120,
};

// Header (type 1) field offsets and sizes.
inline constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
inline constexpr uint32_t kEmfVersion = 0x00010000;
inline constexpr uint32_t kEmfHeaderBaseSize = 88;     // up to szlMillimeters
inline constexpr uint32_t kEmfHeaderSize = 108;        // with both extensions
namespace emf_header {
inline constexpr uint32_t kBounds = 8, kFrame = 24, kSignature = 40, kVersion = 44, kBytes = 48,
                          kRecords = 52, kHandles = 56, kReserved = 58, kDescriptionChars = 60,
                          kDescriptionOffset = 64, kPalEntries = 68, kDevice = 72,
                          kMillimeters = 80, kPixelFormatSize = 88, kPixelFormatOffset = 92,
                          kOpenGl = 96, kMicrometers = 100;
}

// Fixed parts of the records that carry variable data.
inline constexpr uint32_t kEmrPolyFixed = 28;        // type, size, bounds, count
inline constexpr uint32_t kEmrPolyPolyFixed = 32;    // + number of polys
inline constexpr uint32_t kEmrTextFixed = 76;        // EMR_EXTTEXTOUTA/W up to offDx
inline constexpr uint32_t kEmrStretchDiBitsFixed = 80;
inline constexpr uint32_t kEmrBitBltFixed = 100;
inline constexpr uint32_t kEmrStretchBltFixed = 108;
inline constexpr uint32_t kEmrExtCreatePenFixed = 52;
inline constexpr uint32_t kLogFontWSize = 92;
inline constexpr uint32_t kEmrExtCreateFontFixed = 12 + kLogFontWSize;
inline constexpr uint32_t kRgnDataHeaderSize = 32;

// Offsets inside EMR_EXTTEXTOUTA/W.
namespace emr_text {
inline constexpr uint32_t kBounds = 8, kGraphicsMode = 24, kXScale = 28, kYScale = 32,
                          kReference = 36, kChars = 44, kStringOffset = 48, kOptions = 52,
                          kRect = 56, kDxOffset = 72;
}
// Offsets inside EMR_STRETCHDIBITS.
namespace emr_stretchdibits {
inline constexpr uint32_t kBounds = 8, kXDest = 24, kYDest = 28, kXSrc = 32, kYSrc = 36,
                          kCxSrc = 40, kCySrc = 44, kBmiOffset = 48, kBmiSize = 52,
                          kBitsOffset = 56, kBitsSize = 60, kUsage = 64, kRop = 68,
                          kCxDest = 72, kCyDest = 76;
}
// Offsets inside EMR_BITBLT (EMR_STRETCHBLT adds cxSrc, cySrc at 100, 104).
namespace emr_bitblt {
inline constexpr uint32_t kBounds = 8, kXDest = 24, kYDest = 28, kCxDest = 32, kCyDest = 36,
                          kRop = 40, kXSrc = 44, kYSrc = 48, kXform = 52, kBkColor = 76,
                          kUsage = 80, kBmiOffset = 84, kBmiSize = 88, kBitsOffset = 92,
                          kBitsSize = 96, kCxSrc = 100, kCySrc = 104;
}

// Stock objects are selected with this bit set on the stock number.
inline constexpr uint32_t kStockObjectFlag = 0x80000000u;

// Private writer comments carried in EMR_GDICOMMENT.
inline constexpr uint32_t kWriterCommentId = 0x0001D5CD;
inline constexpr uint32_t kWriterCommentWideId = 0x0004711E;
inline constexpr uint32_t kWriterCommentFixed = 28;

// ---- Windows metafile records (32-bit size in WORDs, 16-bit function) ----
enum MetaFunction : uint16_t {
  kMetaEof = 0x0000,
  kMetaRealizePalette = 0x0035,
  kMetaSetPalEntries = 0x0037,
  kMetaSetBkMode = 0x0102,
  kMetaSetMapMode = 0x0103,
  kMetaSetRop2 = 0x0104,
  kMetaSetRelAbs = 0x0105,
  kMetaSetPolyFillMode = 0x0106,
  kMetaSetStretchBltMode = 0x0107,
  kMetaSetTextCharExtra = 0x0108,
  kMetaRestoreDc = 0x0127,
  kMetaResizePalette = 0x0139,
  kMetaDibCreatePatternBrush = 0x0142,
  kMetaSetLayout = 0x0149,
  kMetaSetBkColor = 0x0201,
  kMetaSetTextColor = 0x0209,
  kMetaOffsetViewportOrg = 0x0211,
  kMetaLineTo = 0x0213,
  kMetaMoveTo = 0x0214,
  kMetaOffsetClipRgn = 0x0220,
  kMetaFillRegion = 0x0228,
  kMetaSetMapperFlags = 0x0231,
  kMetaSelectPalette = 0x0234,
  kMetaPolygon = 0x0324,
  kMetaPolyline = 0x0325,
  kMetaSetTextJustification = 0x020A,
  kMetaSetWindowOrg = 0x020B,
  kMetaSetWindowExt = 0x020C,
  kMetaSetViewportOrg = 0x020D,
  kMetaSetViewportExt = 0x020E,
  kMetaOffsetWindowOrg = 0x020F,
  kMetaScaleWindowExt = 0x0410,
  kMetaScaleViewportExt = 0x0412,
  kMetaExcludeClipRect = 0x0415,
  kMetaIntersectClipRect = 0x0416,
  kMetaEllipse = 0x0418,
  kMetaFloodFill = 0x0419,
  kMetaFrameRegion = 0x0429,
  kMetaAnimatePalette = 0x0436,
  kMetaTextOut = 0x0521,
  kMetaPolyPolygon = 0x0538,
  kMetaExtFloodFill = 0x0548,
  kMetaRectangle = 0x041B,
  kMetaSetPixel = 0x041F,
  kMetaRoundRect = 0x061C,
  kMetaPatBlt = 0x061D,
  kMetaSaveDc = 0x001E,
  kMetaPie = 0x081A,
  kMetaStretchBlt = 0x0B23,
  kMetaEscape = 0x0626,
  kMetaInvertRegion = 0x012A,
  kMetaPaintRegion = 0x012B,
  kMetaSelectClipRegion = 0x012C,
  kMetaSelectObject = 0x012D,
  kMetaSetTextAlign = 0x012E,
  kMetaArc = 0x0817,
  kMetaChord = 0x0830,
  kMetaBitBlt = 0x0922,
  kMetaExtTextOut = 0x0A32,
  kMetaSetDibToDev = 0x0D33,
  kMetaDibBitBlt = 0x0940,
  kMetaDibStretchBlt = 0x0B41,
  kMetaStretchDib = 0x0F43,
  kMetaDeleteObject = 0x01F0,
  kMetaCreatePalette = 0x00F7,
  kMetaCreatePatternBrush = 0x01F9,
  kMetaCreatePenIndirect = 0x02FA,
  kMetaCreateFontIndirect = 0x02FB,
  kMetaCreateBrushIndirect = 0x02FC,
  kMetaCreateRegion = 0x06FF,
};

inline constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
inline constexpr uint32_t kPlaceableHeaderSize = 22;
inline constexpr uint32_t kMetaHeaderSize = 18;  // 9 WORDs
inline constexpr uint16_t kMetaVersion300 = 0x0300;
inline constexpr uint16_t kMetaVersion100 = 0x0100;
inline constexpr uint16_t kMfComment = 0x000F;  // META_ESCAPE function carrying a comment

// ExtTextOut options shared by both formats.
inline constexpr uint32_t kEtoOpaque = 0x0002;
inline constexpr uint32_t kEtoClipped = 0x0004;
inline constexpr uint32_t kEtoGlyphIndex = 0x0010;
inline constexpr uint32_t kEtoPdy = 0x2000;

// Map modes.
inline constexpr uint32_t kMmText = 1, kMmLoMetric = 2, kMmHiMetric = 3, kMmLoEnglish = 4,
                          kMmHiEnglish = 5, kMmTwips = 6, kMmIsotropic = 7, kMmAnisotropic = 8;

// Brush styles, pen styles.
inline constexpr uint32_t kBsSolid = 0, kBsNull = 1, kBsHatched = 2, kBsPattern = 3,
                          kBsDibPattern = 5, kBsDibPatternPt = 6;
inline constexpr uint32_t kPsSolid = 0, kPsNull = 5, kPsStyleMask = 0x0F,
                          kPsGeometric = 0x00010000;

// Raster operations used when a blit carries no source.
inline constexpr uint32_t kSrcCopy = 0x00CC0020, kPatCopy = 0x00F00021, kBlackness = 0x00000042,
                          kWhiteness = 0x00FF0062;

inline constexpr uint32_t kDibRgbColors = 0;

}  // namespace pyra::gdi::mf
