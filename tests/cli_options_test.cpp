// Flags of the pyra converter: what each turns into in the options record and
// the property calls, and how a wrong command line is refused.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_fixtures.h"

namespace pyra::clitest {
namespace {

struct OptionCase {
  const char* name;
  std::string args;
  std::vector<std::string> expected;   // whole lines of --show-options
  std::vector<std::string> absent = {};

void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }
};

class CliOptionMapping : public ::testing::TestWithParam<OptionCase> {};

TEST_P(CliOptionMapping, FlagsBecomeRecordFieldsAndPropertyCalls) {
  const OptionCase& c = GetParam();
  const auto r = runPyra("--show-options " + c.args);
  ASSERT_EQ(r.status, 0) << c.name << "\n" << r.out;
  const std::string out = "\n" + r.out;
  for (const auto& line : c.expected)
    EXPECT_NE(out.find("\n" + line + "\n"), std::string::npos) << c.name << ": missing " << line << "\n" << r.out;
  for (const auto& line : c.absent)
    EXPECT_EQ(out.find("\n" + line), std::string::npos) << c.name << ": unexpected " << line << "\n" << r.out;
}

const std::string kLongPassword(30, 'p');
const std::string kLongTitle(300, 't');

INSTANTIATE_TEST_SUITE_P(
    Flags, CliOptionMapping,
    ::testing::Values(
        OptionCase{"defaults", "",
                   {"COMPRESSION=1", "ENCODING=0", "FONTMODE=1", "JPEGCOMPRESS=0", "THUMBNAILS=0", "PAGEMODE=0",
                    "PERMISSION=0", "ENHANCEDOPTIONS=2", "PDFWIDTH=576", "PDFHEIGHT=800"},
                   {"SetIProp", "SetSProp", "page-size="}},
        OptionCase{"compression none", "--compression none", {"COMPRESSION=0"}},
        OptionCase{"compression rle", "--compression=rle", {"COMPRESSION=2"}},
        OptionCase{"compression flate-fast", "--compression flate-fast", {"COMPRESSION=3"}},
        OptionCase{"compression by number", "--compression 0", {"COMPRESSION=0"}},
        OptionCase{"encoding ascii85", "--encoding ascii85", {"ENCODING=1"}},
        OptionCase{"encoding hex upper case", "--encoding HEX", {"ENCODING=2"}},
        OptionCase{"font mode subset", "--font-mode subset", {"FONTMODE=5"}},
        OptionCase{"font mode reference", "--font-mode reference", {"FONTMODE=0"}},
        OptionCase{"font mode standard", "--font-mode 3", {"FONTMODE=3"}},
        OptionCase{"jpeg quality", "--jpeg-quality 40", {"JPEGCOMPRESS=-40"}},
        OptionCase{"jpeg off", "--jpeg-quality off", {"JPEGCOMPRESS=0"}},
        OptionCase{"thumbnails mono", "--thumbnails mono", {"THUMBNAILS=2"}},
        OptionCase{"thumbnails color", "--thumbnails color", {"THUMBNAILS=1"}},
        OptionCase{"page mode", "--page-mode fullscreen", {"PAGEMODE=3"}},
        OptionCase{"encrypt alone: every permission, AES-256", "--encrypt", {"PERMISSION=31", "SetIProp 13=3"}},
        OptionCase{"allow print,copy with 40-bit", "--allow print,copy --key-length 40",
                   {"PERMISSION=11", "SetIProp 13=0"}},
        OptionCase{"low-quality printing, 128-bit", "--allow print-low --key-length 128",
                   {"PERMISSION=35", "SetIProp 13=1"}},
        OptionCase{"allow none", "--allow none --key-length aes128", {"PERMISSION=1", "SetIProp 13=2"}},
        OptionCase{"key length by mode number", "--key-length 3", {"PERMISSION=31", "SetIProp 13=3"}},
        OptionCase{"passwords switch encryption on", "--user-password u1 --owner-password o2",
                   {"USERPASSWORD=u1", "OWNERPASSWORD=o2", "PERMISSION=31", "SetIProp 13=3"}},
        OptionCase{"long password goes through the text property", "--user-password " + kLongPassword,
                   {"USERPASSWORD=", "SetSProp 12=" + kLongPassword}},
        OptionCase{"raw permission with the encrypt bit", "--permission 7", {"PERMISSION=7", "SetIProp 13=3"}},
        OptionCase{"raw permission without it", "--permission 6", {"PERMISSION=6"}, {"SetIProp"}},
        OptionCase{"information texts",
                   "--title 'A title' --author Ann --subject S --keywords 'k1 k2' --producer P "
                   "--creation-date D:20240101000000Z --mod-date D:20240202000000Z",
                   {"TITLE=A title", "AUTHOR=Ann", "SUBJECT=S", "KEYWORDS=k1 k2", "PRODUCER=P",
                    "DATE=D:20240101000000Z", "MODDATE=D:20240202000000Z"}},
        OptionCase{"long title goes through the text property", "--title " + kLongTitle,
                   {"TITLE=", "SetSProp 5=" + kLongTitle}},
        OptionCase{"clipping", "--clipping", {"ENHANCEDOPTIONS=2"}},
        OptionCase{"no clipping", "--no-clipping", {"ENHANCEDOPTIONS=0"}},
        OptionCase{"no clipping wins over raw bits", "--enhanced-options 2 --no-clipping", {"ENHANCEDOPTIONS=0"}},
        OptionCase{"several playback bits", "--no-spacing --ignore-patblt --no-text-clip",
                   {"ENHANCEDOPTIONS=387"}},
        OptionCase{"every playback bit",
                   "--no-spacing --clipping --no-printer-reference --char-positions --fill-as-outline "
                   "--skip-white-fill --ignore-patblt --no-text-clip --reset-matrix --no-bitmap-crop",
                   {"ENHANCEDOPTIONS=2043"}},
        OptionCase{"raw bits add to the flags", "--enhanced-options 4 --clipping", {"ENHANCEDOPTIONS=6"}},
        OptionCase{"named page size", "--page-size a4", {"page-size=595x842"}},
        OptionCase{"page size in points", "--page-size 842x595", {"page-size=842x595"}},
        OptionCase{"page size rounded", "--page-size 595.28x841.89", {"page-size=595x842"}}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

struct UsageCase {
  const char* name;
  std::string args;
  std::string message;  // part of the one-line reason
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class CliUsageErrors : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageErrors, ExitTwoWithOneLineAndNoOutput) {
  const UsageCase& c = GetParam();
  testkit::TempDir dir;
  writeBytes(dir.file("in.emf"), makeEmf());
  const std::string out = dir.file("out.pdf");
  const auto r = testkit::run("cd " + testkit::shellQuote(dir.path().string()) + " && " +
                              testkit::shellQuote(PYRA_CLI) + " " + c.args);
  EXPECT_EQ(r.status, 2) << c.name << "\n" << r.out;
  EXPECT_EQ(lineCount(r.out), 1) << c.name << "\n" << r.out;
  EXPECT_NE(r.out.find(c.message), std::string::npos) << c.name << "\n" << r.out;
  EXPECT_FALSE(std::filesystem::exists(out)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, CliUsageErrors,
    ::testing::Values(UsageCase{"no arguments", "", "no output file"},
                      UsageCase{"no inputs", "-o out.pdf", "no input files"},
                      UsageCase{"no output", "in.emf", "no output file"},
                      UsageCase{"output twice", "in.emf -o a.pdf -o out.pdf", "given twice"},
                      UsageCase{"unknown long option", "--frobnicate in.emf -o out.pdf", "'--frobnicate'"},
                      UsageCase{"unknown short option", "-x in.emf -o out.pdf", "'-x'"},
                      UsageCase{"missing value", "in.emf -o out.pdf --title", "--title: missing value"},
                      UsageCase{"value on a switch", "--verbose=yes in.emf -o out.pdf", "takes no value"},
                      UsageCase{"bad compression", "--compression zip in.emf -o out.pdf", "--compression: 'zip'"},
                      UsageCase{"jpeg quality too high", "--jpeg-quality 101 in.emf -o out.pdf", "--jpeg-quality"},
                      UsageCase{"jpeg quality not a number", "--jpeg-quality 5x in.emf -o out.pdf",
                                "--jpeg-quality"},
                      UsageCase{"bad key length", "--key-length 64 in.emf -o out.pdf", "--key-length: '64'"},
                      UsageCase{"bad permission word", "--allow print,fly in.emf -o out.pdf", "'fly'"},
                      UsageCase{"permission above a byte", "--permission 256 in.emf -o out.pdf", "--permission"},
                      UsageCase{"page size zero", "--page-size 0x100 in.emf -o out.pdf", "--page-size: '0x100'"},
                      UsageCase{"page size too large", "--page-size 20000x100 in.emf -o out.pdf", "--page-size"},
                      UsageCase{"page size unknown name", "--page-size a9 in.emf -o out.pdf", "--page-size: 'a9'"},
                      UsageCase{"page size not finite", "--page-size nanxinf in.emf -o out.pdf", "--page-size"},
                      UsageCase{"empty output name", "in.emf -o ''", "empty file name"}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });

TEST(CliHelp, ListsEveryFlagWithDefaultsAndExitsZero) {
  const auto r = runPyra("--help");
  ASSERT_EQ(r.status, 0) << r.out;
  for (const char* flag :
       {"--output", "--page-size", "--quiet", "--verbose", "--compression", "--encoding", "--font-mode",
        "--jpeg-quality", "--thumbnails", "--page-mode", "--encrypt", "--user-password", "--owner-password",
        "--allow", "--key-length", "--permission", "--title", "--author", "--subject", "--keywords", "--producer",
        "--creation-date", "--mod-date", "--clipping", "--no-clipping", "--no-spacing", "--char-positions", "--fill-as-outline",
        "--skip-white-fill", "--ignore-patblt", "--no-text-clip", "--reset-matrix", "--no-bitmap-crop",
        "--no-printer-reference", "--enhanced-options", "--show-options"})
    EXPECT_NE(r.out.find(flag), std::string::npos) << flag;
  EXPECT_NE(r.out.find("(default flate)"), std::string::npos);
  EXPECT_NE(r.out.find("(default aes256)"), std::string::npos);
  EXPECT_NE(r.out.find("Exit status"), std::string::npos);
}

TEST(CliHelp, DoubleDashEndsOptions) {
  testkit::TempDir dir;
  // A file whose name starts with a dash is an input after "--", so the
  // reason is about the file, not an unknown option.
  const auto r = testkit::run("cd " + testkit::shellQuote(dir.path().string()) + " && " +
                              testkit::shellQuote(PYRA_CLI) + " -o out.pdf -- -missing.emf");
  EXPECT_EQ(r.status, 1) << r.out;
  EXPECT_NE(r.out.find("-missing.emf: No such file"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace pyra::clitest
