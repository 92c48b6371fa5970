// Recording device contexts: the drawing calls become the EMF or WMF records
// a reader expects, and the files read back (our dump, libwmf's wmf2svg).
#include <gtest/gtest.h>

#include <cstring>

#include "metafile/metafile_test_util.h"
#include "platform/wmf_reader.h"
#include "pyra/gdi_metafile.h"
#include "testkit/testkit.h"

namespace pyra::gdi {
namespace {

using namespace test;
using testkit::TempDir;

std::vector<uint8_t> bitsOf(HENHMETAFILE h) {
  std::vector<uint8_t> b(GetEnhMetaFileBits(h, 0, nullptr));
  GetEnhMetaFileBits(h, UINT(b.size()), b.data());
  return b;
}

const DumpedRecord* find(const std::vector<DumpedRecord>& recs, uint32_t type, int nth = 0) {
  for (const auto& r : recs)
    if (r.type == type && nth-- == 0) return &r;
  return nullptr;
}

TEST(RecordingDc, DrawingCallsBecomeTheirEmfRecords) {
  const RECT frame{0, 0, 21000, 29700};
  HDC dc = CreateEnhMetaFileA(0, nullptr, &frame, "pyra\0test\0");
  ASSERT_NE(dc, 0u);
  EXPECT_EQ(SetMapMode(dc, MM_ANISOTROPIC), MM_TEXT);
  EXPECT_TRUE(SetWindowExtEx(dc, 72, 72, nullptr));
  EXPECT_TRUE(SetViewportExtEx(dc, 96, 96, nullptr));
  EXPECT_EQ(SetTextColor(dc, RGB(255, 0, 0)), 0u);
  EXPECT_EQ(SetTextColor(dc, RGB(0, 255, 0)), RGB(255, 0, 0));
  EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
  EXPECT_EQ(SaveDC(dc), 1);
  EXPECT_TRUE(MoveToEx(dc, 10, 20, nullptr));
  EXPECT_TRUE(LineTo(dc, 100, 200));
  EXPECT_TRUE(Rectangle(dc, 5, 6, 50, 60));
  const POINT tri[3] = {{0, 0}, {30, 0}, {15, 30}};
  EXPECT_TRUE(Polygon(dc, tri, 3));
  const POINT bez[4] = {{0, 0}, {10, 10}, {20, 10}, {30, 0}};
  EXPECT_TRUE(PolyBezier(dc, bez, 4));
  EXPECT_FALSE(PolyBezier(dc, bez, 3));  // 3n + 1 points only
  EXPECT_TRUE(BeginPath(dc));
  EXPECT_TRUE(Ellipse(dc, 0, 0, 40, 40));
  EXPECT_TRUE(EndPath(dc));
  EXPECT_TRUE(FillPath(dc));
  EXPECT_EQ(IntersectClipRect(dc, 0, 0, 500, 500), SIMPLEREGION);
  EXPECT_TRUE(RestoreDC(dc, -1));
  EXPECT_FALSE(RestoreDC(dc, -1));  // nothing left to restore
  const char comment[] = "private";
  EXPECT_TRUE(GdiComment(dc, sizeof comment, reinterpret_cast<const BYTE*>(comment)));
  EXPECT_TRUE(TextOutA(dc, 7, 8, "Hi", 2));
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  ASSERT_NE(emf, 0u);
  EXPECT_EQ(CloseEnhMetaFile(dc), 0u);  // the DC is gone
  EXPECT_FALSE(LineTo(dc, 1, 1));

  const auto bytes = bitsOf(emf);
  const EmfHeader h = EmfReader::validate(bytes);
  EXPECT_EQ(h.frame.right, 21000);
  EXPECT_EQ(h.device.cx, 794);  // A4 at 96 dpi
  EXPECT_EQ(h.millimeters.cx, 210);
  EXPECT_EQ(h.description, std::u16string(u"pyra\0test\0\0", 11));
  // Bounds in device pixels: the line to (100, 200) at 96/72.
  EXPECT_EQ(h.bounds.right, 133);
  EXPECT_EQ(h.bounds.bottom, 267);
  const auto recs = dumpEmf(bytes);
  const std::vector<uint32_t> want = {
      mf::kEmrSetMapMode, mf::kEmrSetWindowExtEx, mf::kEmrSetViewportExtEx, mf::kEmrSetTextColor,
      mf::kEmrSetTextColor, mf::kEmrSetBkMode, mf::kEmrSaveDc, mf::kEmrMoveToEx, mf::kEmrLineTo,
      mf::kEmrRectangle, mf::kEmrPolygon16, mf::kEmrPolyBezier16, mf::kEmrBeginPath, mf::kEmrEllipse,
      mf::kEmrEndPath, mf::kEmrFillPath, mf::kEmrIntersectClipRect, mf::kEmrRestoreDc, mf::kEmrGdiComment,
      mf::kEmrExtTextOutW, mf::kEmrEof};
  ASSERT_EQ(typesOf(recs), want) << typeList(typesOf(recs));
  EXPECT_EQ(recs[4].u32(8), RGB(0, 255, 0));
  EXPECT_EQ(recs[17].i32(8), -1);
  EXPECT_EQ(recs[18].u32(8), sizeof comment);
  EXPECT_EQ(std::memcmp(recs[18].bytes.data() + 12, comment, sizeof comment), 0);
  const auto& t = recs[19];
  EXPECT_EQ(utf16(t.bytes, t.u32(mf::emr_text::kStringOffset), 2), u"Hi");
  // Without font widths every character still gets an advance.
  ASSERT_NE(t.u32(mf::emr_text::kDxOffset), 0u);
  EXPECT_GT(t.i32(t.u32(mf::emr_text::kDxOffset)), 0);
  DeleteEnhMetaFile(emf);
}

TEST(RecordingDc, WriterCommentsKeepTheirLayout) {
  HDC dc = CreateEnhMetaFileA(0, nullptr, nullptr, nullptr);
  // Code 501 (a link) with its rectangle and the target as payload.
  const std::string target = "http://example.com";
  std::vector<uint8_t> c(28);
  put32(c, 0, 501);
  put32(c, 4, mf::kWriterCommentId);
  put32(c, 8, 10);
  put32(c, 12, 20);
  put32(c, 16, 110);
  put32(c, 20, 40);
  put32(c, 24, uint32_t(target.size()));
  c.insert(c.end(), target.begin(), target.end());
  ASSERT_TRUE(GdiComment(dc, UINT(c.size()), c.data()));
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  const auto recs = dumpEmf(bitsOf(emf));
  const DumpedRecord* r = find(recs, mf::kEmrGdiComment);
  ASSERT_TRUE(r);
  ASSERT_EQ(r->u32(8), c.size());
  EXPECT_EQ(std::vector<uint8_t>(r->bytes.begin() + 12, r->bytes.begin() + 12 + long(c.size())), c);
  // Nothing drawn: empty bounds, and no frame can be derived from them.
  ENHMETAHEADER h{};
  GetEnhMetaFileHeader(emf, sizeof h, &h);
  EXPECT_LT(h.rclBounds.right, h.rclBounds.left);
  DeleteEnhMetaFile(emf);
}

TEST(RecordingDc, PensBrushesBitmapsAndFileOutput) {
  TempDir dir;
  const std::string file = dir.file("rec.emf");
  HDC dc = CreateEnhMetaFileA(0, file.c_str(), nullptr, nullptr);
  ASSERT_NE(dc, 0u);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  ASSERT_NE(red, 0u);
  const RECT box{10, 10, 60, 40};
  EXPECT_NE(FillRect(dc, &box, red), 0);
  EXPECT_EQ(FillRect(dc, &box, 0), 0);
  EXPECT_TRUE(PatBlt(dc, 0, 0, 5, 5, BLACKNESS));
  // A 2x1 24-bit DIB.
  uint8_t info[40] = {};
  { const uint32_t v = 40; std::memcpy(info + 0, &v, 4); }
  { const uint32_t v = 2; std::memcpy(info + 4, &v, 4); }
  { const uint32_t v = 1; std::memcpy(info + 8, &v, 4); }
  info[12] = 1;
  info[14] = 24;
  const uint8_t px[8] = {0, 0, 255, 255, 0, 0, 0, 0};
  EXPECT_EQ(StretchDIBits(dc, 100, 100, 20, 10, 0, 0, 2, 1, px, reinterpret_cast<const struct tagBITMAPINFO*>(info),
                          DIB_RGB_COLORS, SRCCOPY),
            1);
  HRGN rgn = CreateRectRgn(0, 0, 30, 30);
  EXPECT_EQ(SelectClipRgn(dc, rgn), SIMPLEREGION);
  EXPECT_EQ(SelectClipRgn(dc, 0), NULLREGION);
  EXPECT_EQ(ExtSelectClipRgn(dc, 0, RGN_AND), RGN_ERROR);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  ASSERT_NE(emf, 0u);
  const auto bytes = bitsOf(emf);
  EXPECT_EQ(testkit::readFile(file), bytes);
  const auto recs = dumpEmf(bytes);
  const DumpedRecord* brush = find(recs, mf::kEmrCreateBrushIndirect);
  ASSERT_TRUE(brush) << typeList(typesOf(recs));
  EXPECT_EQ(brush->u32(16), RGB(255, 0, 0));
  const DumpedRecord* blit = find(recs, mf::kEmrBitBlt);
  ASSERT_TRUE(blit);
  EXPECT_EQ(blit->u32(mf::emr_bitblt::kRop), PATCOPY);
  EXPECT_EQ(blit->i32(mf::emr_bitblt::kCxDest), 50);
  const DumpedRecord* dib = find(recs, mf::kEmrStretchDiBits);
  ASSERT_TRUE(dib);
  EXPECT_EQ(dib->u32(mf::emr_stretchdibits::kBitsSize), 8u);
  EXPECT_EQ(dib->bytes[dib->u32(mf::emr_stretchdibits::kBitsOffset) + 2], 255);
  const DumpedRecord* clip = find(recs, mf::kEmrExtSelectClipRgn);
  ASSERT_TRUE(clip);
  EXPECT_EQ(clip->u32(12), uint32_t(RGN_COPY));
  EXPECT_EQ(clip->u32(16 + 8), 1u);  // one rectangle
  const DumpedRecord* reset = find(recs, mf::kEmrExtSelectClipRgn, 1);
  ASSERT_TRUE(reset);
  EXPECT_EQ(reset->u32(8), 0u);
  DeleteEnhMetaFile(emf);
}

TEST(RecordingDc, StateCallsCheckTheirArguments) {
  HDC dc = CreateEnhMetaFileA(0, nullptr, nullptr, nullptr);
  EXPECT_EQ(SetMapMode(dc, 99), 0);
  EXPECT_EQ(SetBkMode(dc, 7), 0);
  EXPECT_FALSE(SetWindowExtEx(dc, 0, 10, nullptr));
  XFORM x{2, 0, 0, 2, 0, 0};
  EXPECT_FALSE(SetWorldTransform(dc, &x));  // needs GM_ADVANCED
  EXPECT_EQ(SetGraphicsMode(dc, GM_ADVANCED), GM_COMPATIBLE);
  EXPECT_TRUE(SetWorldTransform(dc, &x));
  EXPECT_TRUE(ModifyWorldTransform(dc, nullptr, MWT_IDENTITY));
  EXPECT_FALSE(ModifyWorldTransform(dc, nullptr, MWT_LEFTMULTIPLY));
  EXPECT_FALSE(Polyline(dc, nullptr, 3));
  const POINT p[2] = {{0, 0}, {1, 1}};
  EXPECT_FALSE(Polyline(dc, p, -1));
  const INT bad_counts[1] = {1};
  EXPECT_FALSE(PolyPolygon(dc, p, bad_counts, 1));
  // The save stack is bounded.
  int last = 0;
  for (int i = 0; i < 5000; ++i) last = SaveDC(dc);
  EXPECT_EQ(last, 0);
  EXPECT_TRUE(RestoreDC(dc, 1));
  EXPECT_FALSE(RestoreDC(dc, 1));
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  ASSERT_NE(emf, 0u);
  const auto recs = dumpEmf(bitsOf(emf));
  const DumpedRecord* set = find(recs, mf::kEmrSetWorldTransform);
  ASSERT_TRUE(set);
  float m11;
  std::memcpy(&m11, set->bytes.data() + 8, 4);
  EXPECT_EQ(m11, 2.0f);
  DeleteEnhMetaFile(emf);
}

TEST(RecordingDc, DrawingOnOtherDcsDoesNothing) {
  EXPECT_FALSE(LineTo(0, 1, 1));
  EXPECT_FALSE(Rectangle(987654, 0, 0, 1, 1));
  HDC wmf = CreateMetaFileA(nullptr);
  // A DC that records a WMF refuses what the format cannot hold.
  EXPECT_FALSE(BeginPath(wmf));
  XFORM x{1, 0, 0, 1, 0, 0};
  SetGraphicsMode(wmf, GM_ADVANCED);
  EXPECT_FALSE(SetWorldTransform(wmf, &x));
  HMETAFILE m = CloseMetaFile(wmf);
  EXPECT_NE(m, 0u);
  DeleteMetaFile(m);
}

TEST(RecordingDc, WindowsMetafileReadsBackInLibwmfAndConverts) {
  TempDir dir;
  const std::string file = dir.file("page.wmf");
  HDC dc = CreateMetaFileA(file.c_str());
  ASSERT_NE(dc, 0u);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, 1000, 500, nullptr);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  const RECT box{100, 100, 400, 300};
  FillRect(dc, &box, blue);
  Rectangle(dc, 500, 100, 900, 400);
  MoveToEx(dc, 0, 0, nullptr);
  LineTo(dc, 1000, 500);
  const POINT bez[4] = {{0, 500}, {300, 0}, {600, 0}, {900, 500}};
  EXPECT_TRUE(PolyBezier(dc, bez, 4));  // flattened into a polyline
  EXPECT_TRUE(TextOutA(dc, 120, 420, "Invoice", 7));
  const char note[] = "note";
  EXPECT_TRUE(GdiComment(dc, 4, reinterpret_cast<const BYTE*>(note)));
  HMETAFILE m = CloseMetaFile(dc);
  ASSERT_NE(m, 0u);

  // Our reader sees the records in order.
  const auto bytes = testkit::readFile(file);
  std::vector<uint16_t> fns;
  WmfReader r(bytes);
  WmfRecordView v;
  while (r.next(v)) fns.push_back(v.function);
  for (uint16_t fn : {mf::kMetaSetMapMode, mf::kMetaSetWindowExt, mf::kMetaCreateBrushIndirect,
                      mf::kMetaSelectObject, mf::kMetaPatBlt, mf::kMetaRectangle, mf::kMetaLineTo,
                      mf::kMetaPolyline, mf::kMetaExtTextOut, mf::kMetaEscape, mf::kMetaEof})
    EXPECT_NE(std::find(fns.begin(), fns.end(), fn), fns.end()) << std::hex << fn;
  EXPECT_GE(r.header().objects, 1);

  // As a placeable page file, libwmf draws it.
  const RECT page{0, 0, 1000, 500};
  const std::string placeable = dir.file("page1.wmf");
  ASSERT_TRUE(PyraWritePlaceableMetaFile(m, placeable.c_str(), &page, 1000));
  if (testkit::run("command -v wmf2svg").status == 0) {
    const std::string svg = dir.file("page1.svg");
    const auto res = testkit::run("wmf2svg -o " + testkit::shellQuote(svg) + " " + testkit::shellQuote(placeable));
    ASSERT_EQ(res.status, 0) << res.out;
    const std::string text = testkit::readText(svg);
    // With an advance per character libwmf places each one in a text
    // element of its own: join them back.
    std::string drawn;
    for (size_t at = text.find(">"); at != std::string::npos; at = text.find(">", at + 1)) {
      const size_t end = text.find("</text>", at);
      if (end == at + 2) drawn.push_back(text[at + 1]);
    }
    EXPECT_NE(drawn.find("Invoice"), std::string::npos) << text.substr(0, 2000);
    EXPECT_NE(text.find("<polyline"), std::string::npos);
    EXPECT_NE(text.find("<rect"), std::string::npos);
  }

  // And it converts to an EMF with the same drawing.
  HMETAFILE loaded = GetMetaFileA(placeable.c_str());
  ASSERT_NE(loaded, 0u);
  std::vector<uint8_t> bits(GetMetaFileBitsEx(loaded, 0, nullptr));
  GetMetaFileBitsEx(loaded, UINT(bits.size()), bits.data());
  HENHMETAFILE emf = SetWinMetaFileBits(UINT(bits.size()), bits.data(), 0, nullptr);
  ASSERT_NE(emf, 0u);
  const auto recs = dumpEmf(bitsOf(emf));
  const DumpedRecord* t = find(recs, mf::kEmrExtTextOutW);
  ASSERT_TRUE(t) << typeList(typesOf(recs));
  EXPECT_EQ(utf16(t->bytes, t->u32(mf::emr_text::kStringOffset), 7), u"Invoice");
  EXPECT_TRUE(find(recs, mf::kEmrGdiComment));
  EXPECT_TRUE(find(recs, mf::kEmrCreateBrushIndirect));
  DeleteEnhMetaFile(emf);
  DeleteMetaFile(loaded);
  DeleteMetaFile(m);
}

}  // namespace
}  // namespace pyra::gdi
