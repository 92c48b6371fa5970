// Encrypted documents built by hand around the security handler, judged by
// qpdf and poppler: the passwords open them, a wrong password does not, the
// text and the encrypted information strings come back, and the permissions
// read back as asked.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/pdf/crypto/standard_security.h"
#include "testkit/mini_pdf.h"
#include "testkit/testkit.h"

using pyra::pdf::KeyLengthMode;
using pyra::pdf::StandardSecurity;
using namespace pyra::testkit;

namespace {

const StandardSecurity::FileId kFileId = {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I',
                                          'O', 'P', 'A', 'S', 'D', 'F', 'G', 'H'};

struct Mode {
  const char* name;
  KeyLengthMode mode;
};
const Mode kModes[] = {{"RC4-40", KeyLengthMode::kRc4Bits40},
                       {"RC4-128", KeyLengthMode::kRc4Bits128},
                       {"AES-128", KeyLengthMode::kAes128},
                       {"AES-256", KeyLengthMode::kAes256}};

std::string hexOf(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "<";
  for (unsigned char b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out + ">";
}

constexpr const char* kTitle = "Quarterly (secret) report";
constexpr const char* kPageText = "Hello encrypted world";

// Object 1 the encryption dictionary (never encrypted), 2 the information
// dictionary with encrypted strings, 3 the encrypted content stream, 4 the
// page: the layout the document writer produces.
std::vector<uint8_t> buildPdf(const StandardSecurity& security) {
  MiniPdf pdf;
  const int encrypt = pdf.add("<<" + security.dictionaryText() + ">>");
  const int info = pdf.reserve();
  pdf.set(info, "<< /Title " + hexOf(security.encryptText(uint32_t(info), 0, kTitle)) + " /Subject " +
                    hexOf(security.encryptText(uint32_t(info), 0, "")) + " /Producer " +
                    hexOf(security.encryptText(uint32_t(info), 0, "pyra")) + " >>");
  const std::string content = std::string("BT /F1 24 Tf 72 700 Td (") + kPageText + ") Tj ET";
  const int page = pdf.addPage(612, 792, content,
                               "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>");
  const int content_object = page - 1;
  std::vector<uint8_t> data(content.begin(), content.end());
  security.encrypt(uint32_t(content_object), 0, data);
  pdf.set(content_object, "<< >>", &data);
  const std::string id = hexOf(std::string(kFileId.begin(), kFileId.end()));
  pdf.trailer_extra = "/Encrypt " + std::to_string(encrypt) + " 0 R /Info " + std::to_string(info) + " 0 R /ID [" +
                      id + id + "]";
  pdf.catalog_extra = std::string(security.catalogExtensions());
  return pdf.bytes();
}

std::string savePdf(const TempDir& dir, const std::string& name, const StandardSecurity& security) {
  const std::string path = dir.file(name + ".pdf");
  const std::vector<uint8_t> bytes = buildPdf(security);
  writeFile(path, bytes.data(), bytes.size());
  return path;
}

std::string pw(const std::string& password) { return "--password=" + shellQuote(password); }

// The value of a "Key: value" line of pdfinfo, blanks trimmed.
std::string infoField(const std::string& info, const std::string& key) {
  const size_t at = info.find(key + ":");
  if (at == std::string::npos) return "<missing>";
  const size_t start = info.find_first_not_of(' ', at + key.size() + 1);
  return info.substr(start, info.find('\n', at) - start);
}

// MuPDF's text of the document; unlike poppler's command-line tools it takes
// passwords longer than 32 bytes.
std::string mupdfText(const std::string& pdf, const std::string& password) {
  return run("mutool draw -q -p " + shellQuote(password) + " -F txt -o - " + shellQuote(pdf)).out;
}

TEST(EncryptedPdf, PasswordsOpenItAndAWrongOneIsRefused) {
  TempDir dir;
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    const StandardSecurity security("owner-pw", "user-pw", 0x01 | StandardSecurity::kPrint, m.mode, kFileId, false);
    const std::string pdf = savePdf(dir, m.name, security);
    std::string report;
    EXPECT_TRUE(qpdfCheck(pdf, &report, pw("user-pw"))) << report;
    EXPECT_TRUE(qpdfCheck(pdf, &report, pw("owner-pw"))) << report;
    const CommandResult wrong = run("qpdf --check " + pw("user-pw!") + " " + shellQuote(pdf));
    EXPECT_NE(wrong.status, 0) << wrong.out;
    EXPECT_NE(wrong.out.find("invalid password"), std::string::npos) << wrong.out;
    const CommandResult none = run("qpdf --check " + shellQuote(pdf));
    EXPECT_NE(none.status, 0) << "opened without a password: " << none.out;

    EXPECT_NE(pdfText(pdf, "-upw user-pw").find(kPageText), std::string::npos);
    EXPECT_NE(pdfText(pdf, "-opw owner-pw").find(kPageText), std::string::npos);
    EXPECT_EQ(pdfText(pdf, "-upw nope").find(kPageText), std::string::npos);
    EXPECT_NE(mupdfText(pdf, "user-pw").find(kPageText), std::string::npos);
    EXPECT_EQ(mupdfText(pdf, "nope").find(kPageText), std::string::npos);
    const std::string info = pdfInfo(pdf, "-upw user-pw");
    EXPECT_EQ(infoField(info, "Title"), kTitle) << info;
    EXPECT_EQ(infoField(info, "Subject"), "") << info;
    EXPECT_EQ(infoField(info, "Producer"), "pyra") << info;
  }
}

TEST(EncryptedPdf, QpdfReportsTheMethodAndRevisionOfEachMode) {
  TempDir dir;
  // qpdf names the method only for crypt filters (V 4 and up); poppler names
  // the algorithm for every mode.
  const char* expected[][3] = {
      {"R = 2", "", "RC4"}, {"R = 3", "", "RC4"}, {"R = 4", "AESv2", "AES"}, {"R = 6", "AESv3", "AES-256"}};
  for (size_t i = 0; i < std::size(kModes); ++i) {
    SCOPED_TRACE(kModes[i].name);
    const StandardSecurity security("o", "u", 0x01, kModes[i].mode, kFileId, false);
    const std::string pdf = savePdf(dir, kModes[i].name, security);
    const CommandResult r = run("qpdf --show-encryption " + pw("o") + " " + shellQuote(pdf));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find(expected[i][0]), std::string::npos) << r.out;
    if (*expected[i][1]) {
      EXPECT_NE(r.out.find(std::string("stream encryption method: ") + expected[i][1]), std::string::npos) << r.out;
      EXPECT_NE(r.out.find(std::string("string encryption method: ") + expected[i][1]), std::string::npos) << r.out;
    }
    if (kModes[i].mode == KeyLengthMode::kAes256) {
      // The catalog's /Extensions entry announces the Adobe extension that
      // brought AES-256 to PDF 1.7.
      std::string report;
      EXPECT_TRUE(qpdfCheck(pdf, &report, pw("u"))) << report;
      EXPECT_NE(report.find("PDF Version: 1.7 extension level 8"), std::string::npos) << report;
    }
    const std::string info = pdfInfo(pdf, "-upw u");
    EXPECT_NE(infoField(info, "Encrypted").find(std::string("algorithm:") + expected[i][2] + ")"), std::string::npos)
        << info;
  }
}

struct PermissionCase {
  const char* name;
  uint8_t permission;
};

const PermissionCase kPermissionCases[] = {
    {"nothing allowed", 0x01},       {"print", 0x03},         {"print low quality", 0x23},
    {"modify", 0x05},                {"copy", 0x09},          {"annotate", 0x11},
    {"everything", 0x1F},            {"everything, low-quality print", 0x3F},
    {"low-quality bit alone", 0x21},
};

std::string permissionLine(const std::string& what, bool allowed) {
  return what + ": " + (allowed ? "allowed" : "not allowed") + "\n";
}

void expectPermissions(const std::string& report, uint8_t p, KeyLengthMode mode, const std::string& where) {
  const bool print = p & StandardSecurity::kPrint;
  const bool high = print && (mode == KeyLengthMode::kRc4Bits40 || !(p & StandardSecurity::kLowQualityPrint));
  EXPECT_NE(report.find(permissionLine("print low resolution", print)), std::string::npos) << where << report;
  EXPECT_NE(report.find(permissionLine("print high resolution", high)), std::string::npos) << where << report;
  EXPECT_NE(report.find(permissionLine("modify other", p & StandardSecurity::kModify)), std::string::npos)
      << where << report;
  EXPECT_NE(report.find(permissionLine("extract for any purpose", p & StandardSecurity::kCopy)), std::string::npos)
      << where << report;
  EXPECT_NE(report.find(permissionLine("modify annotations", p & StandardSecurity::kAnnotate)), std::string::npos)
      << where << report;
}

TEST(EncryptedPdf, QpdfShowsThePermissionsThatWereAskedFor) {
  TempDir dir;
  for (const Mode& m : kModes) {
    for (const PermissionCase& c : kPermissionCases) {
      const std::string where = std::string(m.name) + ", " + c.name + ":\n";
      const StandardSecurity security("owner", "user", c.permission, m.mode, kFileId, false);
      const std::string pdf = savePdf(dir, "perm", security);
      const CommandResult r = run("qpdf --show-encryption " + pw("owner") + " " + shellQuote(pdf));
      ASSERT_EQ(r.status, 0) << where << r.out;
      EXPECT_NE(r.out.find("P = " + std::to_string(security.permissionValue()) + "\n"), std::string::npos)
          << where << r.out;
      expectPermissions(r.out, c.permission, m.mode, where);
      // poppler grants everything to the owner, so ask it as the user.
      const std::string flags = infoField(pdfInfo(pdf, "-upw user"), "Encrypted");
      const auto yes = [](bool b) { return b ? std::string("yes") : std::string("no"); };
      EXPECT_NE(flags.find("print:" + yes(c.permission & StandardSecurity::kPrint) +
                           " copy:" + yes(c.permission & StandardSecurity::kCopy) +
                           " change:" + yes(c.permission & StandardSecurity::kModify) +
                           " addNotes:" + yes(c.permission & StandardSecurity::kAnnotate)),
                std::string::npos)
          << where << flags;
    }
  }
}

TEST(EncryptedPdf, EmptyUserPasswordOpensWithoutAskingAndKeepsThePermissions) {
  TempDir dir;
  for (const Mode& m : kModes) {
    for (const char* owner : {"boss", ""}) {
      const std::string where = std::string(m.name) + ", owner \"" + owner + "\":\n";
      const uint8_t permission = 0x01 | StandardSecurity::kPrint;
      const StandardSecurity security(owner, "", permission, m.mode, kFileId, false);
      const std::string pdf = savePdf(dir, "open", security);
      std::string report;
      EXPECT_TRUE(qpdfCheck(pdf, &report)) << where << report;
      EXPECT_NE(pdfText(pdf).find(kPageText), std::string::npos) << where;
      const CommandResult r = run("qpdf --show-encryption " + shellQuote(pdf));
      ASSERT_EQ(r.status, 0) << where << r.out;
      EXPECT_NE(r.out.find("Supplied password is user password"), std::string::npos) << where << r.out;
      // The empty password must not be the owner password as well, or
      // readers would grant everything.
      EXPECT_EQ(r.out.find("Supplied password is owner password"), std::string::npos) << where << r.out;
      expectPermissions(r.out, permission, m.mode, where);
      if (*owner) {
        const CommandResult o = run("qpdf --show-encryption " + pw(owner) + " " + shellQuote(pdf));
        EXPECT_NE(o.out.find("Supplied password is owner password"), std::string::npos) << where << o.out;
      }
    }
  }
}

TEST(EncryptedPdf, EmptyOwnerPasswordMakesTheUserPasswordTheOwnerPassword) {
  TempDir dir;
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    const StandardSecurity security("", "only", 0x01, m.mode, kFileId, false);
    const std::string pdf = savePdf(dir, "owner", security);
    const CommandResult r = run("qpdf --show-encryption " + pw("only") + " " + shellQuote(pdf));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Supplied password is owner password"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Supplied password is user password"), std::string::npos) << r.out;
    EXPECT_NE(pdfText(pdf, "-upw only").find(kPageText), std::string::npos);
  }
}

struct PasswordCase {
  const char* name;
  std::string given;                 // what the host passes in
  std::vector<std::string> typed;    // UTF-8 texts qpdf and MuPDF accept
  std::vector<std::string> refused;  // texts both refuse
  // poppler's tools pass the bytes of -upw unchanged and keep 32 of them:
  // the bytes they need with RC4/AES-128 and with AES-256.
  std::vector<std::string> poppler_legacy, poppler_aes256;
  bool aes256_only = false;
  bool legacy_only = false;
};

TEST(EncryptedPdf, LongAndNonAsciiPasswordsBehaveAsDocumented) {
  const std::string long40 = "0123456789abcdefghijklmnopqrstuvWXYZ0123";  // 40 bytes
  std::string long140;
  for (int i = 0; i < 140; ++i) long140 += char('a' + i % 26);
  const std::string utf8 = "Gr\xc3\xbc\xc3\x9f" "e";                  // Grüße
  const std::string utf8_euro = utf8 + "\xe2\x82\xac";                  // Grüße€
  const std::vector<PasswordCase> cases = {
      {"40 bytes, cut to 32", long40, {long40, long40.substr(0, 32)}, {long40.substr(0, 31)},
       {long40.substr(0, 32)}, {}, false, true},
      {"140 bytes, cut to 127", long140, {long140, long140.substr(0, 127)}, {long140.substr(0, 126)},
       {}, {}, true, false},
      {"UTF-8", utf8, {utf8}, {"Grusse"}, {"Gr\xfc\xdf" "e"}, {utf8}},
      // The host's 8-bit text: the euro sign is 0x80 in Windows-1252 and
      // 0xA0 in PDFDocEncoding.
      {"Windows-1252", "Gr\xfc\xdf" "e\x80", {utf8_euro}, {"Grusse"}, {"Gr\xfc\xdf" "e\xa0"}, {utf8_euro}},
  };
  TempDir dir;
  for (const Mode& m : kModes) {
    const bool aes256 = m.mode == KeyLengthMode::kAes256;
    for (const PasswordCase& c : cases) {
      if ((c.aes256_only && !aes256) || (c.legacy_only && aes256)) continue;
      const std::string where = std::string(m.name) + ", " + c.name;
      const StandardSecurity security("owner", c.given, 0x01, m.mode, kFileId, false);
      const std::string pdf = savePdf(dir, "pw", security);
      for (const std::string& p : c.typed) {
        std::string report;
        EXPECT_TRUE(qpdfCheck(pdf, &report, pw(p))) << where << ": qpdf refused " << p << "\n" << report;
        EXPECT_NE(mupdfText(pdf, p).find(kPageText), std::string::npos) << where << ": MuPDF refused " << p;
      }
      for (const std::string& p : aes256 ? c.poppler_aes256 : c.poppler_legacy) {
        EXPECT_NE(pdfText(pdf, "-upw " + shellQuote(p)).find(kPageText), std::string::npos)
            << where << ": poppler refused " << p;
      }
      for (const std::string& p : c.refused) {
        const CommandResult r = run("qpdf --check " + pw(p) + " " + shellQuote(pdf));
        EXPECT_NE(r.status, 0) << where << ": qpdf accepted " << p << "\n" << r.out;
        EXPECT_EQ(mupdfText(pdf, p).find(kPageText), std::string::npos) << where << ": MuPDF accepted " << p;
      }
    }
  }
}

}  // namespace
