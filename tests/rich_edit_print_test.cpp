// Rich text printed through the engine: pages fill and follow each other,
// the text is extractable, and the column setting splits pages.
#include <gtest/gtest.h>

#include <string>

#include "pyra/gdi.h"
#include "pyra/pyractl.h"
#include "testkit/testkit.h"

using namespace pyra::testkit;

namespace {

std::string longRtf(int paragraphs) {
  std::string rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
  for (int i = 1; i <= paragraphs; ++i)
    rtf += "Paragraph " + std::to_string(i) + " {\\b bold words} and plain text that wraps across the column. \\par ";
  return rtf + "}";
}

int pages(const std::string& file) {
  std::string info = pdfInfo(file);
  auto at = info.find("Pages:");
  return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}

}  // namespace

TEST(RichEditPrint, FillsPagesInOrder) {
  TempDir dir;
  HWND edit = pyraCreateRichEdit();
  ASSERT_NE(edit, 0u);
  std::string rtf = longRtf(120);
  ASSERT_TRUE(pyraRichEditSetRtf(edit, rtf.data(), rtf.size()));
  struct Case { int columns; bool centimetres; };
  for (Case c : {Case{1, false}, Case{2, false}, Case{1, true}}) {
    std::string file = dir.file("rich" + std::to_string(c.columns) + (c.centimetres ? "cm" : "") + ".pdf");
    int32_t env = PYRA_Initialize();
    ASSERT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1);
    PYRA_ExecCommand(env, 12, c.columns, nullptr, 0);
    if (c.centimetres) PYRA_RichEditPrint(env, edit, 21.0f, 29.7f, 2, 2, 2, 2, 1);
    else PYRA_RichEditPrint(env, edit, 8.5f, 11, 1, 1, 1, 1, 0);
    PYRA_EndDoc(env);
    PYRA_Finalize(env);
    std::string report;
    ASSERT_TRUE(qpdfCheck(file, &report)) << report;
    int n = pages(file);
    EXPECT_GE(n, 2) << "120 paragraphs need more than one page";
    std::string text = pdfText(file);
    EXPECT_NE(text.find("Paragraph 1 "), std::string::npos);
    EXPECT_NE(text.find("Paragraph 120 "), std::string::npos) << "the last paragraph is printed";
    EXPECT_LT(text.find("Paragraph 7 "), text.find("Paragraph 80 "));
    if (c.columns == 2) {
      // Both halves of the first page carry text.
      Raster r = renderPage(file, 1, 72);
      auto inked = [&](int x0, int x1) {
        for (int y = 100; y < 700; y += 2)
          for (int x = x0; x < x1; ++x)
            if (r.isDark(x, y)) return true;
        return false;
      };
      EXPECT_TRUE(inked(80, 220)) << "left column";
      EXPECT_TRUE(inked(390, 530)) << "right column";
    }
  }
  DestroyWindow(edit);
}

TEST(RichEditPrint, NeedsADocumentAndAControl) {
  int32_t env = PYRA_Initialize();
  PYRA_RichEditPrint(env, 0, 8.5f, 11, 1, 1, 1, 1, 0);  // no document: nothing, no crash
  TempDir dir;
  std::string file = dir.file("none.pdf");
  ASSERT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1);
  PYRA_RichEditPrint(env, 999999, 8.5f, 11, 1, 1, 1, 1, 0);  // not a control
  PYRA_RichEditPrint(env, 0, -1, 11, 1, 1, 1, 1, 0);
  PYRA_EndDoc(env);
  PYRA_Finalize(env);
  EXPECT_EQ(pages(file), 0);
  std::string report;
  EXPECT_TRUE(qpdfCheck(file, &report)) << report;
}
