// Page thumbnails: a white sketch of each page with boxes where text (in
// its colour) and images (light grey) are. Read back through qpdf, which
// decodes the /Thumb stream on its own, and checked against where poppler
// paints the same page.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "pyra/pyractl.h"
#include "testkit/testkit.h"

using namespace pyra::testkit;
using Rgb = Raster::Rgb;

namespace {

struct Thumb {
  int width = 0, height = 0, bits = 0;
  std::string colour_space;
  std::vector<uint8_t> data;
  Rgb at(int x, int y) const {
    if (bits == 1) {
      const size_t row = (size_t(width) + 7) / 8;
      const bool white = (data[size_t(y) * row + size_t(x) / 8] >> (7 - x % 8)) & 1;
      const int v = white ? 255 : 0;
      return {v, v, v};
    }
    const size_t i = (size_t(y) * width + x) * 3;
    return {data[i], data[i + 1], data[i + 2]};
  }
  bool white(int x, int y) const {
    Rgb c = at(x, y);
    return c.r == 255 && c.g == 255 && c.b == 255;
  }
};

// The thumbnail of page `page` (1-based) as qpdf decodes it, or nothing.
std::optional<Thumb> readThumb(const std::string& pdf, int page, const std::string& password = "") {
  const std::string pw = password.empty() ? "" : " --password=" + shellQuote(password);
  CommandResult pages = run("qpdf" + pw + " --show-pages " + shellQuote(pdf));
  std::smatch m;
  std::regex page_line("page " + std::to_string(page) + ": (\\d+) 0 R");
  if (!std::regex_search(pages.out, m, page_line)) return std::nullopt;
  CommandResult dict = run("qpdf" + pw + " --show-object=" + m[1].str() + " " + shellQuote(pdf));
  if (!std::regex_search(dict.out, m, std::regex(R"(/Thumb (\d+) 0 R)"))) return std::nullopt;
  const std::string object = m[1].str();
  CommandResult image = run("qpdf" + pw + " --show-object=" + object + " " + shellQuote(pdf));
  Thumb t;
  auto entry = [&](const char* key) {
    std::smatch e;
    return std::regex_search(image.out, e, std::regex(std::string("/") + key + R"( /?(\w+))")) ? e[1].str() : "";
  };
  t.width = std::stoi(entry("Width"));
  t.height = std::stoi(entry("Height"));
  t.bits = std::stoi(entry("BitsPerComponent"));
  t.colour_space = entry("ColorSpace");
  CommandResult raw =
      run("qpdf" + pw + " --show-object=" + object + " --filtered-stream-data " + shellQuote(pdf));
  t.data.assign(raw.out.begin(), raw.out.end());
  const size_t expected =
      t.bits == 1 ? (size_t(t.width) + 7) / 8 * t.height : size_t(t.width) * t.height * 3;
  EXPECT_EQ(t.data.size(), expected) << "decoded thumbnail size";
  if (t.data.size() != expected) return std::nullopt;
  return t;
}

// Bounding box of pixels a predicate accepts; empty when none.
struct Box {
  double x0 = 1e9, y0 = 1e9, x1 = -1, y1 = -1;
  bool empty() const { return x1 < 0; }
  void add(double x, double y) {
    x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x + 1), y1 = std::max(y1, y + 1);
  }
};

struct Doc {
  TempDir dir;
  std::string file = dir.file("t.pdf");
  int32_t env = 0;
  explicit Doc(int32_t thumbnails, const char* password = nullptr) {
    PyraOptions o{};
    o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
    o.THUMBNAILS = thumbnails;
    o.PDFXRES = o.PDFYRES = 72;
    o.PDFWIDTH = 576;
    o.PDFHEIGHT = 800;
    if (password) {
      o.PERMISSION = 1 | 2 | 8;
      std::strncpy(o.USERPASSWORD, password, sizeof o.USERPASSWORD - 1);
      std::strncpy(o.OWNERPASSWORD, "owner", sizeof o.OWNERPASSWORD - 1);
    }
    env = PYRA_InitializeEx(&o);
  }
  ~Doc() { PYRA_Finalize(env); }
  std::string bitmap(uint8_t r, uint8_t g, uint8_t b) {
    const std::string p = dir.file("b" + std::to_string(r) + ".bmp");
    auto bytes = solidBmpFile(4, 4, r, g, b);
    writeFile(p, bytes.data(), bytes.size());
    return p;
  }
  void begin() { ASSERT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1); }
  // Red text at the top left and a green image lower right, all in points.
  void drawPage(const std::string& image) {
    PYRA_SetTextAttrEx(env, "Arial", 40, 0, 0, 0, 0, 0x0000FF);
    PYRA_TextOut(env, 100, 100, "Hello");
    EXPECT_GE(PYRA_DrawBitmapFile(env, 300, 500, 200, 200, image.c_str()), 1);
  }
  // One page as drawPage draws it, and the end of the document.
  void writeOnePage(const std::string& password = "") {
    begin();
    const std::string green = bitmap(0, 200, 0);
    PYRA_StartPage(env);
    drawPage(green);
    PYRA_EndPage(env);
    end(password);
  }
  void end(const std::string& password = "") {
    PYRA_EndDoc(env);
    std::string report;
    EXPECT_TRUE(qpdfCheck(file, &report, password.empty() ? "" : "--password=" + password)) << report;
  }
};

}  // namespace

TEST(Thumbnails, SketchTextInItsColourAndImagesInGrey) {
  Doc d(1);
  d.writeOnePage();

  auto t = readThumb(d.file, 1);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->width, 66);
  EXPECT_EQ(t->height, 92) << "66 x 800 / 576, rounded";
  EXPECT_EQ(t->bits, 8);
  EXPECT_EQ(t->colour_space, "DeviceRGB");
  // 66 / 576 pixels a point: the text starts near (11, 11), the image
  // covers (34..57, 57..80).
  Rgb text = t->at(15, 14);
  EXPECT_TRUE(text.r == 255 && text.g == 0 && text.b == 0) << text.r << "," << text.g << "," << text.b;
  Rgb image = t->at(45, 68);
  EXPECT_TRUE(image.r == 192 && image.g == 192 && image.b == 192) << image.r;
  for (auto [x, y] : {std::pair{2, 2}, {60, 88}, {45, 40}, {20, 68}})
    EXPECT_TRUE(t->white(x, y)) << "paper at " << x << "," << y;
  // The page itself still shows the image in its own colour.
  Raster page = renderPage(d.file, 1, 72);
  Rgb p = page.at(400, 600);
  EXPECT_TRUE(p.g > 150 && p.r < 60) << p.r << "," << p.g;
}

// Where the sketch puts an image must match where a viewer shows it, for
// every page rotation: poppler renders the rotated page, the thumbnail is
// compared with it at the thumbnail's scale.
// Rotations other than quarter turns are written as the nearest one (1 is
// the callers' landscape code), since readers take nothing else.
TEST(Thumbnails, FollowThePageRotation) {
  const struct {
    int32_t given, shown;
  } cases[] = {{0, 0}, {90, 90}, {180, 180}, {270, 270}, {1, 90}, {-90, 270}, {450, 90}};
  for (auto [given, rotation] : cases) {
    SCOPED_TRACE("rotation " + std::to_string(given));
    Doc d(1);
    d.begin();
    const std::string black = d.bitmap(0, 0, 0);
    PYRA_StartPageEx(d.env, 576, 800, given);
    // Off-centre in both axes, so a wrong turn or mirror shows.
    EXPECT_GE(PYRA_DrawBitmapFile(d.env, 60, 120, 150, 100, black.c_str()), 1);
    PYRA_EndPage(d.env);
    d.end();

    EXPECT_NE(pdfInfo(d.file).find("Page rot:        " + std::to_string(rotation) + "\n"), std::string::npos);
    auto t = readThumb(d.file, 1);
    ASSERT_TRUE(t);
    const bool turned = rotation == 90 || rotation == 270;
    EXPECT_EQ(t->width, turned ? 92 : 66);
    EXPECT_EQ(t->height, turned ? 66 : 92);
    Raster page = renderPage(d.file, 1, 36);
    Box ink, grey;
    for (int y = 0; y < page.height; ++y)
      for (int x = 0; x < page.width; ++x)
        if (page.isDark(x, y)) ink.add(x, y);
    for (int y = 0; y < t->height; ++y)
      for (int x = 0; x < t->width; ++x)
        if (!t->white(x, y)) grey.add(x, y);
    ASSERT_FALSE(ink.empty());
    ASSERT_FALSE(grey.empty());
    const double sx = double(t->width) / page.width, sy = double(t->height) / page.height;
    EXPECT_NEAR(grey.x0, ink.x0 * sx, 1.5);
    EXPECT_NEAR(grey.x1, ink.x1 * sx, 1.5);
    EXPECT_NEAR(grey.y0, ink.y0 * sy, 1.5);
    EXPECT_NEAR(grey.y1, ink.y1 * sy, 1.5);
  }
}

TEST(Thumbnails, MonochromeIsOneBitGreyWithInkBlack) {
  Doc d(2);
  d.writeOnePage();
  auto t = readThumb(d.file, 1);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->bits, 1);
  EXPECT_EQ(t->colour_space, "DeviceGray");
  EXPECT_FALSE(t->white(15, 14)) << "text";
  EXPECT_FALSE(t->white(45, 68)) << "image";
  EXPECT_TRUE(t->white(2, 2));
  EXPECT_TRUE(t->white(65, 91)) << "last pixel of a row padded to whole bytes";
}

// The thumbnail property takes effect from the next page; turning it off
// leaves later pages without one.
TEST(Thumbnails, PropertyChangesApplyFromTheNextPage) {
  Doc d(0);
  d.begin();
  const std::string green = d.bitmap(0, 200, 0);
  struct Step {
    int32_t property_value;  // -1: leave as is
    std::optional<int> bits;
  };
  const Step steps[] = {{-1, std::nullopt}, {1, 8}, {2, 1}, {0, std::nullopt}};
  for (const Step& s : steps) {
    if (s.property_value >= 0) {
      EXPECT_EQ(PYRA_SetIProp(d.env, 12, s.property_value), 1);
    }
    PYRA_StartPage(d.env);
    d.drawPage(green);
    PYRA_EndPage(d.env);
  }
  d.end();
  for (size_t i = 0; i < std::size(steps); ++i) {
    auto t = readThumb(d.file, int(i) + 1);
    EXPECT_EQ(t.has_value(), steps[i].bits.has_value()) << "page " << i + 1;
    if (t && steps[i].bits) {
      EXPECT_EQ(t->bits, *steps[i].bits) << "page " << i + 1;
    }
  }
}

TEST(Thumbnails, EncryptedDocumentsKeepThemReadable) {
  Doc d(1, "user");
  d.writeOnePage("user");
  auto t = readThumb(d.file, 1, "user");
  ASSERT_TRUE(t);
  Rgb image = t->at(45, 68);
  EXPECT_EQ(image.r, 192) << "decrypted and decoded";
}

// A page hundreds of times taller than wide must not ask for a bitmap of
// that shape; the page still ends and the document stays valid.
TEST(Thumbnails, ExtremePageShapesStayBounded) {
  Doc d(1);
  d.begin();
  PYRA_StartPageEx(d.env, 1, 14400, 0);
  PYRA_TextOut(d.env, 0, 0, "x");
  PYRA_EndPage(d.env);
  d.end();
  auto t = readThumb(d.file, 1);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->width, 66);
  EXPECT_LE(t->height, 66 * 4);
}
