// Inputs the converter must refuse before it writes anything: a one-line
// reason naming the file, exit status 1, and no output file (nor temporary
// file) left behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli_fixtures.h"

namespace pyra::clitest {
namespace {

namespace fs = std::filesystem;

struct DamagedCase {
  const char* name;
  // Creates "bad" in the folder (or not, for a missing file).
  std::function<void(const std::string& path)> make;
  std::string reason;
};

std::vector<uint8_t> emfWith(const std::function<void(std::vector<uint8_t>&)>& edit) {
  auto b = makeEmf();
  edit(b);
  return b;
}

const std::vector<DamagedCase>& damagedCases() {
  static const std::vector<DamagedCase> cases = {
      {"missing file", [](const std::string&) {}, "No such file"},
      {"empty file", [](const std::string& p) { testkit::writeFile(p, ""); }, "empty file"},
      {"text file", [](const std::string& p) { testkit::writeFile(p, "hello, this is not a picture\n"); },
       "not a metafile"},
      {"truncated EMF header",
       [](const std::string& p) {
         auto b = makeEmf();
         b.resize(50);
         writeBytes(p, b);
       },
       "truncated EMF header"},
      {"wrong EMF signature",
       [](const std::string& p) { writeBytes(p, emfWith([](auto& b) { set32(b, 40, 0x464D4521); })); },
       "signature"},
      {"EMF cut after the header",
       [](const std::string& p) {
         auto b = makeEmf();
         b.resize(100);
         writeBytes(p, b);
       },
       "truncated?"},
      {"EMF header size past the file",
       [](const std::string& p) { writeBytes(p, emfWith([](auto& b) { set32(b, 4, 4096); })); },
       "header record size 4096"},
      {"EMF header size not a multiple of four",
       [](const std::string& p) { writeBytes(p, emfWith([](auto& b) { set32(b, 4, 90); })); },
       "header record size 90"},
      {"EMF record size runs past the end",
       [](const std::string& p) { writeBytes(p, emfWith([](auto& b) { set32(b, 92, 0x7FFFFFF0); })); },
       "record 1 at offset 88 has a bad size"},
      {"EMF record size zero",
       [](const std::string& p) { writeBytes(p, emfWith([](auto& b) { set32(b, 92, 0); })); },
       "bad size 0"},
      {"EMF without end-of-file record",
       [](const std::string& p) {
         writeBytes(p, emfWith([](auto& b) {
           b.resize(b.size() - 20);
           set32(b, 48, static_cast<uint32_t>(b.size()));
         }));
       },
       "no end-of-file record"},
      {"WMF with bad checksum",
       [](const std::string& p) { writeBytes(p, makePlaceable(2880, 1440, 1440, false)); }, "checksum"},
      {"placeable WMF with zero units per inch",
       [](const std::string& p) { writeBytes(p, makePlaceable(2880, 1440, 0)); }, "0 units per inch"},
      {"placeable WMF with an empty box",
       [](const std::string& p) { writeBytes(p, makePlaceable(0, 1440, 1440)); }, "bounding box is empty"},
      {"placeable header only",
       [](const std::string& p) {
         auto b = makePlaceable(2880, 1440, 1440);
         b.resize(22);
         writeBytes(p, b);
       },
       "truncated WMF header"},
      {"WMF size larger than the file",
       [](const std::string& p) {
         auto b = makeWmf();
         b.resize(b.size() - 6);
         writeBytes(p, b);
       },
       "truncated?"},
      {"WMF record size zero",
       [](const std::string& p) {
         auto b = makeWmf();
         set32(b, 18, 0);
         writeBytes(p, b);
       },
       "WMF record 1 at offset 18 has a bad size"},
      {"WMF with unknown version",
       [](const std::string& p) {
         auto b = makeWmf();
         set16(b, 4, 0x0200);
         writeBytes(p, b);
       },
       "unknown WMF version"},
      {"a directory", [](const std::string& p) { fs::create_directory(p); }, "is a directory"},
      {"a named pipe", [](const std::string& p) { mkfifo(p.c_str(), 0600); }, "not a regular file"},
  };
  return cases;
}

class CliDamagedInputs : public ::testing::TestWithParam<size_t> {};

TEST_P(CliDamagedInputs, RefusedWithOneLineNamingTheFile) {
  const DamagedCase& c = damagedCases()[GetParam()];
  testkit::TempDir dir;
  const std::string good = dir.file("good.emf"), bad = dir.file("bad.in"), out = dir.file("out.pdf");
  writeBytes(good, makeEmf());
  c.make(bad);
  // The good file comes first: nothing may be written before every input
  // has been checked.
  const auto r = runPyra(testkit::shellQuote(good) + " " + testkit::shellQuote(bad) + " -o " + testkit::shellQuote(out));
  EXPECT_EQ(r.status, 1) << c.name << "\n" << r.out;
  EXPECT_EQ(lineCount(r.out), 1) << c.name << "\n" << r.out;
  EXPECT_EQ(r.out.rfind("pyra: " + bad + ": ", 0), 0u) << c.name << "\n" << r.out;
  EXPECT_NE(r.out.find(c.reason), std::string::npos) << c.name << "\n" << r.out;
  EXPECT_FALSE(fs::exists(out)) << c.name;
  for (const auto& e : fs::directory_iterator(dir.path()))
    EXPECT_TRUE(e.path() == good || e.path() == bad) << c.name << ": left behind " << e.path();
}

INSTANTIATE_TEST_SUITE_P(Inputs, CliDamagedInputs, ::testing::Range<size_t>(0, damagedCases().size()),
                         [](const auto& info) {
                           std::string n = damagedCases()[info.param].name;
                           for (char& ch : n)
                             if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

TEST(CliInputs, UnreadableFileIsNamed) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  testkit::TempDir dir;
  const std::string in = dir.file("locked.emf"), out = dir.file("out.pdf");
  writeBytes(in, makeEmf());
  ASSERT_EQ(chmod(in.c_str(), 0), 0);
  const auto r = runPyra(testkit::shellQuote(in) + " -o " + testkit::shellQuote(out));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find(in + ": Permission denied"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(out));
}

TEST(CliInputs, FailedRunKeepsTheEarlierOutput) {
  testkit::TempDir dir;
  const std::string bad = dir.file("bad.emf"), out = dir.file("out.pdf");
  testkit::writeFile(bad, "");
  testkit::writeFile(out, "the previous report");
  const auto r = runPyra(testkit::shellQuote(bad) + " -o " + testkit::shellQuote(out));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(testkit::readText(out), "the previous report");
}

TEST(CliInputs, OutputThatIsAnInputIsRefused) {
  testkit::TempDir dir;
  const std::string in = dir.file("page.emf");
  const auto bytes = makeEmf();
  writeBytes(in, bytes);
  const auto r = runPyra(testkit::shellQuote(in) + " -o " + testkit::shellQuote(in));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("is also the output file"), std::string::npos) << r.out;
  EXPECT_EQ(testkit::readFile(in), bytes);
}

TEST(CliInputs, OutputFolderMissingIsNamed) {
  testkit::TempDir dir;
  const std::string in = dir.file("page.emf"), out = dir.file("no/such/folder/out.pdf");
  writeBytes(in, makeEmf());
  const auto r = runPyra(testkit::shellQuote(in) + " -o " + testkit::shellQuote(out));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(lineCount(r.out), 1) << r.out;
  EXPECT_EQ(r.out.rfind("pyra: " + out + ": ", 0), 0u) << r.out;
}

TEST(CliInputs, OutputThatIsADirectoryIsRefused) {
  testkit::TempDir dir;
  const std::string in = dir.file("page.emf"), out = dir.file("out.pdf");
  writeBytes(in, makeEmf());
  fs::create_directory(out);
  const auto r = runPyra(testkit::shellQuote(in) + " -o " + testkit::shellQuote(out));
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_EQ(r.out, "pyra: " + out + ": is a directory\n");
}

TEST(CliInputs, KindIsReadFromContentNotName) {
  // A valid placeable WMF named .emf and an EMF named .wmf pass the checks;
  // whether they then convert depends on the engine, not on the names.
  testkit::TempDir dir;
  const std::string a = dir.file("really-wmf.emf"), b = dir.file("really-emf.wmf"), out = dir.file("out.pdf");
  writeBytes(a, makePlaceable(2880, 1440, 1440));
  writeBytes(b, makeEmf());
  const auto r = runPyra("--verbose " + testkit::shellQuote(a) + " " + testkit::shellQuote(b) + " -o " +
                         testkit::shellQuote(out));
  if (drawingUnavailable(r)) {
    // The kinds are reported before the engine is asked to draw.
    EXPECT_NE(r.out.find("really-wmf.emf (placeable WMF, 144 x 72 pt)"), std::string::npos) << r.out;
    GTEST_SKIP() << "metafile drawing is not available in this build";
  }
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("really-wmf.emf (placeable WMF, 144 x 72 pt)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("really-emf.wmf (EMF, 595 x 842 pt)"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace pyra::clitest
