// WMF -> EMF conversion: mapping, object slots, text code pages, bitmaps,
// comments, sizing, and damaged records.
#include <gtest/gtest.h>

#include "metafile/metafile_test_util.h"
#include "platform/metafile_error.h"
#include "platform/wmf_to_emf.h"
#include "platform/wmf_writer.h"

namespace pyra::gdi {
namespace {

using namespace test;

void pen(WmfWriter& w, uint16_t style, int16_t width, uint32_t color) {
  w.begin(mf::kMetaCreatePenIndirect);
  w.u16(style);
  w.i16(width);
  w.i16(0);
  w.u32(color);
  w.end();
}
void brush(WmfWriter& w, uint32_t color) {
  w.begin(mf::kMetaCreateBrushIndirect);
  w.u16(0);
  w.u32(color);
  w.u16(0);
  w.end();
}
void font(WmfWriter& w, int16_t height, uint8_t charset, const char* face) {
  w.begin(mf::kMetaCreateFontIndirect);
  for (int16_t v : {height, int16_t(0), int16_t(0), int16_t(0), int16_t(700)}) w.i16(v);
  const uint8_t flags[8] = {1, 0, 0, charset, 0, 0, 0, 0};
  w.bytes(flags);
  std::string f(face);
  f.push_back('\0');
  w.bytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(f.data()), f.size()));
  w.end();
}
void extText(WmfWriter& w, int16_t x, int16_t y, std::vector<uint8_t> text, std::vector<int16_t> dx) {
  w.begin(mf::kMetaExtTextOut);
  w.i16(y);
  w.i16(x);
  w.i16(int16_t(text.size()));
  w.u16(0);
  w.bytes(text);
  if (text.size() % 2) w.bytes(std::vector<uint8_t>{0});
  for (int16_t d : dx) w.i16(d);
  w.end();
}
std::vector<uint8_t> dib2x2() {
  std::vector<uint8_t> d(40, 0);
  put32(d, 0, 40);
  put32(d, 4, 2);
  put32(d, 8, 2);
  put16(d, 12, 1);
  put16(d, 14, 24);
  d.resize(40 + 16, 0x7F);  // two rows of 8 bytes (6 + padding)
  return d;
}

std::vector<uint8_t> placeable(std::vector<uint8_t> wmf, int16_t r, int16_t b, uint16_t inch) {
  auto h = makePlaceableHeader(0, 0, r, b, inch);
  h.insert(h.end(), wmf.begin(), wmf.end());
  return h;
}

TEST(WmfToEmf, MapsWindowObjectsTextBitmapsAndComments) {
  WmfWriter w;
  w.simple(mf::kMetaSetWindowOrg, {0, 0});
  w.simple(mf::kMetaSetWindowExt, {1100, 850});
  pen(w, 0, 3, 0x0000FF);     // slot 0
  brush(w, 0x00FF00);         // slot 1
  w.simple(mf::kMetaDeleteObject, {0});
  font(w, -40, 204, "Arial"); // slot 0 again (lowest free): EMF handle 1
  w.simple(mf::kMetaSelectObject, {0});
  w.simple(mf::kMetaSelectObject, {1});
  w.simple(mf::kMetaSelectObject, {7});  // never created: ignored
  w.simple(mf::kMetaRectangle, {200, 300, 10, 20});
  extText(w, 100, 150, {0xCF, 0xF0, 0xE8}, {10, 11, 12});  // "При" in CP1251
  const auto dib = dib2x2();
  w.begin(mf::kMetaDibStretchBlt);
  w.u32(mf::kSrcCopy);
  for (int16_t v : {2, 2, 0, 0, 40, 40, 400, 500}) w.i16(v);
  w.bytes(dib);
  w.end();
  const char note[] = "xyz";
  w.begin(mf::kMetaEscape);
  w.u16(mf::kMfComment);
  w.u16(3);
  w.bytes(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(note), 3));
  w.end();
  w.setObjects(2);
  const auto wmf = placeable(w.finish(), 1100, 850, 1000);  // 1.1 x 0.85 inch

  const auto emf = convertWmfToEmf(wmf, {});
  const EmfHeader h = EmfReader::validate(emf);
  EXPECT_EQ(h.frame.right, 2794);  // 1.1 in = 27.94 mm
  EXPECT_EQ(h.frame.bottom, 2159);
  EXPECT_GE(h.handles, 3);
  const auto recs = dumpEmf(emf);
  const std::vector<uint32_t> want = {
      mf::kEmrSetMapMode, mf::kEmrSetWindowOrgEx, mf::kEmrSetWindowExtEx, mf::kEmrSetViewportOrgEx,
      mf::kEmrSetViewportExtEx,
      mf::kEmrSetWindowOrgEx, mf::kEmrSetWindowExtEx, mf::kEmrCreatePen, mf::kEmrCreateBrushIndirect,
      mf::kEmrDeleteObject, mf::kEmrExtCreateFontIndirectW, mf::kEmrSelectObject, mf::kEmrSelectObject,
      mf::kEmrRectangle, mf::kEmrExtTextOutW, mf::kEmrStretchDiBits, mf::kEmrGdiComment, mf::kEmrEof};
  ASSERT_EQ(typesOf(recs), want) << typeList(typesOf(recs));
  EXPECT_EQ(recs[0].u32(8), mf::kMmAnisotropic);
  EXPECT_EQ(recs[4].i32(8), 106);  // 1.1 in at 96 dpi
  EXPECT_EQ(recs[4].i32(12), 82);
  EXPECT_EQ(recs[7].u32(8), 1u);        // pen in slot 0 -> handle 1
  EXPECT_EQ(recs[7].u32(24), 0x0000FFu);
  EXPECT_EQ(recs[8].u32(8), 2u);        // brush in slot 1 -> handle 2
  EXPECT_EQ(recs[9].u32(8), 1u);        // pen deleted
  EXPECT_EQ(recs[10].u32(8), 1u);       // font takes the freed slot
  EXPECT_EQ(utf16(recs[10].bytes, 12 + 28, 5), u"Arial");
  EXPECT_EQ(recs[10].bytes[12 + 23], 204);  // charset
  EXPECT_EQ(recs[11].u32(8), 1u);
  EXPECT_EQ(recs[12].u32(8), 2u);
  EXPECT_EQ(recs[13].i32(8), 20);       // rectangle left (WMF order is bottom, right, top, left)
  EXPECT_EQ(recs[13].i32(20), 200);
  const auto& t = recs[14];
  EXPECT_EQ(t.i32(mf::emr_text::kReference), 100);
  EXPECT_EQ(t.i32(mf::emr_text::kReference + 4), 150);
  EXPECT_EQ(utf16(t.bytes, t.u32(mf::emr_text::kStringOffset), 3), u"\u041F\u0440\u0438");
  ASSERT_NE(t.u32(mf::emr_text::kDxOffset), 0u);
  EXPECT_EQ(t.i32(t.u32(mf::emr_text::kDxOffset) + 4), 11);
  const auto& b = recs[15];
  EXPECT_EQ(b.i32(mf::emr_stretchdibits::kXDest), 500);
  EXPECT_EQ(b.i32(mf::emr_stretchdibits::kCxDest), 40);
  EXPECT_EQ(b.u32(mf::emr_stretchdibits::kBmiSize), 40u);
  EXPECT_EQ(b.u32(mf::emr_stretchdibits::kBitsSize), 16u);
  EXPECT_EQ(recs[16].u32(8), 3u);
  EXPECT_EQ(recs[16].bytes[12], 'x');
}

TEST(WmfToEmf, DoubleByteTextSumsTheAdvancesOfEachCharacter) {
  WmfWriter w;
  font(w, -20, 128, "MS Gothic");
  w.simple(mf::kMetaSelectObject, {0});
  // "A" + HIRAGANA LETTER A (0x82 0xA0 in Shift-JIS) + "B"
  extText(w, 0, 0, {'A', 0x82, 0xA0, 'B'}, {5, 6, 7, 8});
  const auto recs = dumpEmf(convertWmfToEmf(w.finish(), {}));
  const DumpedRecord* t = nullptr;
  for (const auto& r : recs)
    if (r.type == mf::kEmrExtTextOutW) t = &r;
  ASSERT_TRUE(t);
  ASSERT_EQ(t->u32(mf::emr_text::kChars), 3u);
  EXPECT_EQ(utf16(t->bytes, t->u32(mf::emr_text::kStringOffset), 3), u"A\u3042B");
  const uint32_t dx = t->u32(mf::emr_text::kDxOffset);
  EXPECT_EQ(t->i32(dx), 5);
  EXPECT_EQ(t->i32(dx + 4), 13);
  EXPECT_EQ(t->i32(dx + 8), 8);
}

TEST(WmfToEmf, SizeComesFromThePictureThenThePlaceableBoxThenTheWindow) {
  WmfWriter w;
  w.simple(mf::kMetaSetWindowExt, {480, 960});  // y, x
  const auto plain = w.finish();
  struct Case {
    const char* name;
    std::vector<uint8_t> wmf;
    WmfToEmfOptions options;
    LONG frame_right, frame_bottom;
  };
  WmfToEmfOptions pict;
  pict.map_mode = 8;
  pict.x_ext = 21000;
  pict.y_ext = 29700;
  const std::vector<Case> cases = {
      {"METAFILEPICT extents", placeable(plain, 1440, 720, 1440), pict, 21000, 29700},
      {"placeable box", placeable(plain, 1440, 720, 1440), {}, 2540, 1270},
      {"window at 96 dpi", plain, {}, 25400, 12700},
  };
  for (const auto& c : cases) {
    const EmfHeader h = EmfReader::validate(convertWmfToEmf(c.wmf, c.options));
    EXPECT_EQ(h.frame.right, c.frame_right) << c.name;
    EXPECT_EQ(h.frame.bottom, c.frame_bottom) << c.name;
  }
}

// Damaged records inside a well-framed WMF are dropped; the rest converts.
TEST(WmfToEmf, DamagedRecordsAreSkippedAndTheRestConverts) {
  struct Case {
    const char* name;
    std::function<void(WmfWriter&)> add;
  };
  const std::vector<Case> cases = {
      {"polygon count beyond the record", [](WmfWriter& w) { w.simple(mf::kMetaPolygon, {1000, 1, 2}); }},
      {"negative polygon count", [](WmfWriter& w) { w.simple(mf::kMetaPolygon, {-5, 1, 2}); }},
      {"polypolygon counts beyond the record", [](WmfWriter& w) { w.simple(mf::kMetaPolyPolygon, {2, 30000, 30000, 1, 1}); }},
      {"text longer than the record", [](WmfWriter& w) { w.simple(mf::kMetaTextOut, {500, 0x4141}); }},
      {"rectangle with two words", [](WmfWriter& w) { w.simple(mf::kMetaRectangle, {1, 2}); }},
      {"DIB wider than its bits",
       [](WmfWriter& w) {
         auto dib = dib2x2();
         put32(dib, 4, 0x7FFFFFFF);
         w.begin(mf::kMetaStretchDib);
         w.u32(mf::kSrcCopy);
         w.u16(0);
         for (int16_t v : {2, 2, 0, 0, 4, 4, 0, 0}) w.i16(v);
         w.bytes(dib);
         w.end();
       }},
      {"DIB header size unknown",
       [](WmfWriter& w) {
         auto dib = dib2x2();
         put32(dib, 0, 7);
         w.begin(mf::kMetaDibBitBlt);
         w.u32(mf::kSrcCopy);
         for (int16_t v : {0, 0, 2, 2, 0, 0}) w.i16(v);
         w.bytes(dib);
         w.end();
       }},
      {"colour table beyond the DIB",
       [](WmfWriter& w) {
         auto dib = dib2x2();
         put16(dib, 14, 8);
         put32(dib, 32, 200);
         w.begin(mf::kMetaStretchDib);
         w.u32(mf::kSrcCopy);
         w.u16(0);
         for (int16_t v : {2, 2, 0, 0, 4, 4, 0, 0}) w.i16(v);
         w.bytes(dib);
         w.end();
       }},
      {"escape longer than the record", [](WmfWriter& w) { w.simple(mf::kMetaEscape, {mf::kMfComment, 9999}); }},
      {"region with scans beyond the record", [](WmfWriter& w) { w.simple(mf::kMetaCreateRegion, {0, 6, 0, 0, 0, 30000}); }},
      {"delete and select of slots never made", [](WmfWriter& w) { w.simple(mf::kMetaDeleteObject, {300}); w.simple(mf::kMetaSelectObject, {-1}); }},
      {"zero window extent", [](WmfWriter& w) { w.simple(mf::kMetaSetWindowExt, {0, 0}); }},
  };
  for (const auto& c : cases) {
    WmfWriter w;
    w.simple(mf::kMetaMoveTo, {1, 1});
    c.add(w);
    w.simple(mf::kMetaLineTo, {2, 2});
    std::vector<uint8_t> emf;
    ASSERT_NO_THROW(emf = convertWmfToEmf(w.finish(), {})) << c.name;
    const auto types = typesOf(dumpEmf(emf));
    ASSERT_GE(types.size(), 3u) << c.name;
    EXPECT_EQ(types[types.size() - 2], mf::kEmrLineTo) << c.name << ": " << typeList(types);
    EXPECT_EQ(std::count(types.begin(), types.end(), uint32_t(mf::kEmrMoveToEx)), 1) << c.name;
  }
}

TEST(WmfToEmf, ObjectTableIsBoundedAndReusesTheLowestSlot) {
  WmfWriter w;
  for (int i = 0; i < 5; ++i) brush(w, uint32_t(i));
  w.simple(mf::kMetaDeleteObject, {3});
  w.simple(mf::kMetaDeleteObject, {1});
  brush(w, 0xAA);  // slot 1
  brush(w, 0xBB);  // slot 3
  brush(w, 0xCC);  // slot 5
  std::vector<uint32_t> handles;
  for (const auto& r : dumpEmf(convertWmfToEmf(w.finish(), {})))
    if (r.type == mf::kEmrCreateBrushIndirect) handles.push_back(r.u32(8));
  EXPECT_EQ(handles, (std::vector<uint32_t>{1, 2, 3, 4, 5, 2, 4, 6}));
}

TEST(WmfToEmf, FramingDamageIsAnError) {
  WmfWriter w;
  w.simple(mf::kMetaLineTo, {2, 2});
  auto wmf = w.finish();
  put32(wmf, mf::kMetaHeaderSize, 0);  // record size 0
  EXPECT_THROW(convertWmfToEmf(wmf, {}), MetafileError);
  EXPECT_THROW(convertWmfToEmf(std::vector<uint8_t>{1, 2, 3}, {}), MetafileError);
}

}  // namespace
}  // namespace pyra::gdi
