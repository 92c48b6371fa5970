// The device-option bits and writer comments that steer text output, on a
// page device driven directly.
#include <gtest/gtest.h>

#include "engine/pdf/pdf_device.h"
#include "engine/render/device_options.h"
#include "engine/render/pdf_page_device.h"
#include "render_text_support.h"

using namespace pyra;
using namespace pyra::testkit;
using namespace pyra::testkit::text;

namespace {

// Plays `emf` with `options` and returns the uncompressed file.
std::string playWith(const std::vector<uint8_t>& emf, uint16_t options, std::string* text = nullptr) {
  TempDir dir;
  const std::string file = dir.file("o.pdf"), qdf = dir.file("q.pdf");
  {
    pdf::TPxPDFDevice document;
    document.setFileName(file);
    render::PdfPageDevice page(document);
    EXPECT_TRUE(page.beginDocument(576, 288, 72));
    page.startPage(576, 288, 72, 72, 0);
    page.setDeviceOptions(options);
    page.playMetafile(emf, 0, 0, 0, 0);
    page.endDocument();
  }
  std::string report;
  EXPECT_TRUE(qpdfCheck(file, &report)) << report;
  if (text) *text = pdfText(file);
  run("qpdf --qdf --object-streams=disable " + shellQuote(file) + " " + shellQuote(qdf));
  return readText(qdf);
}

std::vector<uint8_t> spacedAndClipped() {
  EmfBuilder b = pageMetafile();
  selectFont(b, FontSpec{});
  TextSpec t{100, 100, u"ab cd", {40, 40, 40, 40, 40}};
  t.options = 0x0004;
  t.rect = {90, 90, 200, 150};
  textOut(b, t);
  return b.bytes();
}

TEST(TextOptions, BitsChooseAdvancesSpacingAndClip) {
  struct Row {
    const char* name;
    uint16_t options;
    bool tj, spacing, clip;
  };
  const Row rows[] = {
      {"none", 0, false, true, true},
      {"char_positions", render::doCharPositions, true, false, true},
      {"no_spacing", render::doNoSpacing, false, false, true},
      {"no_text_clip", render::doNoTextClip, false, true, false},
  };
  for (const Row& row : rows) {
    std::string text;
    const std::string c = playWith(spacedAndClipped(), row.options, &text);
    EXPECT_EQ(c.find("]TJ") != std::string::npos, row.tj) << row.name;
    EXPECT_EQ(c.find(" Tw ") != std::string::npos || c.find(" Tc ") != std::string::npos, row.spacing) << row.name;
    EXPECT_EQ(c.find("re W n") != std::string::npos, row.clip) << row.name;
    EXPECT_NE(text.find('b'), std::string::npos) << row.name << ": " << text;
  }
}

// The platform maps a face it lacks to a near one, as Windows does; the
// fallback face of the comment is only needed when even that fails.
TEST(TextOptions, FallbackFaceCommentAndAMissingFaceStillDraw) {
  EmfBuilder b = pageMetafile();
  b.record(kGdiComment, EmfBuilder::comment(603, {0, 0, 0, 0}, "Courier New"));
  FontSpec f;
  f.face = u"No Such Face 12345";
  selectFont(b, f);
  textOut(b, {100, 100, u"fallback"});
  std::string text;
  const std::string c = playWith(b.bytes(), 0, &text);
  EXPECT_NE(text.find("fallback"), std::string::npos) << text;
  EXPECT_NE(c.find("/FontName"), std::string::npos);
}

}  // namespace
