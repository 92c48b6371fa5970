// EMF writer and reader: round trip, and the table of malformed inputs.
#include <gtest/gtest.h>

#include <functional>

#include "metafile/metafile_test_util.h"
#include "platform/emf_record_emit.h"
#include "platform/emf_writer.h"
#include "platform/metafile_error.h"

namespace pyra::gdi {
namespace {

using namespace test;

// A small metafile with one record of each layout the reader checks.
std::vector<uint8_t> sampleEmf() {
  EmfWriter w;
  w.simple(mf::kEmrSetMapMode, {8});
  w.simple(mf::kEmrRectangle, {10, 20, 110, 220});
  const IntPoint small[] = {{1, 2}, {3, 4}, {5, 6}};
  emitPoly(w, mf::kEmrPolyline, {1, 2, 5, 6}, small);
  const IntPoint big[] = {{0, 0}, {70000, -70000}};
  emitPoly(w, mf::kEmrPolygon, {0, -70000, 70000, 0}, big);
  const uint32_t counts[] = {2, 3};
  const IntPoint pp[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}};
  emitPolyPoly(w, true, {0, 0, 4, 4}, counts, pp);
  const int32_t dx[] = {7, 8, 9};
  emitExtTextOutW(w, {0, 0, 30, 10}, 1, 5, 6, 0, {0, 0, -1, -1}, u"abc", dx);
  const uint8_t bmi[40] = {40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0};
  const uint8_t bits[4] = {1, 2, 3, 0};
  emitStretchDiBits(w, {0, 0, 1, 1}, 0, 0, 1, 1, 0, 0, 1, 1, 0, mf::kSrcCopy, bmi, bits);
  const uint8_t comment[] = {'h', 'e', 'l', 'l', 'o'};
  emitGdiComment(w, comment);
  const RECTL clip[] = {{0, 0, 10, 10}};
  emitExtSelectClipRgn(w, 5, clip);
  EmfHeaderFields h;
  h.bounds = {0, 0, 99, 199};
  h.frame = {0, 0, 2645, 5270};
  h.device = {794, 1123};
  h.millimeters = {210, 297};
  h.handles = 3;
  h.description = std::u16string(u"pyra\0test\0", 10);
  return w.finish(h);
}

TEST(EmfBytes, RoundTripKeepsRecordsAndHeader) {
  const auto emf = sampleEmf();
  const EmfHeader h = EmfReader::validate(emf);
  EXPECT_EQ(h.bytes, emf.size());
  EXPECT_EQ(h.records, 11u);  // header + 9 + EOF
  EXPECT_EQ(h.handles, 3);
  EXPECT_EQ(h.frame.right, 2645);
  EXPECT_EQ(h.device.cx, 794);
  EXPECT_EQ(h.description, std::u16string(u"pyra\0test\0\0", 11));
  const auto recs = dumpEmf(emf);
  EXPECT_EQ(typesOf(recs), (std::vector<uint32_t>{mf::kEmrSetMapMode, mf::kEmrRectangle, mf::kEmrPolyline16,
                                                  mf::kEmrPolygon, mf::kEmrPolyPolygon16, mf::kEmrExtTextOutW,
                                                  mf::kEmrStretchDiBits, mf::kEmrGdiComment,
                                                  mf::kEmrExtSelectClipRgn, mf::kEmrEof}))
      << typeList(typesOf(recs));
  // 32-bit points stayed 32-bit because one does not fit 16 bits.
  EXPECT_EQ(recs[3].i32(28 + 8), 70000);
  EXPECT_EQ(recs[3].i32(28 + 12), -70000);
  // Text: string, then the advances.
  const auto& t = recs[5];
  EXPECT_EQ(t.u32(mf::emr_text::kChars), 3u);
  EXPECT_EQ(utf16(t.bytes, t.u32(mf::emr_text::kStringOffset), 3), u"abc");
  EXPECT_EQ(t.i32(t.u32(mf::emr_text::kDxOffset) + 8), 9);
  // Comment payload and its size, padded record.
  EXPECT_EQ(recs[7].u32(8), 5u);
  EXPECT_EQ(recs[7].bytes.size(), 20u);
  for (const auto& r : recs) EXPECT_EQ(r.bytes.size() % 4, 0u) << r.type;
}

struct MalformedRow {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> mutate;
  const char* message;  // part of the error text; nullptr: must be accepted
};

// Byte offset of the n-th record (0 = header).
size_t at(const std::vector<uint8_t>& emf, size_t n) { return recordOffsets(emf).at(n); }

TEST(EmfBytes, MalformedInputsGiveClearErrors) {
  const std::vector<MalformedRow> rows = {
      {"signature", [](auto& e) { put32(e, 40, 0x12345678); }, "This is not an enhanced metafile"},
      {"first record not a header", [](auto& e) { put32(e, 0, 2); }, "This is not an enhanced metafile"},
      {"shorter than a header", [](auto& e) { e.resize(80); }, "This is not an enhanced metafile"},
      {"nBytes past the file", [](auto& e) { put32(e, 48, uint32_t(e.size() + 4)); }, "declares"},
      {"nBytes huge", [](auto& e) { put32(e, 48, 0xFFFFFFFC); }, "declares"},
      {"nBytes not a multiple of 4", [](auto& e) { put32(e, 48, uint32_t(e.size() - 2)); }, "byte count"},
      {"header size below 88", [](auto& e) { put32(e, 4, 40); }, "not a valid header size"},
      {"header size past nBytes", [](auto& e) { put32(e, 4, uint32_t(e.size() + 8)); }, "does not frame"},
      // The record count is advisory (LibreOffice leaves the EOF record out).
      {"nRecords too large", [](auto& e) { put32(e, 52, get32(e, 52) + 1); }, nullptr},
      {"nRecords too small", [](auto& e) { put32(e, 52, get32(e, 52) - 1); }, nullptr},
      {"nRecords below 2", [](auto& e) { put32(e, 52, 1); }, "cannot hold"},
      {"description outside the header", [](auto& e) { put32(e, 60, 0x7FFFFFFF); }, "description"},
      {"record size 0", [](auto& e) { put32(e, at(e, 1) + 4, 0); }, "below 8"},
      {"record size 6", [](auto& e) { put32(e, at(e, 1) + 4, 6); }, "below 8"},
      {"record size not a multiple of 4", [](auto& e) { put32(e, at(e, 1) + 4, 14); }, "multiple of 4"},
      {"record past the end", [](auto& e) { put32(e, at(e, 2) + 4, 0x7FFFFFF0); }, "past the end"},
      {"record shorter than its fixed part",
       [](auto& e) {
         EmfWriter w;
         w.simple(mf::kEmrRectangle, {1, 2});
         e = w.finish({});
       },
       "shorter than its fixed part"},
      {"point count beyond the record", [](auto& e) { put32(e, at(e, 3) + 24, 4); }, "points need"},
      {"point count overflowing 32 bits", [](auto& e) { put32(e, at(e, 4) + 24, 0x20000001); }, "points need"},
      {"polygon counts disagree", [](auto& e) { put32(e, at(e, 5) + 32, 3); }, "add up"},
      {"polygon count beyond the record", [](auto& e) { put32(e, at(e, 5) + 24, 0xFFFFFFFF); }, "polygon counts"},
      {"text beyond the record", [](auto& e) { put32(e, at(e, 6) + mf::emr_text::kChars, 1000); }, "text at"},
      {"text offset beyond the record", [](auto& e) { put32(e, at(e, 6) + mf::emr_text::kStringOffset, 0xFFFFFFF0); }, "text at"},
      {"advances beyond the record", [](auto& e) { put32(e, at(e, 6) + mf::emr_text::kDxOffset, 0x7FFFFFFF); }, "advance array"},
      {"bitmap bits beyond the record", [](auto& e) { put32(e, at(e, 7) + mf::emr_stretchdibits::kBitsSize, 0x10000); }, "bitmap bits"},
      {"bitmap header offset inside the fixed part", [](auto& e) { put32(e, at(e, 7) + mf::emr_stretchdibits::kBmiOffset, 4); }, "bitmap header"},
      {"comment larger than the record", [](auto& e) { put32(e, at(e, 8) + 8, 0xFFFFFFFF); }, "comment bytes"},
      {"region rectangles beyond the data", [](auto& e) { put32(e, at(e, 9) + 24, 2); }, "region rectangles"},
      {"region data shorter than its header", [](auto& e) { put32(e, at(e, 9) + 8, 8); }, "shorter than its header"},
      {"second header", [](auto& e) { put32(e, at(e, 1), 1); }, "second header"},
      {"no EOF record", [](auto& e) { put32(e, at(e, 10), mf::kEmrSaveDc); }, "end-of-file"},
      {"bytes after EOF inside nBytes", [](auto& e) { e.insert(e.end(), 8, 0); put32(e, 48, uint32_t(e.size())); }, "follow the end-of-file"},
      {"padding after nBytes", [](auto& e) { e.insert(e.end(), 6, 0xEE); }, nullptr},
  };
  for (const auto& row : rows) {
    auto emf = sampleEmf();
    row.mutate(emf);
    if (!row.message) {
      EXPECT_NO_THROW(EmfReader::validate(emf)) << row.name;
      continue;
    }
    try {
      EmfReader::validate(emf);
      ADD_FAILURE() << row.name << ": accepted";
    } catch (const MetafileError& e) {
      EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << row.name << ": " << e.what();
    }
  }
}

// Cutting the file anywhere (every 4 bytes, every record boundary) is an
// error, never a read past the buffer; cutting with nBytes patched to match
// loses the EOF record and is an error too.
TEST(EmfBytes, TruncationAnywhereIsAnError) {
  const auto full = sampleEmf();
  for (size_t cut = 0; cut < full.size(); cut += 4) {
    std::vector<uint8_t> part(full.begin(), full.begin() + long(cut));
    EXPECT_THROW(EmfReader::validate(part), MetafileError) << "cut at " << cut;
    if (cut >= mf::kEmfHeaderSize) {
      put32(part, 48, uint32_t(cut));
      EXPECT_THROW(EmfReader::validate(part), MetafileError) << "cut at " << cut << " with nBytes patched";
    }
  }
}

TEST(EmfBytes, UnknownRecordTypesPassWithTheirFraming) {
  EmfWriter w;
  w.simple(200, {1, 2, 3});
  w.simple(mf::kEmrSetTextJustification, {1, 2});
  const auto emf = w.finish({});
  EXPECT_EQ(typesOf(dumpEmf(emf)), (std::vector<uint32_t>{200, mf::kEmrSetTextJustification, mf::kEmrEof}));
}

}  // namespace
}  // namespace pyra::gdi
