#include "testkit/testkit.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace pyra::testkit {

TempDir::TempDir() {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (int i = 0; i < 100; ++i) {
    auto p = base / ("pyra-test-" + std::to_string(getpid()) + "-" + std::to_string(rd()));
    std::error_code ec;
    if (std::filesystem::create_directory(p, ec)) {
      path_ = p;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string shellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

CommandResult run(const std::string& command_line) {
  CommandResult r;
  FILE* p = popen((command_line + " 2>&1").c_str(), "r");
  if (!p) return r;
  std::array<char, 4096> buf;
  size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

std::string readText(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void writeFile(const std::string& path, const void* data, size_t size) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void writeFile(const std::string& path, const std::string& text) {
  writeFile(path, text.data(), text.size());
}

bool qpdfCheck(const std::string& pdf, std::string* report, const std::string& extra) {
  auto r = run("qpdf --check " + extra + " " + shellQuote(pdf));
  if (report) *report = r.out;
  // qpdf exits 0 when clean, 3 when it only warns: warnings count as failure
  // here, since another reader may not be as forgiving.
  return r.status == 0 && r.out.find("No syntax or stream encoding errors") != std::string::npos;
}

std::string pdfText(const std::string& pdf, const std::string& extra) {
  return run("pdftotext -layout " + extra + " " + shellQuote(pdf) + " -").out;
}

std::string pdfInfo(const std::string& pdf, const std::string& extra) {
  return run("pdfinfo " + extra + " " + shellQuote(pdf)).out;
}

Raster::Rgb Raster::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
  size_t i = (size_t(y) * size_t(width) + size_t(x)) * 3;
  return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool Raster::isDark(int x, int y) const {
  auto c = at(x, y);
  return c.r >= 0 && c.r < 96 && c.g < 96 && c.b < 96;
}

bool Raster::isWhite(int x, int y) const {
  auto c = at(x, y);
  return c.r > 224 && c.g > 224 && c.b > 224;
}

static bool readToken(std::istream& in, std::string& tok) {
  tok.clear();
  int c;
  while ((c = in.get()) != EOF) {
    if (c == '#') {
      while ((c = in.get()) != EOF && c != '\n') {}
      continue;
    }
    if (isspace(c)) {
      if (!tok.empty()) return true;
      continue;
    }
    tok += char(c);
  }
  return !tok.empty();
}

Raster renderPage(const std::string& pdf, int page, int dpi) {
  Raster r;
  TempDir dir;
  std::string base = dir.file("page");
  auto res = run("pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
                 std::to_string(page) + " -singlefile -aaVector no " + shellQuote(pdf) + " " +
                 shellQuote(base));
  if (res.status != 0) return r;
  std::ifstream f(base + ".ppm", std::ios::binary);
  std::string magic, w, h, maxv;
  if (!readToken(f, magic) || magic != "P6" || !readToken(f, w) || !readToken(f, h) ||
      !readToken(f, maxv))
    return r;
  r.width = std::stoi(w);
  r.height = std::stoi(h);
  r.rgb.resize(size_t(r.width) * size_t(r.height) * 3);
  f.read(reinterpret_cast<char*>(r.rgb.data()), std::streamsize(r.rgb.size()));
  if (!f) return Raster{};
  return r;
}

std::vector<uint8_t> solidBmpFile(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  auto put16 = [](std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
  };
  auto put32 = [&](std::vector<uint8_t>& v, uint32_t x) {
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
  };
  const uint32_t stride = (uint32_t(w) * 3 + 3) & ~3u, image = stride * uint32_t(h);
  std::vector<uint8_t> v{'B', 'M'};
  put32(v, 54 + image);
  put32(v, 0);
  put32(v, 54);
  put32(v, 40);
  put32(v, uint32_t(w));
  put32(v, uint32_t(h));
  put16(v, 1);
  put16(v, 24);
  for (int i = 0; i < 6; ++i) put32(v, i == 1 ? image : 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) v.insert(v.end(), {b, g, r});
    v.resize(v.size() + (stride - uint32_t(w) * 3), 0);
  }
  return v;
}

}  // namespace pyra::testkit
