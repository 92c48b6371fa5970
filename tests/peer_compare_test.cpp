// The same metafiles rendered by pyra, LibreOffice and Inkscape, compared on
// a coarse grid. Where both peers agree on a cell, pyra must agree too; a
// cell on which only one peer differs is not a constraint, and each peer has
// gaps of its own that this rule absorbs:
// - LibreOffice fills hatched brushes solid, fills WINDING polygons with the
//   alternate rule, draws user-styled (PS_USERSTYLE) pens solid, and shows
//   the transparency it keeps in its own comment records.
// - Inkscape moves the picture so that the header's bounds (not the frame)
//   start at the page corner (compensated below), smooths stretched bitmaps,
//   and places some text a little lower.
// - Dash lengths of the stock pen styles differ between all three.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "peers_set.h"
#include "testkit/testkit.h"

namespace pyra::peers {
namespace {

namespace fs = std::filesystem;
using testkit::shellQuote;

// Rasterised at 2.4 pixels per millimetre (about 61 dpi): a 200 mm page is
// 480 pixels wide, 60 cells of 8 x 8. Coarse on purpose: text differs
// between renderers in anti-aliasing, hinting and substituted faces, so a
// word is a handful of edge cells, never a constraint of its own.
constexpr double kPixelsPerMm = 2.4;
constexpr const char* kScale = "2.4";
constexpr int kCell = 8;
// A pixel is ink when some channel is below 224 (testkit's "white" bound).
constexpr int kInkChannel = 224;
// A cell is paper with at most 4 of its 64 pixels inked, ink with at least
// 48: in between it is an edge, which is never a constraint, so a shape
// boundary that falls one pixel apart in two renderers does not count.
constexpr int kPaperMax = 4;
constexpr int kInkMin = 48;
// Two ink cells agree when their mean ink colours are within this per
// channel; it absorbs anti-aliased borders inside a cell and colour
// management differences but not a different fill colour.
constexpr int kColourTolerance = 48;
// pyra may differ on this share of the cells both peers agree on (plus two
// cells), for sub-cell placement differences of text and line ends.
constexpr double kAllowedShare = 0.005;

struct Cell {
  enum Kind { kPaper, kEdge, kInk } kind = kPaper;
  int r = 255, g = 255, b = 255;  // mean colour of the cell's ink pixels
};

std::vector<Cell> cells(const Image& img, int* columns, int* rows) {
  *columns = img.width / kCell;
  *rows = img.height / kCell;
  std::vector<Cell> out(size_t(*columns) * *rows);
  for (int cy = 0; cy < *rows; ++cy) {
    for (int cx = 0; cx < *columns; ++cx) {
      int ink = 0, r = 0, g = 0, b = 0;
      for (int y = cy * kCell; y < (cy + 1) * kCell; ++y) {
        for (int x = cx * kCell; x < (cx + 1) * kCell; ++x) {
          const uint8_t* p = &img.rgb[(size_t(y) * img.width + x) * 3];
          if (p[0] < kInkChannel || p[1] < kInkChannel || p[2] < kInkChannel) {
            ++ink;
            r += p[0];
            g += p[1];
            b += p[2];
          }
        }
      }
      Cell& c = out[size_t(cy) * *columns + cx];
      c.kind = ink <= kPaperMax ? Cell::kPaper : ink >= kInkMin ? Cell::kInk : Cell::kEdge;
      if (ink > 0) c = {c.kind, r / ink, g / ink, b / ink};
    }
  }
  return out;
}

bool sameColour(const Cell& a, const Cell& b) {
  return std::abs(a.r - b.r) <= kColourTolerance && std::abs(a.g - b.g) <= kColourTolerance &&
         std::abs(a.b - b.b) <= kColourTolerance;
}

std::string describe(const Cell& c) {
  std::ostringstream s;
  s << (c.kind == Cell::kPaper ? "paper" : c.kind == Cell::kInk ? "ink" : "edge");
  if (c.kind != Cell::kPaper) s << " #" << c.r << "," << c.g << "," << c.b;
  return s.str();
}

struct Verdict {
  int constrained = 0;     // cells both peers agree on
  int disagreeing = 0;     // of those, cells where pyra differs
  int peers_differ = 0;    // cells where the peers themselves differ
  std::string detail;      // the first differing cells
};

Verdict compare(const Image& pyra, const Image& lo, const Image& ink) {
  int columns = 0, rows = 0;
  std::vector<Cell> p = cells(pyra, &columns, &rows);
  std::vector<Cell> l = cells(lo, &columns, &rows);
  std::vector<Cell> k = cells(ink, &columns, &rows);
  Verdict v;
  std::ostringstream detail;
  int listed = 0;
  for (size_t i = 0; i < p.size(); ++i) {
    bool both_paper = l[i].kind == Cell::kPaper && k[i].kind == Cell::kPaper;
    bool both_ink = l[i].kind == Cell::kInk && k[i].kind == Cell::kInk && sameColour(l[i], k[i]);
    if (!both_paper && !both_ink) {
      if (l[i].kind != Cell::kEdge && k[i].kind != Cell::kEdge) ++v.peers_differ;
      continue;
    }
    ++v.constrained;
    bool wrong = both_paper ? p[i].kind == Cell::kInk
                            : p[i].kind == Cell::kPaper ||
                                  (!sameColour(p[i], l[i]) && !sameColour(p[i], k[i]));
    if (!wrong) continue;
    ++v.disagreeing;
    if (listed++ < 40) {
      detail << "  cell (" << i % columns << "," << i / columns << ") at px ("
             << (i % columns) * kCell << "," << (i / columns) * kCell << "): pyra "
             << describe(p[i]) << ", LibreOffice " << describe(l[i]) << ", Inkscape "
             << describe(k[i]) << "\n";
    }
  }
  v.detail = detail.str();
  return v;
}

// The grid rule on pictures built in code: 64 x 64 pixels of paper with
// 16 x 16 blocks painted into them.
Image canvas() {
  Image img;
  img.width = img.height = 64;
  img.rgb.assign(64 * 64 * 3, 255);
  return img;
}
Image& block(Image& img, int x0, int y0, uint8_t r, uint8_t g, uint8_t b) {
  for (int y = y0; y < y0 + 16; ++y)
    for (int x = x0; x < x0 + 16; ++x) {
      uint8_t* p = &img.rgb[(size_t(y) * img.width + x) * 3];
      p[0] = r, p[1] = g, p[2] = b;
    }
  return img;
}

TEST(PeerGrid, CountsOnlyCellsBothPeersAgreeOn) {
  struct Case {
    const char* name;
    Image pyra, lo, ink;
    int disagreeing;
  };
  auto red = [](int x, int y) { Image i = canvas(); return block(i, x, y, 255, 0, 0); };
  Image blue = canvas();
  block(blue, 16, 16, 0, 0, 255);
  std::vector<Case> cases = {
      {"all three alike", red(16, 16), red(16, 16), red(16, 16), 0},
      {"pyra misses the block", canvas(), red(16, 16), red(16, 16), 4},
      {"pyra adds a block", red(40, 40), canvas(), canvas(), 4},
      {"pyra's block has another colour", blue, red(16, 16), red(16, 16), 4},
      {"only one peer draws the block", canvas(), red(16, 16), canvas(), 0},
      {"pyra one pixel off", red(17, 17), red(16, 16), red(16, 16), 0},
      {"peers half a cell apart: only the overlap counts", canvas(), red(16, 16), red(20, 16), 2},
  };
  for (const Case& c : cases) {
    Verdict v = compare(c.pyra, c.lo, c.ink);
    EXPECT_EQ(v.disagreeing, c.disagreeing) << c.name << "\n" << v.detail;
  }
}

struct Page {
  std::string name;   // file stem
  std::string emf;    // path
  EmfHeader header;
  int width = 0, height = 0;  // raster size
};

class PeerCompare : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!haveTool("soffice")) GTEST_SKIP() << "LibreOffice (soffice) is not installed: no peer to compare with";
    if (!haveTool("inkscape")) GTEST_SKIP() << "Inkscape is not installed: no second peer to compare with";
    char templ[] = "/tmp/pyra-peers-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_ = templ;
    home_ = dir_ + "/home";
    fs::create_directories(home_);
  }
  void TearDown() override {
    if (dir_.empty()) return;
    if (HasFailure())
      std::cout << "peer renderings kept in " << dir_ << "\n";
    else
      fs::remove_all(dir_);
  }

  std::string dir_, home_;
};

TEST_F(PeerCompare, PyraAgreesWhereLibreOfficeAndInkscapeAgree) {
  std::string src = dir_ + "/src";
  fs::create_directories(src);
  std::string why = writeLibEmfPages(src);
  if (!why.empty()) GTEST_SKIP() << why;
  ASSERT_EQ(writeLibreOfficeDrawing(src, home_), "");
  ASSERT_EQ(writeInkscapeDrawing(src, home_), "");
#ifdef PYRA_MAKE_SAMPLES
  ASSERT_EQ(testkit::run(shellQuote(PYRA_MAKE_SAMPLES) + " " + shellQuote(src)).status, 0);
#endif

  std::vector<Page> pages;
  for (const auto& entry : fs::directory_iterator(src)) {
    if (entry.path().extension() != ".emf") continue;
    // Both peers miss pixels set one by one (LibreOffice paints a hairline
    // dot, Inkscape ignores the record): no constraint to be had there.
    if (entry.path().stem() == "pixels") continue;
    Page page;
    page.name = entry.path().stem().string();
    page.emf = dir_ + "/" + page.name + ".emf";
    fs::copy_file(entry.path(), page.emf);
    ASSERT_TRUE(readEmfHeader(page.emf, &page.header)) << page.name;
    page.width = int(page.header.frameWidthMm() * kPixelsPerMm + 0.5);
    page.height = int(page.header.frameHeightMm() * kPixelsPerMm + 0.5);
    pages.push_back(page);
  }
  std::sort(pages.begin(), pages.end(), [](const Page& a, const Page& b) { return a.name < b.name; });
  ASSERT_GE(pages.size(), 3u);

  // Peers are slow to start: one LibreOffice run and one Inkscape run for
  // the whole set.
  std::string lo_inputs, ink_inputs;
  fs::create_directories(dir_ + "/lo");
  fs::create_directories(dir_ + "/ink");
  for (const Page& page : pages) {
    // Both peers always apply a metafile's clipping; pyra does on request.
    auto r = testkit::run(shellQuote(PYRA_CLI) + " -q --clipping " + shellQuote(page.emf) + " -o " +
                          shellQuote(dir_ + "/" + page.name + ".pyra.pdf"));
    ASSERT_EQ(r.status, 0) << page.name << ": " << r.out;
    std::string fodg = dir_ + "/" + page.name + ".fodg";
    testkit::writeFile(fodg, fodgWrapper(page.name + ".emf", page.header.frameWidthMm(),
                                         page.header.frameHeightMm()));
    lo_inputs += " " + shellQuote(fodg);
    fs::copy_file(page.emf, dir_ + "/ink/" + page.name + ".emf");
    ink_inputs += " " + shellQuote(dir_ + "/ink/" + page.name + ".emf");
  }
  testkit::run(peerEnv(home_) + "soffice --headless --convert-to pdf --outdir " +
               shellQuote(dir_ + "/lo") + lo_inputs);
  testkit::run(peerEnv(home_) + "inkscape --export-type=pdf" + ink_inputs);

  for (const Page& page : pages) {
    SCOPED_TRACE(page.name);
    Image py = rasterise(dir_ + "/" + page.name + ".pyra.pdf", page.width, page.height);
    Image lo = rasterise(dir_ + "/lo/" + page.name + ".pdf", page.width, page.height);
    Image ink = rasterise(dir_ + "/ink/" + page.name + ".pdf", page.width, page.height);
    ASSERT_FALSE(py.empty()) << page.name << ": pyra's PDF did not rasterise";
    ASSERT_FALSE(lo.empty()) << page.name << ": LibreOffice wrote no usable PDF";
    ASSERT_FALSE(ink.empty()) << page.name << ": Inkscape wrote no usable PDF";
    // Inkscape puts the header's bounds, not the frame, at the page corner;
    // moving its picture back lets it count where the bounds do not start
    // at the frame's origin (pages recorded by our own recorder).
    const EmfHeader& h = page.header;
    if (h.device_px[0] > 0 && h.device_px[1] > 0) {
      double bx_mm = double(h.bounds[0]) * h.device_mm[0] / h.device_px[0] - h.frame[0] / 100.0;
      double by_mm = double(h.bounds[1]) * h.device_mm[1] / h.device_px[1] - h.frame[1] / 100.0;
      ink = shifted(ink, int(bx_mm * kPixelsPerMm + 0.5), int(by_mm * kPixelsPerMm + 0.5));
    }
    Verdict v = compare(py, lo, ink);
    int allowed = 2 + int(v.constrained * kAllowedShare);
    int total = (page.width / kCell) * (page.height / kCell);
    char line[256];
    std::snprintf(line, sizeof line,
                  "%s: peers agree on %d of %d cells (%.1f%%), pyra agrees on %.2f%% of them "
                  "(%d differ, %d allowed); the peers differ on %d\n",
                  page.name.c_str(), v.constrained, total, 100.0 * v.constrained / total,
                  v.constrained ? 100.0 * (v.constrained - v.disagreeing) / v.constrained : 100.0,
                  v.disagreeing, allowed, v.peers_differ);
    std::cout << line;
    std::string stem = dir_ + "/" + page.name;
    writePng(stem + ".pyra.png", py);
    writePng(stem + ".libreoffice.png", lo);
    writePng(stem + ".inkscape.png", ink);
    writePng(stem + ".montage.png", montage({py, lo, ink}));
    EXPECT_LE(v.disagreeing, allowed)
        << page.name << ": pyra differs from both peers on " << v.disagreeing << " of "
        << v.constrained << " cells (" << kCell << "x" << kCell << " px at " << kScale
        << " px per mm; pyra | LibreOffice | Inkscape in " << stem << ".montage.png):\n"
        << v.detail;
  }
}

}  // namespace
}  // namespace pyra::peers
