// Recording DCs with selected objects: pens, brushes, fonts and stock
// objects become object records; text advances come from the font;
// bitmaps in memory DCs are copied into the metafile.
#include <gtest/gtest.h>

#include <cstring>

#include "metafile/metafile_test_util.h"
#include "platform/wmf_reader.h"
#include "pyra/gdi.h"
#include "testkit/testkit.h"

namespace pyra::gdi {
namespace {

using namespace test;

std::vector<DumpedRecord> closeAndDump(HDC dc) {
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  EXPECT_NE(emf, 0u);
  std::vector<uint8_t> b(GetEnhMetaFileBits(emf, 0, nullptr));
  GetEnhMetaFileBits(emf, UINT(b.size()), b.data());
  DeleteEnhMetaFile(emf);
  return dumpEmf(b);
}

std::vector<const DumpedRecord*> all(const std::vector<DumpedRecord>& recs, uint32_t type) {
  std::vector<const DumpedRecord*> out;
  for (const auto& r : recs)
    if (r.type == type) out.push_back(&r);
  return out;
}

TEST(RecordingObjects, SelectionsBecomeCreateSelectAndDeleteRecords) {
  HDC dc = CreateEnhMetaFileA(0, nullptr, nullptr, nullptr);
  HPEN pen = CreatePen(PS_DASH, 3, RGB(1, 2, 3));
  HBRUSH hatch = CreateHatchBrush(HS_CROSS, RGB(4, 5, 6));
  LOGBRUSH lb{BS_SOLID, RGB(7, 8, 9), 0};
  const DWORD dashes[2] = {10, 5};
  HPEN ext = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 4, &lb, 2, dashes);
  ASSERT_NE(ext, 0u);
  SelectObject(dc, pen);
  SelectObject(dc, hatch);
  Rectangle(dc, 0, 0, 10, 10);
  SelectObject(dc, pen);  // again: no second create record
  SelectObject(dc, ext);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  SelectObject(dc, GetStockObject(BLACK_PEN));
  EXPECT_TRUE(DeleteObject(pen));
  HBRUSH next = CreateSolidBrush(RGB(10, 11, 12));
  SelectObject(dc, next);  // the dead pen's index is deleted and reused
  const auto recs = closeAndDump(dc);
  const auto pens = all(recs, mf::kEmrCreatePen);
  ASSERT_EQ(pens.size(), 1u) << typeList(typesOf(recs));
  EXPECT_EQ(pens[0]->u32(12), uint32_t(PS_DASH));
  EXPECT_EQ(pens[0]->u32(16), 3u);
  EXPECT_EQ(pens[0]->u32(24), RGB(1, 2, 3));
  const auto brushes = all(recs, mf::kEmrCreateBrushIndirect);
  ASSERT_EQ(brushes.size(), 2u);
  EXPECT_EQ(brushes[0]->u32(12), uint32_t(BS_HATCHED));
  EXPECT_EQ(brushes[0]->u32(20), uint32_t(HS_CROSS));
  const auto extpens = all(recs, mf::kEmrExtCreatePen);
  ASSERT_EQ(extpens.size(), 1u);
  EXPECT_EQ(extpens[0]->u32(28), uint32_t(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT));
  EXPECT_EQ(extpens[0]->u32(48), 2u);
  EXPECT_EQ(extpens[0]->u32(56), 5u);
  std::vector<uint32_t> selected;
  for (const auto* r : all(recs, mf::kEmrSelectObject)) selected.push_back(r->u32(8));
  const uint32_t pen_index = pens[0]->u32(8);
  EXPECT_EQ(selected, (std::vector<uint32_t>{pen_index, brushes[0]->u32(8), pen_index, extpens[0]->u32(8),
                                             0x80000000u | NULL_BRUSH, 0x80000000u | BLACK_PEN,
                                             brushes[1]->u32(8)}));
  const auto deleted = all(recs, mf::kEmrDeleteObject);
  ASSERT_EQ(deleted.size(), 1u);
  EXPECT_EQ(deleted[0]->u32(8), pen_index);
  EXPECT_EQ(brushes[1]->u32(8), pen_index);
  DeleteObject(hatch);
  DeleteObject(ext);
  DeleteObject(next);
}

TEST(RecordingObjects, TextCarriesTheFontAndItsAdvances) {
  HDC dc = CreateEnhMetaFileA(0, nullptr, nullptr, nullptr);
  HFONT font = CreateFontA(-100, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  ASSERT_NE(font, 0u);
  SelectObject(dc, font);
  SetTextCharacterExtra(dc, 2);
  EXPECT_TRUE(TextOutA(dc, 10, 20, "Wi\xE9", 3));  // é in CP1252
  const auto recs = closeAndDump(dc);
  const auto fonts = all(recs, mf::kEmrExtCreateFontIndirectW);
  ASSERT_EQ(fonts.size(), 1u);
  EXPECT_EQ(fonts[0]->i32(12), -100);
  EXPECT_EQ(fonts[0]->i32(12 + 16), FW_BOLD);
  EXPECT_EQ(utf16(fonts[0]->bytes, 12 + 28, 5), u"Arial");
  const auto texts = all(recs, mf::kEmrExtTextOutW);
  ASSERT_EQ(texts.size(), 1u);
  const auto& t = *texts[0];
  EXPECT_EQ(utf16(t.bytes, t.u32(mf::emr_text::kStringOffset), 3), u"Wi\u00E9");
  const uint32_t dx = t.u32(mf::emr_text::kDxOffset);
  // The font's own advances plus the character extra of 2.
  INT w = 0, i = 0;
  HDC mem = CreateCompatibleDC(0);
  SelectObject(mem, font);
  ASSERT_TRUE(GetCharWidth32W(mem, 'W', 'W', &w));
  ASSERT_TRUE(GetCharWidth32W(mem, 'i', 'i', &i));
  EXPECT_GT(w, 2 * i);
  EXPECT_EQ(t.i32(dx), w + 2);
  EXPECT_EQ(t.i32(dx + 4), i + 2);
  DeleteDC(mem);
  DeleteObject(font);
}

TEST(RecordingObjects, BlitFromAMemoryDcCopiesItsPixels) {
  HDC mem = CreateCompatibleDC(0);
  uint8_t info[sizeof(BITMAPINFOHEADER) + 8] = {};
  auto* h = reinterpret_cast<BITMAPINFOHEADER*>(info);
  h->biSize = sizeof(BITMAPINFOHEADER);
  h->biWidth = 2;
  h->biHeight = 2;
  h->biPlanes = 1;
  h->biBitCount = 24;
  void* px = nullptr;
  HBITMAP bmp = CreateDIBSection(mem, reinterpret_cast<BITMAPINFO*>(info), DIB_RGB_COLORS, &px, 0, 0);
  ASSERT_NE(bmp, 0u);
  std::memset(px, 0, 16);
  static_cast<uint8_t*>(px)[2] = 255;  // bottom-left pixel red
  SelectObject(mem, bmp);
  HDC dc = CreateEnhMetaFileA(0, nullptr, nullptr, nullptr);
  EXPECT_TRUE(BitBlt(dc, 10, 10, 2, 2, mem, 0, 0, SRCCOPY));
  EXPECT_TRUE(StretchBlt(dc, 20, 20, 20, 20, mem, 0, 0, 2, 2, SRCCOPY));
  const auto recs = closeAndDump(dc);
  const auto dibs = all(recs, mf::kEmrStretchDiBits);
  ASSERT_EQ(dibs.size(), 2u) << typeList(typesOf(recs));
  const auto& d = *dibs[1];
  EXPECT_EQ(d.i32(mf::emr_stretchdibits::kCxDest), 20);
  EXPECT_EQ(d.i32(mf::emr_stretchdibits::kCxSrc), 2);
  const uint32_t bits = d.u32(mf::emr_stretchdibits::kBitsOffset);
  EXPECT_EQ(d.bytes[bits + 2], 255);
  EXPECT_EQ(d.bytes[bits + 5], 0);
  DeleteDC(mem);
  DeleteObject(bmp);
}

TEST(RecordingObjects, RestoreDcBringsBackTheSelections) {
  HDC dc = CreateEnhMetaFileA(0, nullptr, nullptr, nullptr);
  HPEN a = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HPEN b = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
  SelectObject(dc, a);
  SaveDC(dc);
  SelectObject(dc, b);
  EXPECT_FALSE(DeleteObject(b));  // selected
  RestoreDC(dc, -1);
  EXPECT_TRUE(DeleteObject(b));   // no longer selected
  EXPECT_FALSE(DeleteObject(a));  // selected again
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), a);
  EXPECT_TRUE(DeleteObject(a));
  closeAndDump(dc);
}

TEST(RecordingObjects, WindowsMetafileWithFontsReadsBackInLibwmf) {
  testkit::TempDir dir;
  HDC dc = CreateMetaFileA(nullptr);
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, 2000, 1000, nullptr);
  HFONT font = CreateFontA(-120, 0, 0, 0, FW_NORMAL, 1, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Courier New");
  HPEN pen = CreatePen(PS_SOLID, 5, RGB(255, 0, 0));
  SelectObject(dc, font);
  SelectObject(dc, pen);
  TextOutA(dc, 100, 100, "Total", 5);
  Rectangle(dc, 50, 50, 1500, 800);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  HMETAFILE m = CloseMetaFile(dc);
  ASSERT_NE(m, 0u);
  const RECT box{0, 0, 2000, 1000};
  const std::string file = dir.file("p.wmf");
  ASSERT_TRUE(PyraWritePlaceableMetaFile(m, file.c_str(), &box, 1000));
  const auto bytes = testkit::readFile(file);
  WmfReader r(bytes);
  WmfRecordView v;
  int fonts = 0;
  while (r.next(v))
    if (v.function == mf::kMetaCreateFontIndirect) {
      ++fonts;
      const std::string face(reinterpret_cast<const char*>(v.bytes.data()) + 6 + 18);
      EXPECT_EQ(face, "Courier New");
      EXPECT_EQ(int16_t(v.bytes[6] | v.bytes[7] << 8), -120);
    }
  EXPECT_EQ(fonts, 1);
  if (testkit::run("command -v wmf2svg").status == 0) {
    const auto res = testkit::run("wmf2svg -o " + testkit::shellQuote(dir.file("p.svg")) + " " + testkit::shellQuote(file));
    ASSERT_EQ(res.status, 0) << res.out;
    const std::string svg = testkit::readText(dir.file("p.svg"));
    // libwmf maps the italic Courier New to its oblique Courier.
    EXPECT_NE(svg.find("font-family:Courier; font-style:oblique"), std::string::npos) << svg.substr(0, 3000);
    EXPECT_NE(svg.find("stroke:red"), std::string::npos) << svg.substr(0, 3000);
  }
  DeleteMetaFile(m);
  DeleteObject(font);
  DeleteObject(pen);
}

}  // namespace
}  // namespace pyra::gdi
