// Text recorded by the platform's own metafile recorder (real EXTTEXTOUTA/W
// records, fonts by handle) and drawn through the exported calls.
#include <gtest/gtest.h>

#include <string>

#include "pyra/gdi.h"
#include "pyra/gdi_metafile.h"
#include "pyra/pyractl.h"
#include "testkit/testkit.h"

using namespace pyra::testkit;

namespace {

HFONT makeFont(LONG height, const char16_t* face, bool underline = false) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWeight = 400;
  lf.lfUnderline = underline ? 1 : 0;
  for (int i = 0; face[i] && i < 31; ++i) lf.lfFaceName[i] = WCHAR(face[i]);
  return CreateFontIndirectW(&lf);
}

TEST(RecordedText, AnsiAndWideRunsWithAdvancesDrawAndExtract) {
  RECT frame{0, 0, 20320, 10160};  // 8 x 4 inches
  HDC dc = CreateEnhMetaFileA(0, nullptr, &frame, nullptr);
  ASSERT_NE(dc, 0u);
  HFONT font = makeFont(-40, u"Arial");
  HGDIOBJ old = SelectObject(dc, font);
  SetTextAlign(dc, 24);  // TA_BASELINE
  TextOutA(dc, 100, 100, "Plain ANSI", 10);
  const WCHAR wide[] = {'W', 'i', 'd', 'e', ' ', 'r', 'u', 'n'};
  const INT dx[] = {40, 20, 25, 25, 15, 15, 25, 25};
  ExtTextOutW(dc, 100, 200, 0, nullptr, wide, 8, dx);
  SetTextAlign(dc, 24 | 2);  // baseline, right
  ExtTextOutA(dc, 700, 300, 0, nullptr, "Right", 5, nullptr);
  SelectObject(dc, old);
  DeleteObject(font);
  HENHMETAFILE emf = CloseEnhMetaFile(dc);
  ASSERT_NE(emf, 0u);

  TempDir dir;
  const std::string file = dir.file("r.pdf");
  const int32_t env = PYRA_Initialize();
  ASSERT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1);
  PYRA_StartPageEx(env, 576, 288, 0);
  PYRA_DrawMetafile(env, emf, 0, 0, 576, 288);
  PYRA_EndDoc(env);
  PYRA_Finalize(env);
  DeleteEnhMetaFile(emf);

  std::string report;
  ASSERT_TRUE(qpdfCheck(file, &report)) << report;
  const std::string text = pdfText(file);
  EXPECT_NE(text.find("Plain ANSI"), std::string::npos) << text;
  EXPECT_NE(text.find("Wide run"), std::string::npos) << text;
  EXPECT_NE(text.find("Right"), std::string::npos) << text;
  const Raster r = renderPage(file, 1, 96);
  ASSERT_EQ(r.width, 768);
  // "Right" ends at x = 700: ink just left of it, none right of it.
  bool ink_before = false, ink_after = false;
  for (int y = 270; y < 302; ++y) {
    for (int x = 690; x < 700; ++x) ink_before |= r.isDark(x, y);
    for (int x = 703; x < 768; ++x) ink_after |= r.isDark(x, y);
  }
  EXPECT_TRUE(ink_before);
  EXPECT_FALSE(ink_after);
}

}  // namespace

// The opaque background mode paints the text's cell in the background
// colour (as LibreOffice and Inkscape show such files); the transparent
// mode and the host's own text calls paint only the letters.
TEST(RecordedText, OpaqueBackgroundModePaintsTheCell) {
  const struct {
    const char* name;
    int mode;  // 1 transparent, 2 opaque
    int yellow_min, yellow_max;
  } cases[] = {{"opaque", OPAQUE, 200, 1 << 30}, {"transparent", TRANSPARENT, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RECT frame{0, 0, 10160, 5080};  // 4 x 2 inches
    HDC dc = CreateEnhMetaFileA(0, nullptr, &frame, nullptr);
    ASSERT_NE(dc, 0u);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    SelectObject(dc, blue);
    Rectangle(dc, 0, 0, 300, 150);
    HFONT font = makeFont(-40, u"Arial");
    SelectObject(dc, font);
    SetBkColor(dc, RGB(255, 255, 0));
    SetBkMode(dc, c.mode);
    TextOutA(dc, 20, 50, "Opaque", 6);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    DeleteObject(font);
    DeleteObject(blue);

    TempDir dir;
    const std::string file = dir.file("o.pdf");
    const int32_t env = PYRA_Initialize();
    ASSERT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1);
    PYRA_StartPageEx(env, 288, 144, 0);
    PYRA_DrawMetafile(env, emf, 0, 0, 288, 144);
    // The host's own call after a yellow solid brush: letters only.
    PYRA_SetBrushAttr(env, 0, 0x00FFFF);
    PYRA_SetTextAttrEx(env, "Arial", 20, 0, 0, 0, 0, 0xFF0000);
    PYRA_TextOut(env, 150, 100, "Host");
    PYRA_EndDoc(env);
    PYRA_Finalize(env);
    DeleteEnhMetaFile(emf);
    std::string report;
    ASSERT_TRUE(qpdfCheck(file, &report)) << report;

    const Raster r = renderPage(file, 1, 72);
    int yellow = 0, blue_px = 0;
    for (int y = 0; y < r.height; ++y)
      for (int x = 0; x < r.width; ++x) {
        auto p = r.at(x, y);
        if (p.r > 200 && p.g > 200 && p.b < 80) ++yellow;
        if (p.r < 80 && p.g < 80 && p.b > 200) ++blue_px;
      }
    EXPECT_GE(yellow, c.yellow_min);
    EXPECT_LE(yellow, c.yellow_max);
    EXPECT_GT(blue_px, 3000) << "the rectangle stays around the text";
    EXPECT_NE(pdfText(file).find("Host"), std::string::npos);
  }
}
