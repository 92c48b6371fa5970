// Operator text: numbers, colours, widths, dashes and the suppression of
// operators that would repeat what is already in force.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>

#include "engine/render/number_format.h"
#include "render_support.h"

using namespace pyra::render;
using pyra::rendertest::count;
using pyra::rendertest::draw;
using pyra::rendertest::PageSetup;

namespace {

std::string fixed(double v, int decimals) {
  char buf[kMaxNumberChars];
  return std::string(buf, formatFixed(buf, v, decimals));
}

TEST(RenderNumberFormat, FixedDecimalsWithoutLocaleOrExponent) {
  struct Row { double v; int dec; const char* want; };
  const Row rows[] = {
      {12.5, 3, "12.500"},   {0.0, 3, "0.000"},        {-0.0001, 3, "0.000"},
      {-1.25, 1, "-1.2"},    {1e300, 3, "999999999999999.000"},
      {-1e300, 0, "-999999999999999"}, {std::nan(""), 3, "0.000"},
      {0.000000123, 9, "0.000000123"}, {2.5, 0, "2"}, {3.5, 0, "4"},
  };
  for (const Row& r : rows) EXPECT_EQ(fixed(r.v, r.dec), r.want) << r.v << " with " << r.dec;
}

TEST(RenderNumberFormat, ColoursAndExactZeroOne) {
  TPxPDFDeviceWorkBuffer b;
  b.writeColor(0, false);
  b.writeColor(0, true);
  b.writeColor(0xFFFFFF, false);
  b.writeColor(0x0080FF, true);
  EXPECT_EQ(b.view(), " 0 g  0 G 1 1 1 rg 1 0.502 0 RG ");
}

TEST(RenderNumberFormat, IntegersDividedUnderPrecisionFactor) {
  TPxPDFDeviceWorkBuffer b;
  b.setDivisor(4);
  b.writeCoord(10002);
  b.writeCoord(-6);
  b.setDivisor(1);
  b.writeCoord(-6);
  EXPECT_EQ(b.view(), "2500.5 -1.5 -6 ");
}

TEST(RenderNumberFormat, BufferGrowsInOneBlock) {
  TPxPDFDeviceWorkBuffer b;
  EXPECT_EQ(b.capacity(), 2000u);
  int reallocations = 0;
  size_t cap = b.capacity();
  for (int i = 0; i < 1000000; ++i) {
    b.writeInt(i);
    if (b.capacity() != cap) {
      ++reallocations;
      cap = b.capacity();
    }
  }
  EXPECT_LT(reallocations, 40);
  EXPECT_LT(b.capacity(), 2 * b.size() + 4096);
}

TEST(RenderOperators, ColourWidthCapJoinWrittenOnceForRepeatedStrokes) {
  auto d = draw([](ContentWriter& w) {
    w.dc().selectPen(penFromLogPen(0, 3, 0x0000FF));
    for (int i = 0; i < 5; ++i) {
      w.moveTo(10, 10 + 10 * i);
      w.lineTo(100, 10 + 10 * i);
    }
  });
  EXPECT_EQ(count(d.content, " RG "), 1) << d.content;
  EXPECT_EQ(count(d.content, "3.000 w "), 1) << d.content;
  EXPECT_EQ(count(d.content, " J "), 1) << d.content;
  EXPECT_EQ(count(d.content, " j "), 1) << d.content;
  EXPECT_EQ(count(d.content, " S "), 5) << d.content;
  EXPECT_EQ(d.syntax_fault, "") << d.content;
  EXPECT_TRUE(d.qpdf_ok) << d.qpdf_report;
}

TEST(RenderOperators, TwoLineTosEachMoveLineAndStroke) {
  auto d = draw([](ContentWriter& w) {
    w.moveTo(10, 10);
    w.lineTo(50, 10);
    w.lineTo(50, 50);
  }, PageSetup{200, 200, 72, 0, false});
  EXPECT_NE(d.content.find("10 -10 m 50 -10 l S 50 -10 m 50 -50 l S "), std::string::npos) << d.content;
}

TEST(RenderOperators, WidthsAndColoursOfSpecialValues) {
  struct Row { int width; const char* want; };
  for (const Row& r : {Row{0, "0.000 w "}, Row{1, "0.500 w "}, Row{3, "3.000 w "}}) {
    auto d = draw([&](ContentWriter& w) {
      w.dc().selectPen(penFromLogPen(0, r.width, 0));
      w.moveTo(0, 0);
      w.lineTo(10, 10);
    }, PageSetup{200, 200, 72, 0, false});
    EXPECT_NE(d.content.find(r.want), std::string::npos) << r.width << ": " << d.content;
    EXPECT_NE(d.content.find(" 0 G "), std::string::npos) << d.content;
  }
}

TEST(RenderOperators, ChangedAttributesAreWrittenAgainOnlyWhenTheyChange) {
  auto d = draw([](ContentWriter& w) {
    BrushValues red{kBsSolid, 0x0000FF, 0};
    BrushValues blue{kBsSolid, 0xFF0000, 0};
    w.dc().selectBrush(red);
    w.rectangle(0, 0, 10, 10);
    w.rectangle(20, 0, 30, 10);
    w.dc().selectBrush(blue);
    w.rectangle(40, 0, 50, 10);
    w.dc().selectBrush(red);
    w.rectangle(60, 0, 70, 10);
  }, PageSetup{200, 200, 72, 0, false});
  EXPECT_EQ(count(d.content, "1 0 0 rg"), 2) << d.content;
  EXPECT_EQ(count(d.content, "0 0 1 rg"), 1) << d.content;
}

TEST(RenderOperators, RestoreForgetsWhatTheLevelWrote) {
  auto d = draw([](ContentWriter& w) {
    w.dc().selectPen(penFromLogPen(0, 2, 0x00FF00));
    w.moveTo(0, 0);
    w.lineTo(10, 0);
    w.saveDC();
    w.dc().selectPen(penFromLogPen(0, 4, 0x0000FF));
    w.lineTo(20, 0);
    w.restoreDC();
    w.lineTo(30, 0);  // green again: still in force after Q, nothing written
    w.dc().selectPen(penFromLogPen(0, 4, 0x0000FF));
    w.lineTo(40, 0);  // red again: Q took it back in the reader, so it is written again
  }, PageSetup{200, 200, 72, 0, false});
  EXPECT_EQ(count(d.content, "0 1 0 RG"), 1) << d.content;
  EXPECT_EQ(count(d.content, "1 0 0 RG"), 2) << d.content;
  EXPECT_EQ(count(d.content, "4.000 w"), 2) << d.content;
  EXPECT_NE(d.content.find("Q 20 0 m 30 0 l S"), std::string::npos) << d.content;
  EXPECT_EQ(d.syntax_fault, "") << d.content;
}

TEST(RenderOperators, DashPatterns) {
  struct Row { uint32_t style; const char* want; };
  const Row rows[] = {{kPsDash, "[7.500 8.500] 0 d"},
                      {kPsDot, "[1 4.000] 0 d"},
                      {kPsUserStyle, "[1 4.000] 0 d"},
                      {kPsDashDot, "[7.500 4.000 0.750 4.000] 0 d"},
                      {kPsDashDotDot, "[5.250 8.500 1 8.500 1 8.500] 0 d"},
                      {kPsNull, ""},
                      {kPsSolid, ""}};
  for (const Row& r : rows) {
    auto d = draw([&](ContentWriter& w) {
      w.dc().selectPen(penFromLogPen(r.style, 2, 0));
      w.moveTo(0, 10);
      w.lineTo(100, 10);
    }, PageSetup{200, 200, 72, 0, false});
    if (*r.want)
      EXPECT_NE(d.content.find(r.want), std::string::npos) << r.style << ": " << d.content;
    else
      EXPECT_EQ(d.content.find(" d "), std::string::npos) << r.style << ": " << d.content;
    EXPECT_EQ(d.syntax_fault, "") << d.content;
  }
}

TEST(RenderOperators, SolidAfterDashResetsThePattern) {
  auto d = draw([](ContentWriter& w) {
    w.dc().selectPen(penFromLogPen(kPsDash, 1, 0));
    w.moveTo(0, 10);
    w.lineTo(100, 10);
    w.dc().selectPen(penFromLogPen(kPsSolid, 1, 0));
    w.moveTo(0, 20);
    w.lineTo(100, 20);
  }, PageSetup{200, 200, 72, 0, false});
  EXPECT_NE(d.content.find("[] 0 d"), std::string::npos) << d.content;
}

TEST(RenderOperators, ScaleChangeUndoesAndApplies) {
  auto d = draw([](ContentWriter& w) {
    w.rectangle(0, 0, 10, 10);
    w.dc().setMapMode(kMmAnisotropic);
    w.dc().setWindowExt(100, 100);
    w.dc().setViewportExt(50, 50);
    w.rectangle(0, 0, 10, 10);
  }, PageSetup{200, 200, 72, 0, false});
  // First the page's y flip, then the inverse of it and the scaled matrix.
  EXPECT_NE(d.content.find("1 0 0 1 0.0000 200.0000 cm"), std::string::npos) << d.content;
  EXPECT_NE(d.content.find("1 0 0 1 0 -200.000000000 cm 0.500000 0 0 0.500000 0 200.000000 cm"), std::string::npos)
      << d.content;
}

TEST(RenderOperators, PolygonInsideBracketReturnsToItsFirstPoint) {
  auto d = draw([](ContentWriter& w) {
    const Point pts[] = {{0, 0}, {10, 0}, {10, 10}};
    w.beginPath();
    w.polygon(pts);
    w.endPath();
    w.fillPath();
  }, PageSetup{200, 200, 72, 0, false});
  EXPECT_NE(d.content.find("0 0 m 10 0 l 10 -10 l 0 0 l "), std::string::npos) << d.content;
  EXPECT_EQ(d.syntax_fault, "") << d.content;
}

TEST(RenderOperators, NestedBracketsUnwindOneLevelPerEndPath) {
  ContentWriter w;
  w.beginPage(200, 200);
  w.startOutput();
  w.beginPath();
  w.beginPath();
  w.beginPath();
  EXPECT_EQ(w.pathDepth(), 3);
  EXPECT_TRUE(w.endPath());
  EXPECT_EQ(w.pathDepth(), 2);
  w.abortPath();
  EXPECT_EQ(w.pathDepth(), 0);
  EXPECT_EQ(pyra::rendertest::syntaxFault(std::string(w.endOutput())), "");
}

TEST(RenderOperators, OutputLifeErrors) {
  ContentWriter w;
  EXPECT_THROW(w.endOutput(), std::logic_error);
  EXPECT_THROW(w.lineTo(1, 1), std::logic_error);
  w.startOutput();
  EXPECT_THROW(w.startOutput(), std::logic_error);
  EXPECT_EQ(w.endOutput(), "q Q ");
}

// Content streams must never follow the process locale.
TEST(RenderOperators, CommaDecimalLocaleChangesNothing) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  std::string saved = old ? old : "C";
  const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE"};
  bool set = false;
  for (const char* n : names)
    if (std::setlocale(LC_ALL, n)) {
      set = true;
      break;
    }
  if (!set) GTEST_SKIP() << "no comma-decimal locale installed";
  auto d = draw([](ContentWriter& w) {
    w.dc().selectPen(penFromLogPen(kPsDash, 3, 0x0080FF));
    w.dc().setMapMode(kMmHiMetric);
    w.ellipse(1000, -1000, 3000, -2500);
  });
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(d.content.find(','), std::string::npos) << d.content;
  EXPECT_EQ(d.syntax_fault, "") << d.content;
  EXPECT_TRUE(d.qpdf_ok) << d.qpdf_report;
}

}  // namespace
