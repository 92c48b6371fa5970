// Encrypted documents written through the exported calls, opened by qpdf
// and poppler with each password.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "pyra/pyractl.h"
#include "testkit/testkit.h"

using namespace pyra::testkit;

namespace {

std::string writeEncrypted(const TempDir& dir, int key_mode, const char* user, const char* owner, int permission) {
  PyraOptions o{};
  o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
  o.PERMISSION = permission;
  std::strncpy(o.USERPASSWORD, user, sizeof o.USERPASSWORD - 1);
  std::strncpy(o.OWNERPASSWORD, owner, sizeof o.OWNERPASSWORD - 1);
  std::strncpy(o.TITLE, "Secret (title)", sizeof o.TITLE - 1);
  int32_t env = PYRA_InitializeEx(&o);
  PYRA_SetIProp(env, 13, key_mode);
  std::string file = dir.file("enc" + std::to_string(key_mode) + ".pdf");
  EXPECT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1);
  PYRA_StartPageEx(env, 612, 792, 0);
  PYRA_EndDoc(env);
  PYRA_Finalize(env);
  return file;
}

}  // namespace

TEST(Encryption, EveryKeyModeOpensWithEitherPasswordOnly) {
  TempDir dir;
  struct Case { int mode; const char* version; const char* revision; } cases[] = {
      {0, "%PDF-1.2", "R = 2"}, {1, "%PDF-1.4", "R = 3"}, {2, "%PDF-1.6", "R = 4"}, {3, "%PDF-1.7", "R = 6"},
  };
  for (const auto& c : cases) {
    std::string file = writeEncrypted(dir, c.mode, "user", "owner", 1 | 2);  // encrypt, allow printing
    EXPECT_EQ(readText(file).rfind(c.version, 0), 0u) << c.mode;
    std::string report;
    EXPECT_TRUE(qpdfCheck(file, &report, "--password=user")) << c.mode << report;
    EXPECT_TRUE(qpdfCheck(file, &report, "--password=owner")) << c.mode << report;
    EXPECT_FALSE(qpdfCheck(file, &report, "--password=wrong")) << c.mode;
    std::string shown = run("qpdf --show-encryption --password=owner " + shellQuote(file)).out;
    EXPECT_NE(shown.find(c.revision), std::string::npos) << c.mode << shown;
    EXPECT_NE(pdfInfo(file, "-upw user").find("Secret (title)"), std::string::npos) << c.mode;
  }
}

TEST(Encryption, EmptyUserPasswordOpensWithoutAsking) {
  TempDir dir;
  std::string file = writeEncrypted(dir, 1, "", "owner", 1);
  std::string report;
  EXPECT_TRUE(qpdfCheck(file, &report)) << report;
  std::string info = pdfInfo(file);
  EXPECT_NE(info.find("Encrypted:"), std::string::npos);
  EXPECT_NE(info.find("print:no"), std::string::npos) << info;
  EXPECT_NE(info.find("Secret (title)"), std::string::npos) << info;
}

TEST(Encryption, TextImagesLinksAndWatermarksStayReadable) {
  TempDir dir;
  for (int mode : {0, 1, 2, 3}) {
    PyraOptions o{};
    o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
    o.PERMISSION = 1 | 2 | 8;  // encrypt, print, copy
    o.COMPRESSION = 1;
    std::strncpy(o.USERPASSWORD, "user", sizeof o.USERPASSWORD - 1);
    std::strncpy(o.OWNERPASSWORD, "owner", sizeof o.OWNERPASSWORD - 1);
    int32_t env = PYRA_InitializeEx(&o);
    PYRA_SetIProp(env, 13, mode);
    std::string file = dir.file("all" + std::to_string(mode) + ".pdf");
    ASSERT_EQ(PYRA_BeginDoc(env, file.c_str(), 0), 1);
    PYRA_StartWatermark(env, "Mark");
    PYRA_SetTextAttr(env, "Arial", 40, 1, 0, 0);
    PYRA_TextOut(env, 150, 400, "DRAFT COPY");
    PYRA_EndWatermark(env);
    PYRA_StartPage(env);
    PYRA_DrawWatermark(env, "Mark", 0);
    PYRA_SetTextAttr(env, "Times New Roman", 14, 0, 0, 0);
    PYRA_TextOut(env, 72, 72, "Confidential figures (2026)");
    PYRA_Hyperlink(env, 72, 100, 200, 20, "http://example.org/report");
    // A 2 x 2 24-bit DIB.
    uint8_t info[40] = {40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0};
    uint8_t bits[16] = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0};
    EXPECT_GT(PYRA_DrawDIB(env, 300, 300, 100, 100, info, bits), 0);
    // No EndPage: ending the document keeps what was drawn on the open page.
    PYRA_EndDoc(env);
    PYRA_Finalize(env);

    std::string report;
    EXPECT_TRUE(qpdfCheck(file, &report, "--password=user")) << mode << report;
    std::string text = pdfText(file, "-upw user");
    EXPECT_NE(text.find("Confidential figures (2026)"), std::string::npos) << mode << text;
    EXPECT_NE(text.find("DRAFT COPY"), std::string::npos) << mode << text;
    EXPECT_NE(run("pdfimages -list -upw user " + shellQuote(file)).out.find("rgb"), std::string::npos) << mode;
    std::string links = run("qpdf --password=user --qdf --object-streams=disable " + shellQuote(file) + " -").out;
    EXPECT_NE(links.find("http://example.org/report"), std::string::npos) << mode;
    EXPECT_EQ(pdfText(file, "-upw wrong").find("Confidential"), std::string::npos) << mode;
  }
}
