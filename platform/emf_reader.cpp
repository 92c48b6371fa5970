#include "platform/emf_reader.h"

#include <string>

#include "platform/metafile_error.h"
#include "platform/metafile_records.h"
#include "support/checked_math.h"

namespace pyra::gdi {

using support::ByteReader;
using support::checkedAdd;
using support::checkedMul;

namespace {

[[noreturn]] void fail(const EmfRecordView& r, const std::string& what) {
  throw MetafileError("EMF record " + std::to_string(r.index) + " (type " + std::to_string(r.type) +
                      ") at offset " + std::to_string(r.offset) + ": " + what);
}

uint32_t le32(std::span<const uint8_t> b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

RECTL readRect(ByteReader& r) {
  RECTL x;
  x.left = r.i32();
  x.top = r.i32();
  x.right = r.i32();
  x.bottom = r.i32();
  return x;
}

// Fixed minimum sizes (type and size included) of the records we know.
uint32_t minimumSize(uint32_t type) {
  using namespace mf;
  switch (type) {
    case kEmrHeader: return kEmfHeaderBaseSize;
    case kEmrPolyBezier: case kEmrPolygon: case kEmrPolyline: case kEmrPolyBezierTo:
    case kEmrPolylineTo: case kEmrPolyBezier16: case kEmrPolygon16: case kEmrPolyline16:
    case kEmrPolyBezierTo16: case kEmrPolylineTo16: return kEmrPolyFixed;
    case kEmrPolyPolyline: case kEmrPolyPolygon: case kEmrPolyPolyline16: case kEmrPolyPolygon16:
      return kEmrPolyPolyFixed;
    case kEmrPolyDraw: case kEmrPolyDraw16: return kEmrPolyFixed;
    case kEmrSetWindowExtEx: case kEmrSetWindowOrgEx: case kEmrSetViewportExtEx:
    case kEmrSetViewportOrgEx: case kEmrSetBrushOrgEx: case kEmrOffsetClipRgn: case kEmrMoveToEx:
    case kEmrLineTo: return 16;
    case kEmrEof: return 20;
    case kEmrSetPixelV: return 20;
    case kEmrSetMapperFlags: case kEmrSetMapMode: case kEmrSetBkMode: case kEmrSetPolyFillMode:
    case kEmrSetRop2: case kEmrSetStretchBltMode: case kEmrSetTextAlign: case kEmrSetTextColor:
    case kEmrSetBkColor: case kEmrRestoreDc: case kEmrSelectObject: case kEmrDeleteObject:
    case kEmrSetArcDirection: case kEmrSetMiterLimit: case kEmrSelectClipPath:
    case kEmrSelectPalette: return 12;
    case kEmrRealizePalette: return 8;
    case kEmrExcludeClipRect: case kEmrIntersectClipRect: case kEmrEllipse: case kEmrRectangle:
    case kEmrScaleViewportExtEx: case kEmrScaleWindowExtEx: case kEmrFillPath:
    case kEmrStrokeAndFillPath: case kEmrStrokePath: return 24;
    case kEmrSaveDc: case kEmrBeginPath: case kEmrEndPath: case kEmrCloseFigure:
    case kEmrFlattenPath: case kEmrWidenPath: case kEmrAbortPath: case kEmrSetMetaRgn: return 8;
    case kEmrSetWorldTransform: return 32;
    case kEmrModifyWorldTransform: return 36;
    case kEmrCreatePen: return 28;
    case kEmrCreateBrushIndirect: return 24;
    case kEmrAngleArc: return 28;
    case kEmrRoundRect: return 32;
    case kEmrArc: case kEmrChord: case kEmrPie: case kEmrArcTo: return 40;
    case kEmrCreatePalette: return 20;
    case kEmrGdiComment: return 12;
    case kEmrExtSelectClipRgn: return 16;
    case kEmrBitBlt: return kEmrBitBltFixed;
    case kEmrStretchBlt: return kEmrStretchBltFixed;
    case kEmrStretchDiBits: return kEmrStretchDiBitsFixed;
    case kEmrExtCreateFontIndirectW: return kEmrExtCreateFontFixed;
    case kEmrExtTextOutA: case kEmrExtTextOutW: return kEmrTextFixed;
    case kEmrExtCreatePen: return kEmrExtCreatePenFixed;
    case kEmrCreateMonoBrush: case kEmrCreateDibPatternBrushPt: return 32;
    case kEmrSetTextJustification: return 16;
    default: return 8;
  }
}

// An (offset, size) pair inside a record must lie inside it.
void checkSpan(const EmfRecordView& r, uint64_t off, uint64_t size, const char* what) {
  if (size == 0) return;
  if (off < 8 || off > r.size() || size > r.size() - off)
    fail(r, std::string(what) + " at " + std::to_string(off) + " (" + std::to_string(size) +
                " bytes) lies outside the record of " + std::to_string(r.size()) + " bytes");
}

void checkCount(const EmfRecordView& r, uint64_t fixed, uint64_t count, uint64_t each, const char* what) {
  auto need = checkedMul(count, each);
  auto total = need ? checkedAdd(*need, fixed) : std::nullopt;
  if (!total || *total > r.size())
    fail(r, std::to_string(count) + " " + what + " need " +
                (need ? std::to_string(*need) : std::string("too many")) + " bytes, record has " +
                std::to_string(r.size() - std::min<uint64_t>(fixed, r.size())));
}

}  // namespace

void checkEmfRecord(const EmfRecordView& r) {
  using namespace mf;
  const uint32_t min = minimumSize(r.type);
  if (r.size() < min)
    fail(r, "record of " + std::to_string(r.size()) + " bytes is shorter than its fixed part of " +
                std::to_string(min));
  switch (r.type) {
    case kEmrPolyBezier: case kEmrPolygon: case kEmrPolyline: case kEmrPolyBezierTo:
    case kEmrPolylineTo:
      checkCount(r, kEmrPolyFixed, le32(r.bytes, 24), 8, "points");
      break;
    case kEmrPolyBezier16: case kEmrPolygon16: case kEmrPolyline16: case kEmrPolyBezierTo16:
    case kEmrPolylineTo16:
      checkCount(r, kEmrPolyFixed, le32(r.bytes, 24), 4, "points");
      break;
    case kEmrPolyDraw:
      checkCount(r, kEmrPolyFixed, le32(r.bytes, 24), 9, "points and types");
      break;
    case kEmrPolyDraw16:
      checkCount(r, kEmrPolyFixed, le32(r.bytes, 24), 5, "points and types");
      break;
    case kEmrPolyPolyline: case kEmrPolyPolygon: case kEmrPolyPolyline16: case kEmrPolyPolygon16: {
      const uint64_t polys = le32(r.bytes, 24), points = le32(r.bytes, 28);
      const uint64_t each = (r.type == kEmrPolyPolyline || r.type == kEmrPolyPolygon) ? 8 : 4;
      checkCount(r, kEmrPolyPolyFixed, polys, 4, "polygon counts");
      checkCount(r, kEmrPolyPolyFixed + polys * 4, points, each, "points");
      uint64_t sum = 0;
      for (uint64_t i = 0; i < polys; ++i) sum += le32(r.bytes, size_t(32 + i * 4));
      if (sum != points)
        fail(r, "polygon counts add up to " + std::to_string(sum) + ", record declares " +
                    std::to_string(points) + " points");
      break;
    }
    case kEmrExtTextOutA: case kEmrExtTextOutW: {
      const uint64_t chars = le32(r.bytes, emr_text::kChars);
      const uint64_t unit = r.type == kEmrExtTextOutW ? 2 : 1;
      checkSpan(r, le32(r.bytes, emr_text::kStringOffset), chars * unit, "text");
      const uint32_t options = le32(r.bytes, emr_text::kOptions);
      const uint32_t dx = le32(r.bytes, emr_text::kDxOffset);
      if (dx) checkSpan(r, dx, chars * ((options & kEtoPdy) ? 8 : 4), "advance array");
      break;
    }
    case kEmrStretchDiBits:
      checkSpan(r, le32(r.bytes, emr_stretchdibits::kBmiOffset), le32(r.bytes, emr_stretchdibits::kBmiSize),
                "bitmap header");
      checkSpan(r, le32(r.bytes, emr_stretchdibits::kBitsOffset), le32(r.bytes, emr_stretchdibits::kBitsSize),
                "bitmap bits");
      break;
    case kEmrBitBlt: case kEmrStretchBlt:
      checkSpan(r, le32(r.bytes, emr_bitblt::kBmiOffset), le32(r.bytes, emr_bitblt::kBmiSize), "bitmap header");
      checkSpan(r, le32(r.bytes, emr_bitblt::kBitsOffset), le32(r.bytes, emr_bitblt::kBitsSize), "bitmap bits");
      break;
    case kEmrCreateMonoBrush: case kEmrCreateDibPatternBrushPt:
      checkSpan(r, le32(r.bytes, 16), le32(r.bytes, 20), "bitmap header");
      checkSpan(r, le32(r.bytes, 24), le32(r.bytes, 28), "bitmap bits");
      break;
    case kEmrExtCreatePen:
      checkSpan(r, le32(r.bytes, 12), le32(r.bytes, 16), "bitmap header");
      checkSpan(r, le32(r.bytes, 20), le32(r.bytes, 24), "bitmap bits");
      checkCount(r, kEmrExtCreatePenFixed, le32(r.bytes, 48), 4, "style entries");
      break;
    case kEmrGdiComment:
      checkCount(r, 12, le32(r.bytes, 8), 1, "comment bytes");
      break;
    case kEmrExtSelectClipRgn: {
      const uint64_t cb = le32(r.bytes, 8);
      checkCount(r, 16, cb, 1, "region bytes");
      if (cb >= kRgnDataHeaderSize) {
        const uint64_t count = le32(r.bytes, 16 + 8);
        checkCount(r, 16 + kRgnDataHeaderSize, count, 16, "region rectangles");
        if (kRgnDataHeaderSize + count * 16 > cb)
          fail(r, std::to_string(count) + " region rectangles do not fit " + std::to_string(cb) +
                      " bytes of region data");
      } else if (cb != 0) {
        fail(r, "region data of " + std::to_string(cb) + " bytes is shorter than its header");
      }
      break;
    }
    case kEmrCreatePalette:
      checkCount(r, 16, le32(r.bytes, 12) >> 16, 4, "palette entries");
      break;
    case kEmrEof: {
      const uint64_t n = le32(r.bytes, 8), off = le32(r.bytes, 12);
      if (n) checkSpan(r, off, n * 4, "palette entries");
      break;
    }
    default:
      break;
  }
}

EmfReader::EmfReader(std::span<const uint8_t> data, bool check_records) : check_records_(check_records) {
  if (data.size() < mf::kEmfHeaderBaseSize) throw MetafileError("This is not an enhanced metafile");
  try {
    ByteReader r(data);
    const uint32_t type = r.u32();
    header_.header_size = r.u32();
    header_.bounds = readRect(r);
    header_.frame = readRect(r);
    const uint32_t signature = r.u32();
    if (type != mf::kEmrHeader || signature != mf::kEmfSignature)
      throw MetafileError("This is not an enhanced metafile");
    header_.version = r.u32();
    header_.bytes = r.u32();
    header_.records = r.u32();
    header_.handles = r.u16();
    r.u16();
    header_.description_chars = r.u32();
    header_.description_offset = r.u32();
    header_.palette_entries = r.u32();
    header_.device.cx = r.i32();
    header_.device.cy = r.i32();
    header_.millimeters.cx = r.i32();
    header_.millimeters.cy = r.i32();
  } catch (const ByteReader::Short&) {
    throw MetafileError("This is not an enhanced metafile");
  }
  const EmfHeader& h = header_;
  if (h.header_size < mf::kEmfHeaderBaseSize || h.header_size % 4)
    throw MetafileError("EMF header: size " + std::to_string(h.header_size) + " is not a valid header size");
  if (h.bytes > data.size())
    throw MetafileError("EMF header: declares " + std::to_string(h.bytes) + " bytes, file has " +
                        std::to_string(data.size()));
  if (h.bytes % 4 || h.header_size > h.bytes)
    throw MetafileError("EMF header: byte count " + std::to_string(h.bytes) + " does not frame the header of " +
                        std::to_string(h.header_size) + " bytes");
  if (h.records < 2) throw MetafileError("EMF header: " + std::to_string(h.records) + " records cannot hold header and EOF");
  data_ = data.first(h.bytes);
  if (h.description_chars) {
    const uint64_t need = uint64_t(h.description_chars) * 2;
    if (h.description_offset < mf::kEmfHeaderBaseSize || h.description_offset > h.header_size ||
        need > h.header_size - h.description_offset)
      throw MetafileError("EMF header: description of " + std::to_string(h.description_chars) +
                          " characters at " + std::to_string(h.description_offset) + " lies outside the header");
    for (uint32_t i = 0; i < h.description_chars; ++i) {
      const size_t at = h.description_offset + size_t(i) * 2;
      header_.description.push_back(char16_t(data_[at] | data_[at + 1] << 8));
    }
  }
  pos_ = h.header_size;
  index_ = 1;
}

bool EmfReader::next(EmfRecordView& rec) {
  if (done_) return false;
  rec.index = index_;
  rec.offset = pos_;
  rec.type = 0;
  if (data_.size() - pos_ < 8) {
    rec.bytes = {};
    throw MetafileError("EMF record " + std::to_string(index_) + " at offset " + std::to_string(pos_) +
                        ": metafile ends before the end-of-file record");
  }
  rec.type = le32(data_, pos_);
  const uint32_t size = le32(data_, pos_ + 4);
  if (size < 8 || size % 4 || size > data_.size() - pos_) {
    rec.bytes = {};
    fail(rec, "record size " + std::to_string(size) +
                  (size < 8 ? " is below 8" : size % 4 ? " is not a multiple of 4" : " runs past the end of the metafile"));
  }
  rec.bytes = data_.subspan(pos_, size);
  if (rec.type == mf::kEmrHeader) fail(rec, "a second header record");
  if (check_records_) checkEmfRecord(rec);
  pos_ += size;
  ++index_;
  if (rec.type == mf::kEmrEof) done_ = true;
  return true;
}

EmfHeader EmfReader::validate(std::span<const uint8_t> data, bool check_records) {
  EmfReader reader(data, check_records);
  EmfRecordView rec;
  uint32_t last_type = 0;
  while (reader.next(rec)) last_type = rec.type;
  if (last_type != mf::kEmrEof) throw MetafileError("EMF: no end-of-file record");
  if (reader.pos_ != reader.data_.size())
    throw MetafileError("EMF: " + std::to_string(reader.data_.size() - reader.pos_) +
                        " bytes follow the end-of-file record inside nBytes");
  // The record count is advisory: some writers (LibreOffice among them)
  // leave the end-of-file record out of it. The records themselves are
  // framed by their sizes and the end-of-file record, which is what counts.
  return reader.header_;
}

}  // namespace pyra::gdi
