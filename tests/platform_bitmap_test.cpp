// Bitmaps: DIB sections and device bitmaps, GetDIBits row layout (bottom-up,
// 4-byte aligned; 24-bit and thresholded 1-bit), BMP files good and bad.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "pyra/gdi.h"
#include "testkit/testkit.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
void put32(Bytes& b, uint32_t v) { put16(b, v & 0xFFFF); put16(b, v >> 16); }

struct BmpSpec {
  uint32_t header_size = 40;
  int32_t width = 2, height = 2;
  uint16_t planes = 1, bpp = 24;
  uint32_t compression = BI_RGB;
  uint32_t colors_used = 0;
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  std::vector<uint32_t> masks;    // written after a 40-byte header, or inside V4/V5
  Bytes pixels;
};

// A BMP file as a writer lays it out: file header, info header, masks,
// palette, pixels; bfOffBits points at the pixels.
Bytes makeBmp(const BmpSpec& s) {
  Bytes h;
  put32(h, s.header_size);
  if (s.header_size == 12) {
    put16(h, uint16_t(s.width));
    put16(h, uint16_t(s.height));
    put16(h, s.planes);
    put16(h, s.bpp);
  } else {
    put32(h, uint32_t(s.width));
    put32(h, uint32_t(s.height));
    put16(h, s.planes);
    put16(h, s.bpp);
    put32(h, s.compression);
    put32(h, uint32_t(s.pixels.size()));
    put32(h, 2835);
    put32(h, 2835);
    put32(h, s.colors_used);
    put32(h, 0);
    if (s.header_size > 40) {
      for (size_t i = 0; i < 3; ++i) put32(h, i < s.masks.size() ? s.masks[i] : 0);
      while (h.size() < s.header_size) h.push_back(0);
    }
  }
  if (s.header_size == 40)
    for (uint32_t m : s.masks) put32(h, m);
  for (uint32_t c : s.palette) {
    h.push_back(uint8_t(c));
    h.push_back(uint8_t(c >> 8));
    h.push_back(uint8_t(c >> 16));
    if (s.header_size != 12) h.push_back(0);
  }
  Bytes f = {'B', 'M'};
  put32(f, uint32_t(14 + h.size() + s.pixels.size()));
  put32(f, 0);
  put32(f, uint32_t(14 + h.size()));
  f.insert(f.end(), h.begin(), h.end());
  f.insert(f.end(), s.pixels.begin(), s.pixels.end());
  return f;
}

// The bitmap's pixels top row first as 0x00RRGGBB, read back with GetDIBits
// at 24 bits: also checks the rows come bottom-up and 4-byte aligned.
std::vector<uint32_t> pixelsOf(HBITMAP bm, int* width = nullptr, int* height = nullptr) {
  HDC dc = GetDC(0);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  EXPECT_NE(GetDIBits(dc, bm, 0, 0, nullptr, &bi, DIB_RGB_COLORS), 0);
  const int w = bi.bmiHeader.biWidth, h = bi.bmiHeader.biHeight;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  const size_t stride = (size_t(w) * 3 + 3) / 4 * 4;
  Bytes rows(stride * size_t(h), 0xCC);
  EXPECT_EQ(GetDIBits(dc, bm, 0, UINT(h), rows.data(), &bi, DIB_RGB_COLORS), h);
  ReleaseDC(0, dc);
  std::vector<uint32_t> out;
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = rows.data() + size_t(h - 1 - y) * stride;  // bottom-up
    for (int x = 0; x < w; ++x) out.push_back(uint32_t(row[3 * x + 2]) << 16 | row[3 * x + 1] << 8 | row[3 * x]);
    for (size_t pad = size_t(w) * 3; pad < stride; ++pad) EXPECT_EQ(row[pad], 0) << "row padding is zero";
  }
  if (width) *width = w;
  if (height) *height = h;
  return out;
}

constexpr uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF, K = 0x000000;

struct GoodCase {
  const char* name;
  BmpSpec spec;
  std::vector<uint32_t> expected;  // top row first
};

std::vector<GoodCase> goodCases() {
  std::vector<GoodCase> c;
  // 24-bit bottom-up: the first stored row is the bottom one.
  c.push_back({"24-bit", {40, 2, 2, 1, 24, BI_RGB, 0, {}, {}, {0, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0}}, {B, W, R, G}});
  c.push_back({"24-bit top-down", {40, 2, -2, 1, 24, BI_RGB, 0, {}, {}, {0, 0, 0xFF, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0}}, {R, G, B, W}});
  c.push_back({"8-bit palette", {40, 3, 1, 1, 8, BI_RGB, 3, {R, G, B}, {}, {2, 0, 1, 0}}, {B, R, G}});
  c.push_back({"8-bit index past a short palette", {40, 2, 1, 1, 8, BI_RGB, 2, {G, B}, {}, {1, 200, 0, 0}}, {B, G}});
  c.push_back({"4-bit", {40, 3, 1, 1, 4, BI_RGB, 0, std::vector<uint32_t>(16, K), {}, {0x0F, 0xF0, 0, 0}}, {K, K, K}});
  c.push_back({"1-bit", {40, 10, 1, 1, 1, BI_RGB, 2, {K, W}, {}, {0xA0, 0x40, 0, 0}}, {W, K, W, K, K, K, K, K, K, W}});
  c.push_back({"16-bit 555", {40, 2, 1, 1, 16, BI_RGB, 0, {}, {}, {0x00, 0x7C, 0x1F, 0x00}}, {R, B}});
  c.push_back({"16-bit 565 bit fields", {40, 2, 1, 1, 16, BI_BITFIELDS, 0, {}, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x07, 0x00, 0xF8}}, {G, R}});
  c.push_back({"32-bit", {40, 1, 1, 1, 32, BI_RGB, 0, {}, {}, {0x00, 0xFF, 0x00, 0x7F}}, {G}});
  c.push_back({"32-bit bit fields in a V5 header", {124, 1, 1, 1, 32, BI_BITFIELDS, 0, {}, {0xFF, 0xFF00, 0xFF0000}, {0xFF, 0x00, 0x00, 0x00}}, {R}});
  c.push_back({"V4 header 24-bit", {108, 1, 1, 1, 24, BI_RGB, 0, {}, {}, {0xFF, 0, 0, 0}}, {B}});
  c.push_back({"core header 8-bit", {12, 2, 1, 1, 8, BI_RGB, 0, std::vector<uint32_t>(256, W), {}, {0, 1, 0, 0}}, {W, W}});
  // RLE8: run of 3 x index 1; end of line; absolute run 2,0,1 (padded); end.
  c.push_back({"RLE8", {40, 3, 2, 1, 8, BI_RLE8, 3, {R, G, B}, {}, {3, 1, 0, 0, 0, 3, 2, 0, 1, 0, 0, 1}}, {B, R, G, G, G, G}});
  // RLE4: 3 pixels alternating 1 and 2; end of line; delta skips a row.
  c.push_back({"RLE4 with delta", {40, 3, 3, 1, 4, BI_RLE4, 3, {K, R, G}, {}, {3, 0x12, 0, 0, 0, 2, 0, 1, 2, 0x21, 0, 1}}, {G, R, K, K, K, K, R, G, R}});
  return c;
}

TEST(PlatformBitmaps, BmpFilesLoadInEveryFormat) {
  for (const auto& c : goodCases()) {
    Bytes file = makeBmp(c.spec);
    HBITMAP bm = pyraLoadBitmapMemory(file.data(), file.size());
    ASSERT_NE(bm, 0u) << c.name;
    int w = 0, h = 0;
    auto px = pixelsOf(bm, &w, &h);
    EXPECT_EQ(w, c.spec.width) << c.name;
    EXPECT_EQ(h, std::abs(c.spec.height)) << c.name;
    EXPECT_EQ(px, c.expected) << c.name;
    DIBSECTION ds{};
    EXPECT_EQ(GetObjectA(bm, sizeof ds, &ds), int(sizeof ds)) << c.name << ": a loaded file is a DIB section";
    EXPECT_GE(sizeof ds, 64u);
    EXPECT_EQ(ds.dsBmih.biWidth, c.spec.width) << c.name;
    EXPECT_NE(ds.dsBm.bmBits, nullptr) << c.name;
    EXPECT_TRUE(DeleteObject(bm)) << c.name;
  }
}

TEST(PlatformBitmaps, BmpFromFileAndLoadImage) {
  pyra::testkit::TempDir tmp;
  Bytes file = makeBmp(goodCases()[0].spec);
  pyra::testkit::writeFile(tmp.file("a.bmp"), file.data(), file.size());
  HBITMAP bm = pyraLoadBitmapFileA(tmp.file("a.bmp").c_str());
  ASSERT_NE(bm, 0u);
  EXPECT_EQ(pixelsOf(bm), goodCases()[0].expected);
  DeleteObject(bm);
  HANDLE img = LoadImageA(0, tmp.file("a.bmp").c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  EXPECT_NE(img, 0u);
  DeleteObject(img);
  EXPECT_EQ(pyraLoadBitmapFileA(tmp.file("missing.bmp").c_str()), 0u);
  EXPECT_EQ(pyraLoadBitmapFileA(nullptr), 0u);
  EXPECT_EQ(LoadImageA(0, tmp.file("a.bmp").c_str(), IMAGE_BITMAP, 10, 10, LR_LOADFROMFILE), 0u);
}

TEST(PlatformBitmaps, DamagedBmpFilesAreRefused) {
  const Bytes good = makeBmp(goodCases()[0].spec);
  struct Bad {
    std::string name;
    Bytes file;
  };
  std::vector<Bad> bad;
  auto with = [](BmpSpec s, auto change) { change(s); return makeBmp(s); };
  const BmpSpec base = goodCases()[0].spec;
  const BmpSpec pal = goodCases()[2].spec;
  bad.push_back({"empty", {}});
  bad.push_back({"not BM", with(base, [](BmpSpec&) {})});
  bad.back().file[0] = 'X';
  bad.push_back({"negative width", with(base, [](BmpSpec& s) { s.width = -2; })});
  bad.push_back({"zero width", with(base, [](BmpSpec& s) { s.width = 0; })});
  bad.push_back({"zero height", with(base, [](BmpSpec& s) { s.height = 0; })});
  bad.push_back({"most negative height", with(base, [](BmpSpec& s) { s.height = INT32_MIN; })});
  bad.push_back({"two planes", with(base, [](BmpSpec& s) { s.planes = 2; })});
  bad.push_back({"7 bits per pixel", with(base, [](BmpSpec& s) { s.bpp = 7; })});
  bad.push_back({"0 bits per pixel", with(base, [](BmpSpec& s) { s.bpp = 0; })});
  bad.push_back({"unknown compression", with(base, [](BmpSpec& s) { s.compression = 9; })});
  bad.push_back({"JPEG inside", with(base, [](BmpSpec& s) { s.compression = BI_JPEG; })});
  bad.push_back({"RLE8 on 24 bits", with(base, [](BmpSpec& s) { s.compression = BI_RLE8; })});
  bad.push_back({"RLE top-down", with(goodCases()[12].spec, [](BmpSpec& s) { s.height = -s.height; })});
  bad.push_back({"bit fields on 24 bits", with(base, [](BmpSpec& s) { s.compression = BI_BITFIELDS; s.masks = {1, 2, 4}; })});
  bad.push_back({"bit fields all zero", with(goodCases()[7].spec, [](BmpSpec& s) { s.masks = {0, 0, 0}; })});
  bad.push_back({"unknown header size", with(base, [](BmpSpec& s) { s.header_size = 44; })});
  bad.push_back({"header size beyond the file", with(base, [](BmpSpec& s) { s.header_size = 124; s.pixels.clear(); })});
  bad.push_back({"width x height x bpp overflows 32 bits", with(base, [](BmpSpec& s) { s.width = 0x10000; s.height = 0x10000; s.bpp = 32; })});
  bad.push_back({"huge width", with(base, [](BmpSpec& s) { s.width = INT32_MAX; s.height = INT32_MAX; })});
  bad.push_back({"size beyond the pixels", with(base, [](BmpSpec& s) { s.width = 3000; s.height = 3000; })});
  bad.push_back({"RLE claims a giant picture", with(goodCases()[12].spec, [](BmpSpec& s) { s.width = 60000; s.height = 60000; })});
  bad.push_back({"palette claim far beyond the file", with(pal, [](BmpSpec& s) { s.colors_used = 0xFFFFFFFF; })});
  bad.push_back({"palette cut short", with(pal, [](BmpSpec& s) { s.colors_used = 256; s.pixels.clear(); })});
  // Lying offsets.
  Bytes far_offset = good;
  far_offset[10] = 0xFF; far_offset[11] = 0xFF; far_offset[12] = 0xFF; far_offset[13] = 0x7F;
  bad.push_back({"pixel offset beyond the end", far_offset});
  Bytes late_offset = good;
  late_offset[10] = uint8_t(good.size() - 1);
  bad.push_back({"pixel offset leaves too few bytes", late_offset});
  // Truncation at every byte short of the pixels (the last row's padding
  // may be missing: writers drop it).
  for (size_t n = 1; n + 2 < good.size(); ++n) bad.push_back({"truncated to " + std::to_string(n), Bytes(good.begin(), good.begin() + ptrdiff_t(n))});

  for (const auto& b : bad) {
    HBITMAP bm = pyraLoadBitmapMemory(b.file.data(), b.file.size());
    EXPECT_EQ(bm, 0u) << b.name;
    if (bm) DeleteObject(bm);
  }
  EXPECT_EQ(pyraLoadBitmapMemory(nullptr, 10), 0u);
}

TEST(PlatformBitmaps, RleRunsPastTheirRowOrPictureAreClipped) {
  // A run of 200 into a 3-pixel row, a delta far past the picture, then
  // more data: decoding stays inside the bitmap and the file still loads.
  BmpSpec s = {40, 3, 2, 1, 8, BI_RLE8, 2, {K, W}, {}, {200, 1, 0, 2, 250, 250, 5, 1, 0, 1}};
  Bytes file = makeBmp(s);
  HBITMAP bm = pyraLoadBitmapMemory(file.data(), file.size());
  ASSERT_NE(bm, 0u);
  EXPECT_EQ(pixelsOf(bm), (std::vector<uint32_t>{K, K, K, W, W, W}));
  DeleteObject(bm);
  // Absolute run that claims more bytes than remain.
  BmpSpec t = {40, 3, 1, 1, 8, BI_RLE8, 2, {K, W}, {}, {0, 200, 1, 1}};
  file = makeBmp(t);
  EXPECT_EQ(pyraLoadBitmapMemory(file.data(), file.size()), 0u);
}

TEST(PlatformBitmaps, GetDIBitsGives24BitRowsBottomUpAligned) {
  // A 3x2 top-down DIB section written through its bits pointer.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = 3;
  bi.bmiHeader.biHeight = -2;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bm = CreateDIBSection(0, &bi, DIB_RGB_COLORS, &bits, 0, 0);
  ASSERT_NE(bm, 0u);
  ASSERT_NE(bits, nullptr);
  auto* p = static_cast<uint8_t*>(bits);
  const uint8_t top[9] = {0, 0, 255, 0, 255, 0, 255, 0, 0};  // red green blue
  std::memcpy(p, top, 9);
  std::memset(p + 12, 255, 9);  // white row below, stride 12
  EXPECT_EQ(pixelsOf(bm), (std::vector<uint32_t>{R, G, B, W, W, W}));

  // Scan lines from start, counted from the bottom; a top-down request.
  HDC dc = GetDC(0);
  BITMAPINFO req{};
  req.bmiHeader.biSize = sizeof req.bmiHeader;
  req.bmiHeader.biWidth = 3;
  req.bmiHeader.biHeight = 2;
  req.bmiHeader.biPlanes = 1;
  req.bmiHeader.biBitCount = 24;
  uint8_t one[12] = {};
  EXPECT_EQ(GetDIBits(dc, bm, 1, 5, one, &req, DIB_RGB_COLORS), 1) << "only one line above start 1";
  EXPECT_EQ(std::memcmp(one, top, 9), 0) << "line 1 from the bottom is the top row";
  EXPECT_EQ(GetDIBits(dc, bm, 2, 1, one, &req, DIB_RGB_COLORS), 0) << "start past the picture";
  uint8_t both[24] = {};
  req.bmiHeader.biHeight = -2;
  EXPECT_EQ(GetDIBits(dc, bm, 0, 2, both, &req, DIB_RGB_COLORS), 2);
  EXPECT_EQ(std::memcmp(both, top, 9), 0) << "top-down request: top row first";
  req.bmiHeader.biBitCount = 24;
  req.bmiHeader.biCompression = BI_RLE8;
  EXPECT_EQ(GetDIBits(dc, bm, 0, 2, both, &req, DIB_RGB_COLORS), 0) << "compressed output not offered";
  ReleaseDC(0, dc);
  DeleteObject(bm);
}

TEST(PlatformBitmaps, GetDIBitsOneBitThresholdsToTheCallersTwoColours) {
  // 10 pixels from black to white and some colours, 32-bit device bitmap.
  const uint32_t in[10] = {K, W, 0x202020, 0xE0E0E0, R, G, B, 0x808080, 0x7F7F7F, 0xFFFF00};
  Bytes bytes;
  for (uint32_t c : in) put32(bytes, c);
  HBITMAP bm = CreateBitmap(10, 1, 1, 32, bytes.data());
  ASSERT_NE(bm, 0u);
  HDC dc = GetDC(0);
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colors[2];
  } info{};
  info.h.biSize = sizeof info.h;
  info.h.biWidth = 10;
  info.h.biHeight = 1;
  info.h.biPlanes = 1;
  info.h.biBitCount = 1;
  info.colors[0] = RGBQUAD{0, 0, 0, 0};
  info.colors[1] = RGBQUAD{255, 255, 255, 0};
  uint8_t row[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  ASSERT_EQ(GetDIBits(dc, bm, 0, 1, row, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 1);
  // 1 = nearer white: W, E0E0E0, 808080 (just), G (luma aside, nearest by distance), yellow.
  const bool white[10] = {false, true, false, true, false, false, false, true, false, true};
  for (int x = 0; x < 10; ++x)
    EXPECT_EQ(bool(row[x / 8] & (0x80 >> (x % 8))), white[x]) << "pixel " << x;
  EXPECT_EQ(row[1] & 0x3F, 0) << "bits past the width are zero";
  EXPECT_EQ(row[2], 0) << "row padded to 4 bytes with zeros";
  EXPECT_EQ(info.colors[1].rgbRed, 255) << "the caller's table is kept";

  // A 1-bit source whose table is inverted (white, black) comes out by colour.
  BmpSpec s = {40, 2, 1, 1, 1, BI_RGB, 2, {W, K}, {}, {0x40, 0, 0, 0}};
  Bytes file = makeBmp(s);
  HBITMAP inv = pyraLoadBitmapMemory(file.data(), file.size());
  ASSERT_NE(inv, 0u);
  info.h.biWidth = 2;
  ASSERT_EQ(GetDIBits(dc, inv, 0, 1, row, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS), 1);
  EXPECT_EQ(row[0] & 0xC0, 0x80) << "index 0 is white, index 1 black";
  ReleaseDC(0, dc);
  DeleteObject(inv);
  DeleteObject(bm);
}

TEST(PlatformBitmaps, ObjectDescriptionsTellSectionsFromDeviceBitmaps) {
  HBITMAP ddb = CreateBitmap(5, 3, 1, 1, nullptr);
  BITMAP bm{};
  DIBSECTION ds{};
  EXPECT_EQ(GetObjectA(ddb, 0, nullptr), int(sizeof(BITMAP)));
  EXPECT_EQ(GetObjectA(ddb, sizeof ds, &ds), int(sizeof(BITMAP))) << "below 64 bytes: a device bitmap";
  EXPECT_LT(sizeof(BITMAP), 64u);
  EXPECT_EQ(GetObjectA(ddb, sizeof bm, &bm), int(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 5);
  EXPECT_EQ(bm.bmHeight, 3);
  EXPECT_EQ(bm.bmWidthBytes, 2) << "device rows are word aligned";
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmBits, nullptr);
  EXPECT_EQ(GetObjectA(ddb, sizeof bm - 1, &bm), 0);

  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 7, -4, 1, 8, BI_RGB, 0, 0, 0, 1, 0};  // one colour: all bmiColors holds
  void* bits = nullptr;
  HBITMAP sec = CreateDIBSection(0, &bi, DIB_RGB_COLORS, &bits, 0, 0);
  ASSERT_NE(sec, 0u);
  EXPECT_EQ(GetObjectA(sec, sizeof ds, &ds), int(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, bits);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 8);
  EXPECT_EQ(ds.dsBm.bmHeight, 4);
  EXPECT_EQ(ds.dsBmih.biHeight, -4) << "the header keeps its row order";
  EXPECT_EQ(ds.dsBmih.biSizeImage, 32u);
  EXPECT_EQ(GetObjectA(sec, sizeof bm, &bm), int(sizeof bm)) << "a BITMAP when that is all that fits";

  // Compatible bitmaps: screen depth, or the memory DC's current bitmap.
  HDC screen = GetDC(0), mem = CreateCompatibleDC(screen);
  HBITMAP c1 = CreateCompatibleBitmap(screen, 4, 4);
  HBITMAP c2 = CreateCompatibleBitmap(mem, 4, 4);
  GetObjectA(c1, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  GetObjectA(c2, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 1) << "a fresh memory DC is monochrome";
  for (HBITMAP h : {ddb, sec, c1, c2}) DeleteObject(h);
  DeleteDC(mem);
  ReleaseDC(0, screen);
}

TEST(PlatformBitmaps, AbsurdSizesAreRefusedBeforeAllocating) {
  struct Case {
    const char* name;
    int32_t w, h;
    uint16_t bpp;
  } cases[] = {
      {"negative width", -5, 5, 24},     {"zero width", 0, 5, 24},
      {"zero height", 5, 0, 24},         {"most negative height", 5, INT32_MIN, 24},
      {"32-bit overflow", 65536, 65536, 32}, {"huge", INT32_MAX, INT32_MAX, 32},
      {"over the cap", 100000, 100000, 24},  {"bad depth", 4, 4, 12},
  };
  for (const auto& c : cases) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), c.w, c.h, 1, c.bpp, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(0, &bi, DIB_RGB_COLORS, &bits, 0, 0), 0u) << c.name;
    EXPECT_EQ(bits, nullptr) << c.name;
    EXPECT_EQ(CreateBitmap(c.w, c.h, 1, c.bpp, nullptr), 0u) << c.name;
  }
  EXPECT_EQ(CreateBitmap(4, 4, 0, 24, nullptr), 0u);
  EXPECT_EQ(CreateBitmap(4, 4, 0x40000000, 8, nullptr), 0u) << "planes x bits overflow";
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  EXPECT_EQ(CreateDIBSection(0, &bi, DIB_RGB_COLORS, nullptr, 5, 0), 0u) << "file sections not offered";
  EXPECT_EQ(CreateDIBSection(0, nullptr, DIB_RGB_COLORS, nullptr, 0, 0), 0u);
  bi.bmiHeader.biSize = 12;
  EXPECT_EQ(CreateDIBSection(0, &bi, DIB_RGB_COLORS, nullptr, 0, 0), 0u) << "short header";
}

}  // namespace
