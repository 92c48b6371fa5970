// Whole conversions judged by independent readers: page count and sizes from
// the metafiles' frames, encryption and information as qpdf and poppler see
// them. They wait (skip) while this build's engine cannot draw metafiles.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "cli_fixtures.h"

namespace pyra::clitest {
namespace {

namespace fs = std::filesystem;

struct Converted {
  testkit::CommandResult result;
  std::string pdf;
};

class CliConvert : public ::testing::Test {
 protected:
  // Three pages: an A4 EMF, a 2 x 1 inch placeable WMF, a plain WMF.
  std::vector<std::string> makeInputs() {
    const std::string a = dir_.file("a4.emf"), b = dir_.file("label.wmf"), c = dir_.file("plain.wmf");
    writeBytes(a, makeEmf(21000, 29700));
    writeBytes(b, makePlaceable(2880, 1440, 1440));
    writeBytes(c, makeWmf());
    return {a, b, c};
  }

  std::string convert(const std::string& flags, const std::vector<std::string>& inputs) {
    const std::string out = dir_.file("out.pdf");
    std::string cmd = flags;
    for (const auto& in : inputs) cmd += " " + testkit::shellQuote(in);
    last_ = runPyra(cmd + " -o " + testkit::shellQuote(out));
    return out;
  }

  testkit::TempDir dir_;
  testkit::CommandResult last_;
};

#define PYRA_CONVERTED_OR_SKIP()                                                              \
  do {                                                                                        \
    if (drawingUnavailable(last_)) GTEST_SKIP() << "metafile drawing is not available yet"; \
    ASSERT_EQ(last_.status, 0) << last_.out;                                                  \
  } while (0)

std::vector<std::string> pageSizes(const std::string& pdf) {
  const std::string info = testkit::pdfInfo(pdf, "-f 1 -l 99");
  std::vector<std::string> sizes;
  const std::regex re(R"(Page\s+\d+ size:\s+([0-9.]+) x ([0-9.]+) pts)");
  for (std::sregex_iterator it(info.begin(), info.end(), re), end; it != end; ++it)
    sizes.push_back((*it)[1].str() + "x" + (*it)[2].str());
  return sizes;
}

TEST_F(CliConvert, PageSizesComeFromTheMetafiles) {
  const std::string pdf = convert("", makeInputs());
  PYRA_CONVERTED_OR_SKIP();
  EXPECT_TRUE(testkit::qpdfCheck(pdf));
  EXPECT_EQ(pageSizes(pdf), (std::vector<std::string>{"595x842", "144x72", "576x800"})) << testkit::pdfInfo(pdf);
  EXPECT_NE(last_.out.find("wrote"), std::string::npos) << last_.out;
}

TEST_F(CliConvert, PageSizeFlagAppliesToEveryPage) {
  const std::string pdf = convert("--page-size letter", makeInputs());
  PYRA_CONVERTED_OR_SKIP();
  EXPECT_TRUE(testkit::qpdfCheck(pdf));
  EXPECT_EQ(pageSizes(pdf), (std::vector<std::string>{"612x792", "612x792", "612x792"}));
}

TEST_F(CliConvert, LandscapeFrameGivesLandscapePage) {
  const std::string in = dir_.file("wide.emf");
  writeBytes(in, makeEmf(29700, 21000));
  const std::string pdf = convert("--quiet", {in});
  PYRA_CONVERTED_OR_SKIP();
  EXPECT_EQ(pageSizes(pdf), (std::vector<std::string>{"842x595"}));
  EXPECT_EQ(last_.out, "");
}

TEST_F(CliConvert, VerboseReportsEveryPage) {
  const std::string pdf = convert("--verbose", makeInputs());
  PYRA_CONVERTED_OR_SKIP();
  for (const char* line : {"page 1: ", "page 1 started", "page 3 ending"})
    EXPECT_NE(last_.out.find(line), std::string::npos) << line << "\n" << last_.out;
}

TEST_F(CliConvert, InformationTextsReachTheDocument) {
  const std::string pdf = convert(
      "--title 'Quarterly report' --author 'Ann Example' --subject Sales --keywords 'q1 revenue'", makeInputs());
  PYRA_CONVERTED_OR_SKIP();
  const std::string info = testkit::pdfInfo(pdf);
  const auto field = [&](const std::string& key) {
    std::smatch m;
    const std::regex re("(^|\n)" + key + ":[ \t]*([^\n]*)");
    return std::regex_search(info, m, re) ? m[2].str() : std::string("(missing)");
  };
  EXPECT_EQ(field("Title"), "Quarterly report") << info;
  EXPECT_EQ(field("Author"), "Ann Example") << info;
  EXPECT_EQ(field("Subject"), "Sales") << info;
  EXPECT_EQ(field("Keywords"), "q1 revenue") << info;
}

struct EncryptionCase {
  const char* name;
  std::string flags;
  std::vector<std::string> expected;  // lines of qpdf --show-encryption
};

void PrintTo(const EncryptionCase& c, std::ostream* os) { *os << c.name; }

class CliEncryption : public CliConvert, public ::testing::WithParamInterface<EncryptionCase> {};

TEST_P(CliEncryption, QpdfSeesTheRequestedHandler) {
  const EncryptionCase& c = GetParam();
  const std::string pdf = convert(c.flags + " --user-password user1 --owner-password owner1", makeInputs());
  PYRA_CONVERTED_OR_SKIP();
  EXPECT_TRUE(testkit::qpdfCheck(pdf, nullptr, "--password=user1")) << c.name;
  const auto shown = testkit::run("qpdf --show-encryption --password=owner1 " + testkit::shellQuote(pdf));
  for (const auto& line : c.expected)
    EXPECT_NE(shown.out.find(line), std::string::npos) << c.name << ": " << line << "\n" << shown.out;
  // Without the password the file does not open.
  EXPECT_NE(testkit::run("qpdf --check " + testkit::shellQuote(pdf)).status, 0) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    KeyLengths, CliEncryption,
    ::testing::Values(
        EncryptionCase{"rc4_40", "--key-length 40 --allow print", {"R = 2", "print high resolution: allowed",
                                                                   "modify anything: not allowed"}},
        EncryptionCase{"rc4_128", "--key-length 128 --allow print-low,copy",
                       {"R = 3", "print low resolution: allowed", "print high resolution: not allowed",
                        "extract for any purpose: allowed"}},
        EncryptionCase{"aes128", "--key-length aes128", {"R = 4", "AESv2"}},
        EncryptionCase{"aes256_default", "", {"R = 6", "AESv3", "modify anything: allowed"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliConvert, NoTemporaryFileRemains) {
  const std::string pdf = convert("", makeInputs());
  PYRA_CONVERTED_OR_SKIP();
  for (const auto& e : fs::directory_iterator(dir_.path()))
    EXPECT_NE(e.path().filename().string().front(), '.') << "left behind " << e.path();
  EXPECT_GT(fs::file_size(pdf), 0u);
}

TEST_F(CliConvert, SameInputsGiveTheSameBytes) {
  // The temporary file's random name must not leak into the document.
  const auto inputs = makeInputs();
  std::string args;
  for (const auto& in : inputs) args += " " + testkit::shellQuote(in);
  const std::string one = dir_.file("one.pdf"), two = dir_.file("two.pdf");
  const std::string env = "SOURCE_DATE_EPOCH=1700000000 ";
  last_ = testkit::run(env + testkit::shellQuote(PYRA_CLI) + " --encrypt" + args + " -o " + testkit::shellQuote(one));
  PYRA_CONVERTED_OR_SKIP();
  last_ = testkit::run(env + testkit::shellQuote(PYRA_CLI) + " --encrypt" + args + " -o " + testkit::shellQuote(two));
  PYRA_CONVERTED_OR_SKIP();
  EXPECT_EQ(testkit::readFile(one), testkit::readFile(two));
}

#ifdef PYRA_MAKE_SAMPLES
TEST(CliSamples, SamplesConvertToOnePagePerFile) {
  testkit::TempDir dir;
  const std::string samples = dir.file("samples");
  const auto made = testkit::run(testkit::shellQuote(PYRA_MAKE_SAMPLES) + " " + testkit::shellQuote(samples));
  ASSERT_EQ(made.status, 0) << made.out;
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(samples)) files.push_back(e.path().string());
  std::sort(files.begin(), files.end());
  ASSERT_EQ(files.size(), 4u) << made.out;
  const std::string pdf = dir.file("sample.pdf");
  std::string cmd;
  for (const auto& f : files) cmd += " " + testkit::shellQuote(f);
  const auto r = runPyra(cmd + " -o " + testkit::shellQuote(pdf));
  if (drawingUnavailable(r)) GTEST_SKIP() << "metafile drawing is not available yet";
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(testkit::qpdfCheck(pdf));
  EXPECT_EQ(pageSizes(pdf), (std::vector<std::string>{"595x842", "842x595", "612x792", "612x792"}));
  // Text waits for the engine's text output: a document without a single
  // font resource has none yet.
  const auto fonts = testkit::run("pdffonts " + testkit::shellQuote(pdf));
  if (lineCount(fonts.out) <= 2) GTEST_SKIP() << "the engine writes no text yet\n" << fonts.out;
  EXPECT_NE(testkit::pdfText(pdf, "-f 1 -l 1").find("INVOICE"), std::string::npos);
  EXPECT_NE(testkit::pdfText(pdf, "-f 1 -l 1").find("Total GBP"), std::string::npos);
}
#endif

}  // namespace
}  // namespace pyra::clitest
