// Images through the document writer: registered once, written at once,
// and still right when the document encodes and encrypts its streams.
#include <gtest/gtest.h>

#include "engine/images/dib_image.h"
#include "engine/images/image_xobject.h"
#include "images_fixture.h"

using namespace pyra;
using namespace pyra::images;
using namespace pyra::testkit;
using namespace pyra::images::test;

TEST(ImageXObjects, PaletteImagesSurviveEncodingAndEncryption) {
  struct Case { const char* name; uint8_t compression, encoding, permission, key_mode; } cases[] = {
      {"plain", 0, 0, 0, 0}, {"flate+ascii85", 1, 1, 0, 0}, {"hex", 0, 2, 0, 0},
      {"rc4-128", 1, 0, 1, 1}, {"aes-128 + ascii85", 1, 1, 1, 2}, {"run-length", 2, 0, 0, 0},
  };
  const uint32_t w = 40, h = 40;
  Picture pic = regionPicture(w, h);
  Dib dib;
  dib.info = infoHeader(int32_t(w), int32_t(h), 8, 0, 0, 5);
  appendPalette(dib.info, std::vector<Rgb>(kRegionColours.begin(), kRegionColours.end()));
  dib.bits = packIndices(pic, 8, false);
  for (const auto& c : cases) {
    TempDir dir;
    std::string file = dir.file("x.pdf");
    pdf::TPxPDFDevice d;
    d.setFileName(file);
    d.setCompression(c.compression);
    d.setEncoding(c.encoding);
    d.setPermission(c.permission);
    d.setKeyLengthMode(c.key_mode);
    d.setPasswords("owner", "");
    ASSERT_TRUE(d.beginDocument(200, 200, 72, 0)) << c.name;
    d.startPage(200, 200, 72, 72, 0);
    int32_t n = addImageXObject(d, [&](const ImageStreamOptions& o) {
      DibImageRequest req;
      req.stream = o;
      return makeDibImage(dib.info, dib.bits, req).stream;
    });
    EXPECT_EQ(n, 1) << c.name;
    PlacementFrame frame;
    frame.y_origin = 200;
    d.pageContent().append(placementOperators(n, 20, 20, 160, 160, frame));
    d.endDocument();
    std::string report;
    ASSERT_TRUE(qpdfCheck(file, &report)) << c.name << report;
    Raster r = renderPage(file, 1, 72);
    ASSERT_EQ(r.width, 200) << c.name;
    for (int region = 0; region < 5; ++region) {
      auto [px, py] = probePixel(region, w, h);
      auto [rx, ry] = rasterAt(px, py, w, h);
      EXPECT_TRUE(near(r.at(rx, ry), kRegionColours[size_t(region)], 8))
          << c.name << " region " << region << ": " << describe(r.at(rx, ry));
    }
    EXPECT_NE(listFirstImage(file).color.find("index"), std::string::npos) << c.name;
  }
}
