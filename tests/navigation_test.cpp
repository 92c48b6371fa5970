// Links, named destinations and the outline tree, driven through the writer
// comments the interpreter hands the document, judged by qpdf's view of the
// file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/pdf/error.h"
#include "engine/pdf/pdf_device.h"
#include "testkit/testkit.h"

using namespace pyra;
using namespace pyra::pdf;
using namespace pyra::testkit;

namespace {

struct Doc {
  TempDir dir;
  std::string file = dir.file("nav.pdf");
  TPxPDFDevice d;
  std::vector<std::string> errors;
  Doc() {
    d.setCallbacks([this](int32_t code, const std::string& t) { errors.push_back(std::to_string(code) + " " + t); },
                   nullptr);
    d.setFileName(file);
    EXPECT_TRUE(d.beginDocument(612, 792, 72, 0));
    d.startPage(612, 792, 72, 72, 0);
  }
  // PYRA_Outline's comments for one call.
  void outline(int level, const std::string& name, const std::string& caption) {
    const int code = level == 0 ? 503 : level > 0 ? 504 : 505;
    for (int i = 0; i < -1 - level; ++i) d.writerCommand(505, 10, 10, 10, 10, "");
    for (int i = 0; i < level - 1; ++i) d.writerCommand(504, 10, 10, 10, 10, "");
    if (!name.empty()) d.writerCommand(502, 10, 20, 10, 20, name);
    d.writerCommand(code, 10, 20, 10, 20, name + "=" + caption);
  }
  std::string finish() {
    d.endDocument();
    std::string report;
    EXPECT_TRUE(qpdfCheck(file, &report)) << report;
    return readText(file);
  }
  std::string outlineTree() { return run("mutool show " + shellQuote(file) + " outline").out; }
};

std::string titles(const std::string& tree) {
  // mutool prints one entry a line, indented by depth with tabs.
  std::string out;
  size_t pos = 0;
  while (pos < tree.size()) {
    size_t end = tree.find('\n', pos);
    std::string line = tree.substr(pos, end - pos);
    pos = end == std::string::npos ? tree.size() : end + 1;
    auto q = line.find('"');
    if (q == std::string::npos) continue;
    size_t depth = std::count(line.begin(), line.begin() + long(q), '\t') - 1;
    out += std::string(depth, '.') + line.substr(q + 1, line.find('"', q + 1) - q - 1) + " ";
  }
  return out;
}

}  // namespace

TEST(Outline, LevelsBuildTheTree) {
  struct Case { std::vector<std::pair<int, std::string>> calls; std::string want; } cases[] = {
      {{{0, "A"}, {1, "B"}, {0, "C"}, {-1, "D"}, {0, "E"}}, "A .B .C D E "},
      {{{0, "A"}, {1, "B"}, {1, "C"}}, "A .B ..C "},
      {{{0, "A"}, {3, "B"}}, "A .B "},
      {{{0, "A"}, {1, "B"}, {1, "C"}, {-2, "D"}}, "A .B ..C D "},
  };
  for (auto& c : cases) {
    Doc doc;
    for (auto& [level, caption] : c.calls) doc.outline(level, "", caption);
    doc.finish();
    EXPECT_EQ(titles(doc.outlineTree()), c.want);
  }
}

TEST(Outline, RootCountsEveryEntryAndTitlesAreEscaped) {
  Doc doc;
  doc.outline(0, "", "Tab\there (x)");
  doc.outline(1, "", "child 1");
  doc.outline(0, "", "child 2");
  doc.outline(-1, "", "second");
  doc.outline(0, "", "third");
  std::string text = doc.finish();
  EXPECT_NE(text.find("/Count 5"), std::string::npos);
  EXPECT_NE(doc.outlineTree().find("\"Tab here (x)\""), std::string::npos) << doc.outlineTree();
}

TEST(Links, TargetsBecomeTheRightActions) {
  struct Case { std::string target; std::string want; } cases[] = {
      {"http://example.org/a", "/S/URI/URI (http://example.org/a)"},
      {"HTTP://EXAMPLE.ORG", "/S/URI/URI (HTTP://EXAMPLE.ORG)"},
      {"https://example.org", "/S/URI/URI (https://example.org)"},
      {"mailto:a@b.c", "/S/URI/URI (mailto:a@b.c)"},
      {"Launch://notes.txt", "/S/Launch/F (notes.txt)"},
      {"GoToR://other.pdf#3", "/S/GoToR/F (other.pdf) /D [3/XYZ 0 0 null] >>"},
      {"GoToR://other.pdf#x", "/S/GoToR/F (other.pdf) /D [0/XYZ 0 0 null] >>"},
      {"GoToR://other.pdf", "/S/GoToR/F (other.pdf) >>"},
  };
  for (auto& c : cases) {
    Doc doc;
    doc.d.writerCommand(501, 10, 20, 110, 40, c.target);
    std::string text = doc.finish();
    EXPECT_NE(text.find(c.want), std::string::npos) << c.target;
    EXPECT_NE(text.find("/Rect [10 752 110 772]"), std::string::npos) << c.target;
    EXPECT_NE(text.find("/Annots ["), std::string::npos) << c.target;
    EXPECT_TRUE(doc.errors.empty()) << c.target;
  }
}

TEST(Links, NamedDestinationsResolveAcrossPagesWithoutCase) {
  Doc doc;
  doc.d.writerCommand(501, 0, 0, 10, 10, "LATER");
  doc.d.writerCommand(501, 0, 20, 10, 30, "missing");
  doc.d.writerCommand(502, 0, 0, 0, 0, "Twice");
  doc.d.endPage();
  doc.d.startPage(612, 792, 72, 72, 0);
  doc.d.writerCommand(502, 5, 300, 5, 300, "later");
  doc.d.writerCommand(502, 0, 0, 0, 0, "twice");
  std::string text = doc.finish();
  EXPECT_NE(text.find("/XYZ 5 492 0]"), std::string::npos);
  ASSERT_EQ(doc.errors.size(), 1u);
  EXPECT_EQ(doc.errors[0], "1 Bookmark \"missing\" not found");
}

TEST(Links, NeedAPage) {
  TPxPDFDevice d;
  MemorySink sink;
  d.setExternalOutput(&sink);
  ASSERT_TRUE(d.beginDocument(612, 792, 72, 0));
  EXPECT_THROW(d.writerCommand(501, 0, 0, 1, 1, "http://x"), Error);
}
