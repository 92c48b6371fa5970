#pragma once
// Runs drawing calls through a ContentWriter, puts the stream on a page and
// hands back what independent readers make of it.
#include <functional>
#include <string>

#include "engine/render/content_writer.h"
#include "testkit/testkit.h"

namespace pyra::rendertest {

struct Drawn {
  std::string content;       // the page's content stream
  std::string qpdf_report;   // empty when qpdf --check is clean
  bool qpdf_ok = false;
  std::string syntax_fault;  // empty when every token and operator order is valid
  testkit::Raster raster;    // 72 dpi: one pixel per point, y down from the top
};

struct PageSetup {
  int width = 200, height = 200;
  int resolution = 72;  // device units per inch
  render::TPxDeviceOptions options = 0;
  bool rasterize = true;
};

Drawn draw(const std::function<void(render::ContentWriter&)>& body, const PageSetup& page = {});

// Checks content-stream text: every token a number, array bracket or known
// operator; no state operator inside a path object; paint operators only
// after a path; q/Q balanced and never below zero; no "nan" or "inf".
std::string syntaxFault(const std::string& content);

// Occurrences of `needle` in `hay`.
int count(const std::string& hay, const std::string& needle);

// Pixel helpers on a raster.
bool near(const testkit::Raster::Rgb& c, int r, int g, int b, int tol = 40);
// Number of dark runs along a line of pixels from (x0,y0) stepping (dx,dy) n times.
int darkRuns(const testkit::Raster& r, int x0, int y0, int dx, int dy, int n);

}  // namespace pyra::rendertest
