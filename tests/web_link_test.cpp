// Text that is a web address becomes a link over the words, unless the host
// turns that off. The link's rectangle is checked against where poppler
// finds the words.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "pyra/pyractl.h"
#include "testkit/testkit.h"

using namespace pyra::testkit;

namespace {

struct Rect {
  double x0, y0, x1, y1;
};

// Link annotations as (rectangle, URI), object by object from qpdf's
// uncompressed form.
std::vector<std::pair<Rect, std::string>> links(const std::string& pdf) {
  CommandResult q = run("qpdf --qdf --object-streams=disable " + shellQuote(pdf) + " -");
  std::vector<std::pair<Rect, std::string>> out;
  const std::regex rect(R"(/Rect\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])");
  const std::regex uri(R"(/URI\s*\(([^)]*)\))");
  size_t start = 0, end;
  while ((end = q.out.find("endobj", start)) != std::string::npos) {
    const std::string object = q.out.substr(start, end - start);
    start = end + 6;
    std::smatch r, u;
    if (object.find("/Subtype /Link") == std::string::npos || !std::regex_search(object, r, rect)) continue;
    std::regex_search(object, u, uri);
    out.push_back({{std::stod(r[1]), std::stod(r[2]), std::stod(r[3]), std::stod(r[4])}, u.empty() ? "" : u[1].str()});
  }
  return out;
}

// The box poppler gives the first word, in PDF space (y upward).
Rect wordBox(const std::string& pdf, double page_height) {
  CommandResult r = run("pdftotext -bbox " + shellQuote(pdf) + " -");
  std::smatch m;
  std::regex word(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">)re");
  if (!std::regex_search(r.out, m, word)) return {0, 0, 0, 0};
  return {std::stod(m[1]), page_height - std::stod(m[4]), std::stod(m[3]), page_height - std::stod(m[2])};
}

}  // namespace

TEST(WebLinks, TextThatIsAWebAddressIsLinked) {
  const struct {
    const char* name;
    const char* text;
    int32_t enhanced_options;
    bool linked;
  } cases[] = {
      {"plain web address", "http://example.com/a", 0, true},
      {"secure web address", "https://example.com/b", 0, true},
      {"address inside a sentence", "see http://example.com/c", 0, false},
      {"scheme in capitals", "HTTP://example.com/d", 0, false},
      {"turned off by the host", "http://example.com/e", PYRA_EO_NO_AUTO_LINK, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string file = dir.file("l.pdf");
    PyraOptions o{};
    o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
    o.PDFXRES = o.PDFYRES = 72;
    o.PDFWIDTH = 576;
    o.PDFHEIGHT = 800;
    o.ENHANCEDOPTIONS = c.enhanced_options | PYRA_EO_NO_PRINTER_REF;
    const int32_t env = PYRA_InitializeEx(&o);
    ASSERT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1);
    PYRA_StartPage(env);
    PYRA_SetTextAttrEx(env, "Arial", 20, 0, 0, 0, 0, 0);
    PYRA_TextOut(env, 100, 200, c.text);
    PYRA_EndPage(env);
    PYRA_EndDoc(env);
    PYRA_Finalize(env);
    std::string report;
    EXPECT_TRUE(qpdfCheck(file, &report)) << report;

    const auto found = links(file);
    ASSERT_EQ(found.size(), c.linked ? 1u : 0u);
    if (!c.linked) continue;
    EXPECT_EQ(found[0].second, c.text);
    const Rect link = found[0].first, word = wordBox(file, 800);
    ASSERT_GT(word.x1, word.x0) << "poppler found the words";
    // The link covers the words and not much more.
    EXPECT_LE(link.x0, word.x0 + 0.5);
    EXPECT_GE(link.x1, word.x1 - 0.5);
    EXPECT_LE(link.y0, word.y0 + 0.5);
    EXPECT_GE(link.y1, word.y1 - 0.5);
    EXPECT_LT(link.x1 - link.x0, (word.x1 - word.x0) * 1.2);
    EXPECT_LT(link.y1 - link.y0, (word.y1 - word.y0) * 2);
  }
}
