#include "render_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>

#include "testkit/mini_pdf.h"

namespace pyra::rendertest {

Drawn draw(const std::function<void(render::ContentWriter&)>& body, const PageSetup& page) {
  render::ContentWriter w(page.options);
  w.beginPage(page.width, page.height, page.resolution, page.resolution);
  w.startOutput();
  body(w);
  Drawn d;
  d.content = std::string(w.endOutput());
  d.syntax_fault = syntaxFault(d.content);
  testkit::TempDir dir;
  testkit::MiniPdf pdf;
  pdf.addPage(page.width, page.height, d.content);
  const std::string path = dir.file("page.pdf");
  pdf.save(path);
  d.qpdf_ok = testkit::qpdfCheck(path, &d.qpdf_report);
  if (page.rasterize) d.raster = testkit::renderPage(path, 1, 72);
  return d;
}

namespace {

bool isNumber(const std::string& t) {
  size_t i = 0;
  if (i < t.size() && t[i] == '-') ++i;
  size_t digits = 0, dots = 0;
  for (; i < t.size(); ++i) {
    if (std::isdigit(static_cast<unsigned char>(t[i])))
      ++digits;
    else if (t[i] == '.' && dots == 0)
      ++dots;
    else
      return false;
  }
  return digits > 0;
}

}  // namespace

std::string syntaxFault(const std::string& content) {
  for (const char* bad : {"nan", "inf", "NaN", "Inf", "e+", "e-", ","})
    if (content.find(bad) != std::string::npos) return std::string("contains '") + bad + "'";
  static const std::set<std::string> construct = {"m", "l", "c", "v", "y", "re", "h"};
  static const std::set<std::string> paints = {"S", "s", "f", "f*", "F", "b", "b*", "B", "B*", "n"};
  static const std::set<std::string> clips = {"W", "W*"};
  static const std::set<std::string> state = {"w", "J", "j", "d", "M", "rg", "RG", "g", "G", "cm", "q", "Q", "gs", "i", "ri"};
  static const std::set<std::string> text = {"BT", "ET", "Tf", "Tm", "Tj", "TJ", "Tc", "Tw", "Tz", "TL", "Td", "Tr", "Ts"};
  std::string spaced;
  for (char c : content) {
    if (c == '[' || c == ']') {
      spaced += ' ';
      spaced += c;
      spaced += ' ';
    } else {
      spaced += c;
    }
  }
  std::istringstream in(spaced);
  std::string tok;
  bool in_path = false, clip_pending = false;
  int depth = 0, operands = 0, array = 0;
  while (in >> tok) {
    if (tok == "[") { ++array; continue; }
    if (tok == "]") { if (--array < 0) return "unbalanced ]"; ++operands; continue; }
    if (isNumber(tok)) { ++operands; continue; }
    if (array) return "operator inside array: " + tok;
    if (construct.count(tok)) {
      if (tok != "h" && operands == 0) return "missing operands for " + tok;
      if (tok == "h" && !in_path) return "h without a path";
      if (tok != "m" && tok != "re" && !in_path) return tok + " without current point";
      if (clip_pending) return "construction after W";
      in_path = true;
    } else if (paints.count(tok)) {
      if (!in_path) return "paint " + tok + " without a path";
      in_path = false;
      clip_pending = false;
    } else if (clips.count(tok)) {
      if (!in_path) return "clip without a path";
      clip_pending = true;
    } else if (state.count(tok)) {
      if (in_path) return "state operator " + tok + " inside a path";
      if (tok == "q") ++depth;
      if (tok == "Q" && --depth < 0) return "Q without q";
    } else if (text.count(tok)) {
      if (in_path) return "text operator inside a path";
    } else {
      return "unknown operator " + tok;
    }
    operands = 0;
  }
  if (in_path) return "unpainted path at end";
  if (depth != 0) return "unbalanced q/Q: " + std::to_string(depth);
  return {};
}

int count(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (size_t at = hay.find(needle); at != std::string::npos; at = hay.find(needle, at + needle.size())) ++n;
  return n;
}

bool near(const testkit::Raster::Rgb& c, int r, int g, int b, int tol) {
  return std::abs(c.r - r) <= tol && std::abs(c.g - g) <= tol && std::abs(c.b - b) <= tol;
}

int darkRuns(const testkit::Raster& r, int x0, int y0, int dx, int dy, int n) {
  int runs = 0;
  bool prev = false;
  for (int i = 0; i < n; ++i) {
    int x = x0 + i * dx, y = y0 + i * dy;
    if (x < 0 || y < 0 || x >= r.width || y >= r.height) break;
    bool dark = !r.isWhite(x, y);
    if (dark && !prev) ++runs;
    prev = dark;
  }
  return runs;
}

}  // namespace pyra::rendertest
