// Which font programs a document carries, by font mode and the host's embed
// lists, with the platform's real fonts.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "engine/fonts/font_resources.h"
#include "engine/pdf/pdf_device.h"
#include "font_resource_pdf_doc.h"

using namespace pyra;
using namespace pyra::fonts;
using pyra::fonts::testing::PdfFontDoc;

namespace {

// "/FontName/X ... /FontFile2 N" per descriptor: name -> program object (0
// when written by reference).
std::map<std::string, int> descriptors(const std::string& file) {
  std::map<std::string, int> out;
  const std::regex re("/Type/FontDescriptor\n/FontName/([^\n]+)\n[^>]*?(/FontFile2 (\\d+) 0 R)?\r\n>>");
  for (auto it = std::sregex_iterator(file.begin(), file.end(), re); it != std::sregex_iterator(); ++it)
    out[(*it)[1]] = (*it)[3].matched ? std::stoi((*it)[3]) : 0;
  return out;
}

struct Result {
  std::map<std::string, int> programs;
  std::string file, errors;
  std::vector<std::string> messages;
};

Result document(uint8_t mode, const std::string& embed_only, const std::string& never_embed,
                const std::function<void(PdfFontDoc&)>& draw) {
  PdfFontDoc doc(mode);
  Result r;
  doc.device().setEmbedOnlyFaces(embed_only);
  doc.device().setNeverEmbedFaces(never_embed);
  doc.device().setCallbacks([&](int32_t code, const std::string& t) { r.errors += std::to_string(code) + " " + t + ";"; },
                            [&](int32_t code, const std::string& t, int32_t) {
                              r.messages.push_back(std::to_string(code) + " " + t);
                            });
  draw(doc);
  const std::string pdf = doc.finish();
  std::string report;
  EXPECT_TRUE(testkit::qpdfCheck(pdf, &report)) << report;
  r.file = testkit::readText(pdf);
  r.programs = descriptors(r.file);
  return r;
}

void latin(PdfFontDoc& d) {
  d.text("Arial", 0, 0, 12, 72, 700, u"Arial text");
  d.text("Times New Roman", 0, 0, 12, 72, 680, u"Times text");
}

}  // namespace

TEST(FontResourceEmbedding, ModesAndListsDecideWhichProgramsAreWritten) {
  struct Case {
    const char* name;
    uint8_t mode;
    const char* embed_only;
    const char* never_embed;
    std::set<std::string> embedded;  // descriptor names with a program
  } cases[] = {
      {"reference", 0, "", "", {}},
      {"whole", 1, "", "", {"Arial", "TimesNewRoman"}},
      {"embed only Arial", 1, "Arial", "", {"Arial"}},
      {"embed only, quoted", 1, "\"Times New Roman\", Courier New", "", {"TimesNewRoman"}},
      {"never Arial", 1, "", "Arial", {"TimesNewRoman"}},
      {"blank embed-only list", 1, " ,Arial", "Arial", {"TimesNewRoman"}},
      {"symbol only", 2, "", "", {}},
      {"subset", 5, "", "", {"MOBREL+Arial", "MOBREL+TimesNewRoman"}},
      {"code page subset", 4, "", "", {"MOBREL+Arial", "MOBREL+TimesNewRoman"}},
  };
  for (const auto& c : cases) {
    const Result r = document(c.mode, c.embed_only, c.never_embed, latin);
    std::set<std::string> embedded;
    for (auto& [name, program] : r.programs)
      if (program) embedded.insert(name);
    EXPECT_EQ(embedded, c.embedded) << c.name;
    EXPECT_EQ(r.programs.size(), 2u) << c.name;
    EXPECT_EQ(r.errors, "") << c.name;
    // The host hears of each program it is about to get.
    EXPECT_EQ(r.messages.size(), c.embedded.size()) << c.name;
  }
}

TEST(FontResourceEmbedding, CharsetsOfOneFaceShareOneProgram) {
  for (uint8_t mode : {1, 5}) {
    const Result r = document(mode, "", "", [](PdfFontDoc& d) {
      d.text("Arial", 0, 0, 12, 72, 700, u"Latin");
      d.text("Arial", 204, 0, 12, 72, 680, u"\u0416\u0418");
    });
    std::set<std::string> programs;
    const std::regex file2("/FontFile2 (\\d+) 0 R"), length1("/Length1 ");
    for (auto it = std::sregex_iterator(r.file.begin(), r.file.end(), file2);
         it != std::sregex_iterator(); ++it)
      programs.insert((*it)[1]);
    EXPECT_EQ(programs.size(), 1u) << "mode " << int(mode);
    EXPECT_EQ(r.messages.size(), 1u) << "mode " << int(mode);
    EXPECT_EQ(r.errors, "") << "mode " << int(mode);
    // One Length1 per program written.
    EXPECT_EQ(std::distance(std::sregex_iterator(r.file.begin(), r.file.end(), length1),
                            std::sregex_iterator()),
              1)
        << "mode " << int(mode);
  }
}

TEST(FontResourceEmbedding, SubsetOfSpacesOnlyIsWrittenByReferenceWithoutTag) {
  const Result r = document(5, "", "", [](PdfFontDoc& d) {
    d.text("Arial", 0, 0, 12, 72, 700, u"A");
    d.text("Times New Roman", 0, 0, 12, 72, 680, u"   ");
  });
  EXPECT_NE(r.programs.at("MOBREL+Arial"), 0);
  // A font drawn only with blanks needs no program, and a font without one
  // must not claim to be a subset.
  ASSERT_TRUE(r.programs.count("TimesNewRoman"));
  EXPECT_EQ(r.programs.at("TimesNewRoman"), 0);
  EXPECT_NE(r.file.find("/BaseFont/TimesNewRoman\n"), std::string::npos);
  EXPECT_NE(r.file.find("/BaseFont/MOBREL+Arial\n"), std::string::npos);
}

TEST(FontResourceEmbedding, SubsetIsSmallerAndRendersTheTextDrawn) {
  size_t whole = 0, subset = 0;
  for (uint8_t mode : {1, 5}) {
    PdfFontDoc doc(mode);
    doc.text("Arial", 0, 0, 40, 72, 600, u"HH");
    const std::string pdf = doc.finish();
    const std::string file = testkit::readText(pdf);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(file, m, std::regex("/Length1 (\\d+)"))) << int(mode);
    (mode == 1 ? whole : subset) = std::stoul(m[1]);
    const auto raster = testkit::renderPage(pdf, 1, 72);
    ASSERT_GT(raster.width, 0);
    // The crossbar of the first H at 40 pt.
    int dark = 0;
    for (int x = 72; x < 150; ++x) dark += raster.isDark(x, 792 - 600 - 14);
    EXPECT_GT(dark, 20) << "mode " << int(mode);
    EXPECT_EQ(testkit::pdfText(pdf).find("HH") != std::string::npos, true) << int(mode);
  }
  EXPECT_LT(subset * 4, whole);
}
