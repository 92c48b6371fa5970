#pragma once
// Metafiles that other programs wrote (libEMF, LibreOffice), the peers that
// render them (LibreOffice, Inkscape), and the raster arithmetic that lets
// three renderings of one page be compared cell by cell.
#include <cstdint>
#include <string>
#include <vector>

namespace pyra::peers {

// Header fields of an enhanced metafile that placement depends on.
struct EmfHeader {
  int32_t bounds[4] = {};      // device units of the reference device
  int32_t frame[4] = {};       // 0.01 mm
  int32_t device_px[2] = {};   // reference device size in pixels
  int32_t device_mm[2] = {};   // and in millimetres
  double frameWidthMm() const { return (frame[2] - frame[0]) / 100.0; }
  double frameHeightMm() const { return (frame[3] - frame[1]) / 100.0; }
};
// False when the file is not an enhanced metafile.
bool readEmfHeader(const std::string& path, EmfHeader* out);

// The home folder given to peers, so parallel tests never share a profile.
std::string peerEnv(const std::string& home);
bool haveTool(const std::string& name);

// libEMF pages (shapes.emf, text.emf) written into dir; "" or the reason.
std::string writeLibEmfPages(const std::string& dir);
// Two SVG drawings on 800 x 600 units: drawingSvg has shapes, a 4 x 4
// bitmap, a disc clipped to a rectangle and text; richSvg a gradient, a
// half-transparent rectangle, dash arrays, a bezier and rotated text.
// LibreOffice converts them to dir/lodraw.emf and dir/lorich.emf, Inkscape
// to dir/inkdraw.emf and dir/inkrich.emf (Inkscape writes the clip as a
// clip path and text as outlines); "" or the reason.
std::string drawingSvg();
std::string richSvg();
std::string writeLibreOfficeDrawing(const std::string& dir, const std::string& home);
std::string writeInkscapeDrawing(const std::string& dir, const std::string& home);

// A flat drawing whose one page is the metafile's frame, filled by the
// metafile: LibreOffice opens a bare metafile on an A4 page instead.
std::string fodgWrapper(const std::string& emf_name, double width_mm, double height_mm);

struct Image {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  bool empty() const { return rgb.empty(); }
};
// Page 1 of pdf rasterised by pdftoppm to exactly width x height pixels.
Image rasterise(const std::string& pdf, int width, int height);
// The image moved right and down by (dx, dy) pixels, paper filling the gap.
Image shifted(const Image& image, int dx, int dy);
void writePng(const std::string& path, const Image& image);
// Panels side by side on a grey ground, with a gap between them.
Image montage(const std::vector<Image>& panels);

}  // namespace pyra::peers
