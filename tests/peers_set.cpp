#include "peers_set.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "testkit/testkit.h"

namespace pyra::peers {
namespace {

int32_t le32(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                              uint32_t(p[3]) << 24);
}

void put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put16(std::string& s, uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}

std::string base64(const std::string& in) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    uint32_t v = uint32_t(uint8_t(in[i])) << 16 | uint32_t(uint8_t(in[i + 1])) << 8 |
                 uint8_t(in[i + 2]);
    for (int k = 3; k >= 0; --k) out.push_back(kAlphabet[(v >> (6 * k)) & 63]);
  }
  if (i < in.size()) {
    uint32_t v = uint32_t(uint8_t(in[i])) << 16;
    if (i + 1 < in.size()) v |= uint32_t(uint8_t(in[i + 1])) << 8;
    out.push_back(kAlphabet[(v >> 18) & 63]);
    out.push_back(kAlphabet[(v >> 12) & 63]);
    out.push_back(i + 1 < in.size() ? kAlphabet[(v >> 6) & 63] : '=');
    out.push_back('=');
  }
  return out;
}

// 4 x 4 pixels, 24 bits: red | green over blue | black.
std::string quadrantBmp() {
  std::string pixels;
  for (int row = 0; row < 4; ++row) {  // stored bottom-up
    for (int col = 0; col < 4; ++col) {
      bool top = row >= 2, left = col < 2;
      uint8_t r = top && left ? 255 : 0, g = top && !left ? 200 : 0, b = !top && left ? 255 : 0;
      pixels += static_cast<char>(b);
      pixels += static_cast<char>(g);
      pixels += static_cast<char>(r);
    }
  }
  std::string bmp = "BM";
  put32(bmp, 54 + static_cast<uint32_t>(pixels.size()));
  put32(bmp, 0);
  put32(bmp, 54);
  put32(bmp, 40);
  put32(bmp, 4);
  put32(bmp, 4);
  put16(bmp, 1);
  put16(bmp, 24);
  put32(bmp, 0);
  put32(bmp, static_cast<uint32_t>(pixels.size()));
  put32(bmp, 2835);
  put32(bmp, 2835);
  put32(bmp, 0);
  put32(bmp, 0);
  return bmp + pixels;
}

Image readPpm(const std::string& path) {
  Image img;
  std::vector<uint8_t> data = testkit::readFile(path);
  size_t pos = 0;
  std::vector<std::string> fields;
  while (fields.size() < 4 && pos < data.size()) {
    while (pos < data.size() && std::isspace(data[pos])) ++pos;
    if (pos < data.size() && data[pos] == '#') {
      while (pos < data.size() && data[pos] != '\n') ++pos;
      continue;
    }
    size_t start = pos;
    while (pos < data.size() && !std::isspace(data[pos])) ++pos;
    fields.emplace_back(data.begin() + start, data.begin() + pos);
  }
  ++pos;
  if (fields.size() != 4 || fields[0] != "P6" || fields[3] != "255") return img;
  int w = std::stoi(fields[1]), h = std::stoi(fields[2]);
  if (w <= 0 || h <= 0 || data.size() < pos + size_t(w) * h * 3) return img;
  img.width = w;
  img.height = h;
  img.rgb.assign(data.begin() + pos, data.begin() + pos + size_t(w) * h * 3);
  return img;
}

}  // namespace

bool readEmfHeader(const std::string& path, EmfHeader* out) {
  std::vector<uint8_t> d = testkit::readFile(path);
  if (d.size() < 88 || le32(d.data()) != 1 || std::memcmp(d.data() + 40, " EMF", 4) != 0)
    return false;
  for (int i = 0; i < 4; ++i) {
    out->bounds[i] = le32(d.data() + 8 + 4 * i);
    out->frame[i] = le32(d.data() + 24 + 4 * i);
  }
  for (int i = 0; i < 2; ++i) {
    out->device_px[i] = le32(d.data() + 72 + 4 * i);
    out->device_mm[i] = le32(d.data() + 80 + 4 * i);
  }
  return true;
}

std::string peerEnv(const std::string& home) {
  return "HOME=" + testkit::shellQuote(home) + " SAL_USE_VCLPLUGIN=svp ";
}

bool haveTool(const std::string& name) {
  return testkit::run("command -v " + name + " >/dev/null 2>&1").status == 0;
}

std::string writeLibEmfPages(const std::string& dir) {
#ifdef PYRA_LIBEMF_PAGES
  auto r = testkit::run(testkit::shellQuote(PYRA_LIBEMF_PAGES) + " " + testkit::shellQuote(dir));
  if (r.status != 0) return "libemf_pages failed: " + r.out;
  return "";
#else
  (void)dir;
  return "libEMF is not installed (libemf-dev)";
#endif
}

std::string drawingSvg() {
  // 800 x 600 units on a 200 x 150 mm page; the white ground makes the
  // exported frame the whole page.
  std::ostringstream svg;
  svg << R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" )"
      << R"(width="200mm" height="150mm" viewBox="0 0 800 600">)" "\n"
      << R"(<defs><clipPath id="c"><rect x="460" y="330" width="150" height="100"/></clipPath></defs>)" "\n"
      << R"(<rect x="0" y="0" width="800" height="600" fill="#ffffff"/>)" "\n"
      << R"(<rect x="40" y="40" width="200" height="150" fill="#ff0000"/>)" "\n"
      << R"(<ellipse cx="420" cy="115" rx="100" ry="75" fill="#00b000" stroke="#000000" stroke-width="4"/>)" "\n"
      << R"(<polygon points="560,190 660,40 760,190" fill="#0000ff"/>)" "\n"
      << R"(<line x1="40" y1="240" x2="760" y2="240" stroke="#000000" stroke-width="16"/>)" "\n"
      << R"(<image x="40" y="300" width="320" height="240" preserveAspectRatio="none" xlink:href="data:image/bmp;base64,)"
      << base64(quadrantBmp()) << R"("/>)" "\n"
      << R"x(<circle cx="560" cy="380" r="110" fill="#ff8000" clip-path="url(#c)"/>)x" "\n"
      << R"(<text x="420" y="500" font-family="Liberation Sans" font-size="40" fill="#000000">Peerless</text>)" "\n"
      << R"(<text x="420" y="560" font-family="Liberation Serif" font-size="36" fill="#c00000">Crimson words</text>)" "\n"
      << "</svg>\n";
  return svg.str();
}

std::string richSvg() {
  return R"x(<svg xmlns="http://www.w3.org/2000/svg" width="200mm" height="150mm" viewBox="0 0 800 600">
<defs><linearGradient id="g" x1="0" y1="0" x2="1" y2="0"><stop offset="0" stop-color="#0000ff"/><stop offset="1" stop-color="#ffff00"/></linearGradient></defs>
<rect x="0" y="0" width="800" height="600" fill="#ffffff"/>
<rect x="40" y="40" width="300" height="120" fill="url(#g)"/>
<rect x="400" y="40" width="200" height="120" fill="#ff0000"/>
<rect x="480" y="80" width="200" height="120" fill="#0000ff" fill-opacity="0.5"/>
<line x1="40" y1="250" x2="760" y2="250" stroke="#008000" stroke-width="10" stroke-dasharray="40,20"/>
<path d="M 40 320 C 200 250 300 450 500 320" fill="none" stroke="#800080" stroke-width="8"/>
<text x="600" y="550" font-family="Liberation Sans" font-size="40" transform="rotate(-30 600 550)" fill="#000000">Tilted</text>
<rect x="60" y="400" width="200" height="150" rx="30" ry="30" fill="#ffa500" stroke="#000" stroke-width="6" stroke-dasharray="12,6"/>
<text x="300" y="480" font-family="Liberation Mono" font-size="32" fill="#004080">Mono text</text>
</svg>
)x";
}

namespace {

// Writes each drawing as dir/<prefix><name>.svg, converts them all in one
// run of the peer, and checks that every EMF appeared.
std::string convertDrawings(const std::string& dir, const std::string& prefix,
                            const std::string& command, const std::string& home) {
  std::string inputs;
  std::vector<std::string> stems;
  for (auto [name, svg] : {std::pair{"draw", drawingSvg()}, std::pair{"rich", richSvg()}}) {
    stems.push_back(dir + "/" + prefix + name);
    testkit::writeFile(stems.back() + ".svg", svg);
    inputs += " " + testkit::shellQuote(stems.back() + ".svg");
  }
  auto r = testkit::run(peerEnv(home) + command + inputs);
  for (const std::string& stem : stems) {
    if (!std::filesystem::exists(stem + ".emf")) return "no " + stem + ".emf: " + r.out;
    std::filesystem::remove(stem + ".svg");
  }
  return "";
}

}  // namespace

std::string writeLibreOfficeDrawing(const std::string& dir, const std::string& home) {
  if (!haveTool("soffice")) return "LibreOffice (soffice) is not installed";
  return convertDrawings(dir, "lo", "soffice --headless --convert-to emf --outdir " + testkit::shellQuote(dir), home);
}

std::string writeInkscapeDrawing(const std::string& dir, const std::string& home) {
  if (!haveTool("inkscape")) return "Inkscape is not installed";
  return convertDrawings(dir, "ink", "inkscape --export-type=emf", home);
}

std::string fodgWrapper(const std::string& emf_name, double width_mm, double height_mm) {
  char w[32], h[32];
  std::snprintf(w, sizeof w, "%.2fmm", width_mm);
  std::snprintf(h, sizeof h, "%.2fmm", height_mm);
  std::ostringstream x;
  x << R"(<?xml version="1.0" encoding="UTF-8"?>)" "\n"
    << R"(<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" )"
    << R"(xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" )"
    << R"(xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0" )"
    << R"(xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" )"
    << R"(xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0" )"
    << R"(xmlns:xlink="http://www.w3.org/1999/xlink" office:version="1.2" )"
    << R"(office:mimetype="application/vnd.oasis.opendocument.graphics">)" "\n"
    // Without an office:styles element the page layout below is not used.
    << "<office:styles/>\n<office:automatic-styles>\n"
    << R"(<style:page-layout style:name="PM1"><style:page-layout-properties fo:margin-top="0mm" )"
    << R"(fo:margin-bottom="0mm" fo:margin-left="0mm" fo:margin-right="0mm" fo:page-width=")" << w
    << R"(" fo:page-height=")" << h << R"("/></style:page-layout>)" "\n"
    << R"(<style:style style:name="dp1" style:family="drawing-page"/>)" "\n"
    << R"(<style:style style:name="gr1" style:family="graphic"><style:graphic-properties draw:stroke="none" draw:fill="none"/></style:style>)" "\n"
    << "</office:automatic-styles>\n"
    << R"(<office:master-styles><style:master-page style:name="Default" style:page-layout-name="PM1" draw:style-name="dp1"/></office:master-styles>)" "\n"
    << R"(<office:body><office:drawing><draw:page draw:name="page1" draw:master-page-name="Default">)" "\n"
    << R"(<draw:frame draw:style-name="gr1" svg:x="0mm" svg:y="0mm" svg:width=")" << w
    << R"(" svg:height=")" << h << R"("><draw:image xlink:href=")" << emf_name
    << R"(" xlink:type="simple" xlink:show="embed" xlink:actuate="onLoad"/></draw:frame>)" "\n"
    << "</draw:page></office:drawing></office:body></office:document>\n";
  return x.str();
}

Image rasterise(const std::string& pdf, int width, int height) {
  if (!std::filesystem::exists(pdf)) return {};
  std::string stem = pdf + ".raster";
  auto r = testkit::run("pdftoppm -f 1 -l 1 -singlefile -scale-to-x " + std::to_string(width) +
                        " -scale-to-y " + std::to_string(height) + " " + testkit::shellQuote(pdf) +
                        " " + testkit::shellQuote(stem));
  if (r.status != 0) return {};
  Image img = readPpm(stem + ".ppm");
  std::filesystem::remove(stem + ".ppm");
  if (img.width != width || img.height != height) return {};
  return img;
}

Image shifted(const Image& image, int dx, int dy) {
  Image out = image;
  std::fill(out.rgb.begin(), out.rgb.end(), uint8_t(255));
  for (int y = 0; y < image.height; ++y) {
    int ty = y + dy;
    if (ty < 0 || ty >= image.height) continue;
    for (int x = 0; x < image.width; ++x) {
      int tx = x + dx;
      if (tx < 0 || tx >= image.width) continue;
      std::memcpy(&out.rgb[(size_t(ty) * image.width + tx) * 3],
                  &image.rgb[(size_t(y) * image.width + x) * 3], 3);
    }
  }
  return out;
}

void writePng(const std::string& path, const Image& image) {
  std::string raw;
  raw.reserve(size_t(image.height) * (image.width * 3 + 1));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back('\0');
    raw.append(reinterpret_cast<const char*>(&image.rgb[size_t(y) * image.width * 3]),
               size_t(image.width) * 3);
  }
  uLongf packed_size = compressBound(raw.size());
  std::string packed(packed_size, '\0');
  compress2(reinterpret_cast<Bytef*>(packed.data()), &packed_size,
            reinterpret_cast<const Bytef*>(raw.data()), raw.size(), 6);
  packed.resize(packed_size);
  auto be32 = [](std::string& s, uint32_t v) {
    for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  std::string png = "\x89PNG\r\n\x1a\n";
  auto chunk = [&](const char* kind, const std::string& body) {
    be32(png, static_cast<uint32_t>(body.size()));
    std::string typed = std::string(kind, 4) + body;
    png += typed;
    be32(png, static_cast<uint32_t>(
                  crc32(0, reinterpret_cast<const Bytef*>(typed.data()), typed.size())));
  };
  std::string ihdr;
  be32(ihdr, static_cast<uint32_t>(image.width));
  be32(ihdr, static_cast<uint32_t>(image.height));
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);
  chunk("IHDR", ihdr);
  chunk("IDAT", packed);
  chunk("IEND", "");
  testkit::writeFile(path, png);
}

Image montage(const std::vector<Image>& panels) {
  const int gap = 8;
  int w = gap, h = 0;
  for (const Image& p : panels) {
    w += p.width + gap;
    h = std::max(h, p.height);
  }
  Image out;
  out.width = w;
  out.height = h + 2 * gap;
  out.rgb.assign(size_t(out.width) * out.height * 3, 0x60);
  int x0 = gap;
  for (const Image& p : panels) {
    for (int y = 0; y < p.height; ++y)
      std::memcpy(&out.rgb[(size_t(y + gap) * out.width + x0) * 3], &p.rgb[size_t(y) * p.width * 3],
                  size_t(p.width) * 3);
    x0 += p.width + gap;
  }
  return out;
}

}  // namespace pyra::peers
