// The band writer's page breaking: which band lands on which page.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "demo/reports/band_writer.h"
#include "demo/reports/report_error.h"

namespace pyra::reports {
namespace {

// A 1000-mil page, no margins, header and footer of 100: the body runs from
// 100 to 900, room for 800 mils of bands.
ReportLayout smallPage() {
  ReportLayout l;
  l.title = "bands";
  l.page = {1000, 1000};
  l.margins = {0, 0, 0, 0};
  l.page_header.name = "PH";
  l.page_header.height = 100;
  l.page_footer.name = "PF";
  l.page_footer.height = 100;
  return l;
}

Band band(const char* name, int32_t height, bool new_page = false) {
  Band b;
  b.name = name;
  b.height = height;
  b.new_page_before = new_page;
  return b;
}

// The bands the tests feed: group header H (200), detail D (100), group
// footer F (200), page-starting group header P (200).
struct Bands {
  Band h = band("H", 200), d = band("D", 100), f = band("F", 200), p = band("P", 200, true);
};

// Feeds "H D1 D2 F ..." and returns the body of every page as
// "H D1 D2 | F", checking on the way that every page is framed by its
// header and footer and that no band runs into the footer.
std::string layOut(const std::string& events, const ReportLayout& layout, const Bands& b) {
  std::vector<std::string> pages;
  BandWriter writer(layout, [&](const PlacedPage& page) {
    EXPECT_EQ(page.number, int32_t(pages.size()) + 1);
    EXPECT_EQ(page.page_fields.at("PAGE"), std::to_string(page.number));
    EXPECT_GE(page.bands.size(), 3u) << "a page without body";
    EXPECT_EQ(page.bands.front().band, &layout.page_header);
    EXPECT_EQ(page.bands.back().band, &layout.page_footer);
    EXPECT_EQ(page.bands.back().top, layout.bodyBottom());
    std::string body;
    for (size_t i = 1; i + 1 < page.bands.size(); ++i) {
      const PlacedBand& placed = page.bands[i];
      EXPECT_LE(placed.top + placed.band->height, layout.bodyBottom()) << placed.band->name;
      if (!body.empty()) body += ' ';
      body += placed.band->name;
      auto it = placed.values.find("n");
      if (it != placed.values.end()) body += it->second;
    }
    pages.push_back(body);
  });
  std::istringstream in(events);
  std::string token;
  while (in >> token) {
    const Fields values = token.size() > 1 ? Fields{{"n", token.substr(1)}} : Fields{};
    switch (token[0]) {
      case 'H': writer.groupHeader(b.h, values); break;
      case 'P': writer.groupHeader(b.p, values); break;
      case 'D': writer.detail(b.d, values); break;
      case 'F': writer.groupFooter(b.f, values); break;
      default: ADD_FAILURE() << "bad token " << token;
    }
  }
  const int32_t finished = writer.finish();
  EXPECT_EQ(finished, int32_t(pages.size()));
  std::string out;
  for (const std::string& p : pages) out += (out.empty() ? "" : " | ") + p;
  return out;
}

TEST(BillbookBandWriter, BreaksPagesWhereBandsDoNotFit) {
  const struct {
    const char* name;
    const char* events;
    const char* pages;
  } cases[] = {
      {"details fill a page, the ninth starts the next", "D1 D2 D3 D4 D5 D6 D7 D8 D9",
       "D1 D2 D3 D4 D5 D6 D7 D8 | D9"},
      {"a group that fits stays on one page", "H D1 D2 F", "H D1 D2 F"},
      {"a footer that does not fit takes the group's last detail along", "H D1 D2 D3 D4 D5 F",
       "H D1 D2 D3 D4 | D5 F"},
      {"a footer that just fits stays", "H D1 D2 D3 D4 F", "H D1 D2 D3 D4 F"},
      {"a header never ends a page: it moves with its first detail", "D1 D2 D3 D4 D5 D6 H D7",
       "D1 D2 D3 D4 D5 D6 | H D7"},
      {"a group of one detail moves whole", "D1 D2 D3 D4 D5 D6 H D7 F", "D1 D2 D3 D4 D5 D6 | H D7 F"},
      {"a page-starting header opens each group on a new page", "P D1 F P D2 F", "P D1 F | P D2 F"},
      {"a page-starting header on an empty page adds no blank page", "P D1", "P D1"},
      {"bands held together but taller than a page still break", "H H H H D1", "H H H H | D1"},
      {"a second group follows the first on the same page", "H D1 H D2 D3", "H D1 H D2 D3"},
      {"a group that cannot keep header and footer with a detail moves whole", "H D1 F H D2 F",
       "H D1 F | H D2 F"},
      {"nothing printed, no page", "", ""},
  };
  const ReportLayout layout = smallPage();
  const Bands bands;
  for (const auto& c : cases) EXPECT_EQ(layOut(c.events, layout, bands), c.pages) << c.name;
}

TEST(BillbookBandWriter, RefusesWhatCannotBePrinted) {
  ReportLayout layout = smallPage();
  const Band tall = band("tall", 801);
  BandWriter writer(layout, [](const PlacedPage&) {});
  EXPECT_THROW(writer.detail(tall, {}), ReportError) << "a band taller than the body";
  const Band exact = band("exact", 800);
  EXPECT_NO_THROW(writer.detail(exact, {}));
  writer.finish();
  EXPECT_THROW(writer.detail(exact, {}), ReportError) << "a band after finish";

  layout.page_footer.height = 900;  // header 100 + footer 900 fill a 1000-mil page
  EXPECT_THROW(BandWriter(layout, [](const PlacedPage&) {}), ReportError) << "no room for a body";
}

}  // namespace
}  // namespace pyra::reports
