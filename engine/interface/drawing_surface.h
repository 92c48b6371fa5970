#pragma once
// The canvas a page or watermark is drawn on through the exported drawing
// calls: an enhanced metafile recorded in environment units and played onto
// the page (or into the watermark form) when that ends.
#include <cstdint>
#include <string>
#include <vector>

#include "pyra/gdi.h"
#include "pyra/gdi_metafile.h"

namespace pyra::interface {

class DrawingSurface {
 public:
  // `reference` is the context whose resolution the recording takes; page
  // size in units of (xres, yres).
  DrawingSurface(HDC reference, int32_t page_width, int32_t page_height, int32_t xres, int32_t yres);
  ~DrawingSurface();
  DrawingSurface(const DrawingSurface&) = delete;
  DrawingSurface& operator=(const DrawingSurface&) = delete;

  HDC dc() const { return dc_; }
  // Logical pixels per inch of the recording device.
  int32_t resX() const { return res_x_; }
  int32_t resY() const { return res_y_; }

  // Ends the recording and returns the metafile's bytes; the surface is of
  // no further use.
  std::vector<uint8_t> finish();

  // `height` in canvas units: negative for the character height, positive
  // for the cell height, as fonts take it.
  void setFont(const std::string& face, int32_t height, bool bold, bool italic, bool underline, uint8_t charset);
  void setTextColor(COLORREF color);
  // Styles 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none,
  // 6 inside frame; anything else counts as solid.
  void setPen(int32_t style, int32_t width, COLORREF color);
  // Styles 0 solid, 1 clear, 2-7 the six hatches; anything else solid.
  void setBrush(int32_t style, COLORREF color);
  // A private record for the PDF writer: code, rectangle and payload.
  void writerComment(int32_t code, int32_t left, int32_t top, int32_t right, int32_t bottom,
                     const std::string& payload);

 private:
  void release();

  HDC dc_ = 0;
  HFONT font_ = 0;
  HPEN pen_ = 0;
  HBRUSH brush_ = 0;
  int32_t res_x_ = 96, res_y_ = 96;
};

}  // namespace pyra::interface

namespace pyra::interface {

struct PyraEnvironment;

// The environment's canvas, made on first use for the current page size.
DrawingSurface& surfaceOf(PyraEnvironment& e);
// Ends the canvas's recording and plays it over the open page (or into the
// watermark being recorded); nothing when nothing was drawn.
void playSurface(PyraEnvironment& e);

}  // namespace pyra::interface
