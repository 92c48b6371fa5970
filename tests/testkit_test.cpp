// The test kit's own checks: a hand-built page must satisfy the readers the
// other suites rely on, or their verdicts mean nothing.
#include <gtest/gtest.h>

#include "testkit/mini_pdf.h"
#include "testkit/testkit.h"

using namespace pyra::testkit;

TEST(TestKit, MiniPdfPassesReadersAndProbesFindTheSquare) {
  TempDir dir;
  MiniPdf pdf;
  pdf.addPage(200, 100, "0 0 0 rg 10 10 50 50 re f\n");
  pdf.save(dir.file("a.pdf"));
  std::string report;
  EXPECT_TRUE(qpdfCheck(dir.file("a.pdf"), &report)) << report;
  Raster r = renderPage(dir.file("a.pdf"), 1, 72);
  ASSERT_EQ(r.width, 200);
  ASSERT_EQ(r.height, 100);
  // PDF y grows upward: the square covers rows 40..89 from the top.
  EXPECT_TRUE(r.isDark(30, 70));
  EXPECT_TRUE(r.isWhite(100, 20));
}
