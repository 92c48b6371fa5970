// Handles: 32-bit ids; 0, deleted and wrong-kind handles fail cleanly in
// every call; selection and deletion rules.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "pyra/gdi.h"

namespace {

struct BadHandle {
  std::string name;
  uint32_t handle;
};

// Handles no call may accept: never issued, deleted, or of another kind.
std::vector<BadHandle> badHandles(uint32_t wrong_kind) {
  HFONT f = CreateFontA(-10, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  EXPECT_TRUE(DeleteObject(f));
  HDC dc = CreateCompatibleDC(0);
  EXPECT_TRUE(DeleteDC(dc));
  HBITMAP bm = CreateBitmap(2, 2, 1, 1, nullptr);
  EXPECT_TRUE(DeleteObject(bm));
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, 8);
  EXPECT_EQ(GlobalFree(g), 0u);
  return {{"zero", 0},          {"deleted font", f},    {"deleted dc", dc},
          {"deleted bitmap", bm}, {"freed block", g},   {"never issued", 0xDEADBEEF},
          {"all ones", 0xFFFFFFFF}, {"wrong kind", wrong_kind}};
}

struct Call {
  std::string name;
  std::function<bool(uint32_t)> fails;  // true when the call reported failure
};

TEST(PlatformHandles, EveryCallRefusesBadHandles) {
  HDC dc = GetDC(0);
  HDC mem = CreateCompatibleDC(0);
  HGLOBAL block = GlobalAlloc(GHND, 16);
  HFONT font = CreateFontA(-1000, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 24, nullptr);
  ASSERT_NE(dc, 0u);
  ASSERT_NE(block, 0u);

  // Each call gets the bad handle where one handle is expected; the other
  // arguments are valid, so only the handle can make it fail.
  std::vector<Call> calls = {
      {"GetTextMetricsA", [](uint32_t h) { TEXTMETRICA tm; return !GetTextMetricsA(h, &tm); }},
      {"GetOutlineTextMetricsA", [](uint32_t h) { return GetOutlineTextMetricsA(h, 0, nullptr) == 0; }},
      {"GetCharWidthA", [](uint32_t h) { INT w[4]; return !GetCharWidthA(h, 'a', 'd', w); }},
      {"GetCharWidthW", [](uint32_t h) { INT w[4]; return !GetCharWidthW(h, 'a', 'd', w); }},
      {"GetTextExtentPoint32A", [](uint32_t h) { SIZE s; return !GetTextExtentPoint32A(h, "ab", 2, &s); }},
      {"GetFontData", [](uint32_t h) { return GetFontData(h, 0, 0, nullptr, 0) == GDI_ERROR; }},
      {"GetTextFaceA", [](uint32_t h) { char b[40]; return GetTextFaceA(h, 40, b) == 0; }},
      {"SelectObject(dc)", [font](uint32_t h) { return SelectObject(h, font) == 0; }},
      {"SelectObject(object)", [dc](uint32_t h) { return SelectObject(dc, h) == 0; }},
      {"DeleteObject", [](uint32_t h) { return !DeleteObject(h); }},
      {"DeleteDC", [](uint32_t h) { return !DeleteDC(h); }},
      {"ReleaseDC", [](uint32_t h) { return ReleaseDC(0, h) == 0; }},
      {"GetDeviceCaps", [](uint32_t h) { return GetDeviceCaps(h, LOGPIXELSX) == 0; }},
      {"CreateCompatibleDC", [](uint32_t h) { return h == 0 || CreateCompatibleDC(h) == 0; }},
      {"CreateCompatibleBitmap", [](uint32_t h) { return CreateCompatibleBitmap(h, 4, 4) == 0; }},
      {"GetCurrentObject", [](uint32_t h) { return GetCurrentObject(h, OBJ_FONT) == 0; }},
      {"GetObjectA", [](uint32_t h) { BITMAP b; return GetObjectA(h, sizeof b, &b) == 0; }},
      {"GetObjectType", [](uint32_t h) { return GetObjectType(h) == 0; }},
      {"GetDIBits(dc)", [bitmap](uint32_t h) {
         BITMAPINFO bi{};
         bi.bmiHeader.biSize = sizeof bi.bmiHeader;
         return GetDIBits(h, bitmap, 0, 4, nullptr, &bi, DIB_RGB_COLORS) == 0;
       }},
      {"GetDIBits(bitmap)", [dc](uint32_t h) {
         BITMAPINFO bi{};
         bi.bmiHeader.biSize = sizeof bi.bmiHeader;
         return GetDIBits(dc, h, 0, 4, nullptr, &bi, DIB_RGB_COLORS) == 0;
       }},
      {"GlobalLock", [](uint32_t h) { return GlobalLock(h) == nullptr; }},
      {"GlobalUnlock", [](uint32_t h) { return !GlobalUnlock(h); }},
      {"GlobalSize", [](uint32_t h) { return GlobalSize(h) == 0; }},
      {"GlobalFree", [](uint32_t h) { return GlobalFree(h) == h; }},
      {"pyraGetFontFamilyA", [](uint32_t h) { char b[40]; return pyraGetFontFamilyA(h, b, 40) == 0; }},
      {"pyraFontIsSubstitute", [](uint32_t h) { return pyraFontIsSubstitute(h) == -1; }},
  };
  // The wrong kind for every call above is a memory block, except for the
  // memory-block calls, which get a font.
  for (const auto& call : calls) {
    const bool takes_block = call.name.rfind("Global", 0) == 0;
    const bool takes_font = call.name.rfind("pyra", 0) == 0;
    for (const auto& bad : badHandles(takes_block ? font : takes_font ? block : block)) {
      if ((call.name == "GetObjectType" || call.name == "GetObjectA") && bad.name == "wrong kind") continue;
      if (call.name == "DeleteObject" && bad.name == "wrong kind") continue;  // checked below
      EXPECT_TRUE(call.fails(bad.handle)) << call.name << " accepted " << bad.name << " handle " << bad.handle;
    }
  }
  // DeleteObject does not delete DCs or memory blocks, whatever they are.
  EXPECT_FALSE(DeleteObject(block));
  EXPECT_FALSE(DeleteObject(mem));
  EXPECT_EQ(GlobalSize(block), 16u);

  EXPECT_TRUE(DeleteObject(font));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(GlobalFree(block), 0u);
  EXPECT_TRUE(DeleteDC(mem));
  EXPECT_EQ(ReleaseDC(0, dc), 1);
}

TEST(PlatformHandles, SelectedObjectIsNotDeletedUntilDeselected) {
  HDC dc = GetDC(0);
  HFONT font = CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  HGDIOBJ old = SelectObject(dc, font);
  ASSERT_NE(old, 0u);
  EXPECT_EQ(old, GetStockObject(SYSTEM_FONT)) << "the default font is the stock system font";
  EXPECT_FALSE(DeleteObject(font)) << "deleting a selected font would leave the DC a dead handle";
  TEXTMETRICA tm;
  EXPECT_TRUE(GetTextMetricsA(dc, &tm)) << "the refused delete left the font usable";
  EXPECT_EQ(SelectObject(dc, old), font);
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_EQ(GetObjectType(font), 0u);
  ReleaseDC(0, dc);
}

TEST(PlatformHandles, DeletingTheDcReleasesItsSelections) {
  HDC dc = CreateCompatibleDC(0);
  HFONT font = CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
  HBITMAP bm = CreateBitmap(8, 8, 1, 32, nullptr);
  SelectObject(dc, font);
  SelectObject(dc, bm);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_TRUE(DeleteObject(bm));
}

TEST(PlatformHandles, BitmapSelectsIntoOneMemoryDcAtATime) {
  HDC a = CreateCompatibleDC(0), b = CreateCompatibleDC(0), screen = GetDC(0);
  HBITMAP bm = CreateBitmap(8, 8, 1, 32, nullptr);
  HGDIOBJ stock_bitmap = SelectObject(a, bm);
  EXPECT_NE(stock_bitmap, 0u);
  EXPECT_EQ(SelectObject(b, bm), 0u) << "already selected into another DC";
  EXPECT_EQ(SelectObject(screen, bm), 0u) << "bitmaps select into memory DCs only";
  EXPECT_EQ(SelectObject(a, stock_bitmap), bm);
  EXPECT_NE(SelectObject(b, bm), 0u) << "free again once deselected";
  EXPECT_EQ(GetCurrentObject(b, OBJ_BITMAP), bm);
  DeleteDC(a);
  DeleteDC(b);
  ReleaseDC(0, screen);
  EXPECT_TRUE(DeleteObject(bm));
}

TEST(PlatformHandles, StockObjectsAreStableAndSurviveDelete) {
  HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
  ASSERT_NE(font, 0u);
  EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), font);
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_EQ(GetObjectType(font), DWORD(OBJ_FONT));
  EXPECT_EQ(GetStockObject(9), 0u);
  EXPECT_EQ(GetStockObject(-1), 0u);
  EXPECT_EQ(GetStockObject(1000), 0u);
}

TEST(PlatformHandles, DeviceCapsAndObjectDescriptions) {
  HDC dc = GetDC(0);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  EXPECT_GT(GetDeviceCaps(dc, HORZRES), 0);
  EXPECT_EQ(GetObjectType(dc), DWORD(OBJ_DC));
  HDC mem = CreateCompatibleDC(dc);
  EXPECT_EQ(GetObjectType(mem), DWORD(OBJ_MEMDC));
  EXPECT_EQ(GetDeviceCaps(mem, LOGPIXELSY), 96);

  LOGFONTA in{};
  in.lfHeight = -1000;
  in.lfWeight = 700;
  in.lfItalic = 1;
  in.lfCharSet = RUSSIAN_CHARSET;
  std::strcpy(in.lfFaceName, "Times New Roman");
  HFONT f = CreateFontIndirectA(&in);
  LOGFONTA out{};
  EXPECT_EQ(GetObjectA(f, 0, nullptr), int(sizeof(LOGFONTA)));
  EXPECT_EQ(GetObjectA(f, sizeof out, &out), int(sizeof(LOGFONTA)));
  EXPECT_EQ(std::memcmp(&in, &out, sizeof in), 0) << "the LOGFONT comes back as given";
  EXPECT_EQ(GetObjectA(f, sizeof out - 1, &out), 0) << "too small a buffer";
  LOGFONTW w{};
  EXPECT_EQ(GetObjectW(f, sizeof w, &w), int(sizeof w));
  EXPECT_EQ(w.lfFaceName[0], 'T');
  EXPECT_EQ(w.lfCharSet, RUSSIAN_CHARSET);
  DeleteObject(f);
  DeleteDC(mem);
  ReleaseDC(0, dc);
}

TEST(PlatformHandles, GlobalMemoryBlocks) {
  HGLOBAL g = GlobalAlloc(GHND, 100);
  ASSERT_NE(g, 0u);
  EXPECT_EQ(GlobalSize(g), 100u);
  auto* p = static_cast<uint8_t*>(GlobalLock(g));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[99], 0) << "zero-initialised";
  p[0] = 42;
  EXPECT_EQ(static_cast<uint8_t*>(GlobalLock(g)), p) << "nested lock, same address";
  EXPECT_TRUE(GlobalUnlock(g)) << "still locked once";
  EXPECT_FALSE(GlobalUnlock(g)) << "now unlocked";
  EXPECT_FALSE(GlobalUnlock(g)) << "extra unlock is harmless";
  EXPECT_EQ(static_cast<uint8_t*>(GlobalLock(g))[0], 42);
  EXPECT_EQ(GlobalFree(g), 0u);
  EXPECT_EQ(GlobalFree(g), g) << "double free reported";
  EXPECT_EQ(GlobalAlloc(GMEM_FIXED, SIZE_T(1) << 40), 0u) << "absurd size refused";
  EXPECT_EQ(GlobalAlloc(GMEM_FIXED, ~SIZE_T(0)), 0u);
}

}  // namespace
