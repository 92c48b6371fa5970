#pragma once
// Helpers every test area shares: scratch folders, files, and running the
// independent readers (qpdf, poppler) that judge our output.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace pyra::testkit {

// A fresh folder under the system temp dir, removed when the object dies.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

struct CommandResult {
  int status = -1;   // exit code, or -1 when the command could not run
  std::string out;   // standard output and standard error together
};

// Runs a shell command line and captures its output.
CommandResult run(const std::string& command_line);

// Quotes a path for a shell command line.
std::string shellQuote(const std::string& s);

std::vector<uint8_t> readFile(const std::string& path);
std::string readText(const std::string& path);
void writeFile(const std::string& path, const void* data, size_t size);
void writeFile(const std::string& path, const std::string& text);

// qpdf --check; true when it reports no errors and no warnings.
bool qpdfCheck(const std::string& pdf, std::string* report = nullptr, const std::string& extra = "");
// pdftotext -layout to standard output.
std::string pdfText(const std::string& pdf, const std::string& extra = "");
// pdfinfo output ("Key: value" lines).
std::string pdfInfo(const std::string& pdf, const std::string& extra = "");

// A 24-bit bottom-up BMP file of w x h pixels in one colour.
std::vector<uint8_t> solidBmpFile(int w, int h, uint8_t r, uint8_t g, uint8_t b);

// A page rendered by pdftoppm as 8-bit RGB, for pixel probes.
struct Raster {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  struct Rgb { int r, g, b; };
  Rgb at(int x, int y) const;
  bool isDark(int x, int y) const;    // all channels below 96
  bool isWhite(int x, int y) const;   // all channels above 224
};
// Renders page `page` (1-based) at `dpi`; an empty raster when rendering failed.
Raster renderPage(const std::string& pdf, int page, int dpi = 72);

}  // namespace pyra::testkit
