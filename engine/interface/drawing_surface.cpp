#include "engine/interface/drawing_surface.h"

#include <cmath>
#include <cstring>

#include "engine/pdf/error.h"

namespace pyra::interface {

namespace {
constexpr uint32_t kWriterCommentId = 0x0001D5CD;

LONG hundredthsOfMm(int32_t units, int32_t resolution) {
  return LONG(std::lround(double(units) / (resolution > 0 ? resolution : 72) * 2540.0));
}

void putLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
}  // namespace

DrawingSurface::DrawingSurface(HDC reference, int32_t page_width, int32_t page_height, int32_t xres,
                               int32_t yres) {
  const RECT frame{0, 0, hundredthsOfMm(page_width, xres), hundredthsOfMm(page_height, yres)};
  dc_ = CreateEnhMetaFileA(reference, nullptr, &frame, nullptr);
  if (!dc_) throw Error("the drawing surface cannot be recorded");
  const HDC probe = reference ? reference : dc_;
  res_x_ = GetDeviceCaps(probe, LOGPIXELSX);
  res_y_ = GetDeviceCaps(probe, LOGPIXELSY);
  if (res_x_ <= 0) res_x_ = 96;
  if (res_y_ <= 0) res_y_ = 96;
  // Canvas coordinates are environment units.
  SetMapMode(dc_, MM_ANISOTROPIC);
  SetViewportExtEx(dc_, res_x_, res_y_, nullptr);
  SetWindowExtEx(dc_, xres > 0 ? xres : 72, yres > 0 ? yres : 72, nullptr);
  SetWindowOrgEx(dc_, 0, 0, nullptr);
  SetViewportOrgEx(dc_, 0, 0, nullptr);
  setBrush(1, RGB(255, 255, 255));
  setFont("Arial", -int32_t(std::lround(11.0 * (yres > 0 ? yres : 72) / 72.0)), false, false, false,
          DEFAULT_CHARSET);
}

DrawingSurface::~DrawingSurface() {
  if (dc_) {
    HENHMETAFILE emf = CloseEnhMetaFile(dc_);
    if (emf) DeleteEnhMetaFile(emf);
    dc_ = 0;
  }
  release();
}

void DrawingSurface::release() {
  if (font_) DeleteObject(font_);
  if (pen_) DeleteObject(pen_);
  if (brush_) DeleteObject(brush_);
  font_ = 0;
  pen_ = 0;
  brush_ = 0;
}

std::vector<uint8_t> DrawingSurface::finish() {
  std::vector<uint8_t> bytes;
  if (!dc_) return bytes;
  HENHMETAFILE emf = CloseEnhMetaFile(dc_);
  dc_ = 0;
  release();
  if (!emf) return bytes;
  const UINT size = GetEnhMetaFileBits(emf, 0, nullptr);
  bytes.resize(size);
  if (size == 0 || GetEnhMetaFileBits(emf, size, bytes.data()) != size) bytes.clear();
  DeleteEnhMetaFile(emf);
  return bytes;
}

void DrawingSurface::setFont(const std::string& face, int32_t height, bool bold, bool italic, bool underline,
                             uint8_t charset) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = italic ? 1 : 0;
  lf.lfUnderline = underline ? 1 : 0;
  lf.lfCharSet = charset;
  std::strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectA(&lf);
  if (!font) return;
  SelectObject(dc_, font);
  if (font_) DeleteObject(font_);
  font_ = font;
}

void DrawingSurface::setTextColor(COLORREF color) { SetTextColor(dc_, color & 0x00FFFFFF); }

void DrawingSurface::setPen(int32_t style, int32_t width, COLORREF color) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) style = PS_SOLID;
  HPEN pen = CreatePen(style, width < 0 ? 0 : width, color & 0x00FFFFFF);
  if (!pen) return;
  SelectObject(dc_, pen);
  if (pen_) DeleteObject(pen_);
  pen_ = pen;
}

void DrawingSurface::setBrush(int32_t style, COLORREF color) {
  color &= 0x00FFFFFF;
  HBRUSH brush = 0;
  if (style == 1) {
    SelectObject(dc_, GetStockObject(NULL_BRUSH));
    SetBkMode(dc_, TRANSPARENT);
  } else if (style >= 2 && style <= 7) {
    // Hatches: horizontal, vertical, forward and backward diagonal, cross,
    // diagonal cross, between transparent gaps.
    brush = CreateHatchBrush(style - 2, color);
    SetBkMode(dc_, TRANSPARENT);
  } else {
    brush = CreateSolidBrush(color);
    SetBkColor(dc_, color);
    SetBkMode(dc_, OPAQUE);
  }
  if (brush) SelectObject(dc_, brush);
  if (brush_) DeleteObject(brush_);
  brush_ = brush;
}

void DrawingSurface::writerComment(int32_t code, int32_t left, int32_t top, int32_t right, int32_t bottom,
                                   const std::string& payload) {
  std::vector<uint8_t> data;
  data.reserve(28 + payload.size());
  for (int32_t v : {code, int32_t(kWriterCommentId), left, top, right, bottom, int32_t(payload.size())})
    putLe32(data, uint32_t(v));
  data.insert(data.end(), payload.begin(), payload.end());
  GdiComment(dc_, UINT(data.size()), data.data());
}

}  // namespace pyra::interface

#include "engine/interface/environment.h"

namespace pyra::interface {

DrawingSurface& surfaceOf(PyraEnvironment& e) {
  if (!e.surface) {
    if (!e.screen_dc) e.screen_dc = CreateCompatibleDC(0);
    e.surface = std::make_shared<DrawingSurface>(e.screen_dc, e.page_width, e.page_height, e.xres, e.yres);
    e.canvas_res_x = e.surface->resX();
    e.canvas_res_y = e.surface->resY();
  }
  return *e.surface;
}

void playSurface(PyraEnvironment& e) {
  std::shared_ptr<DrawingSurface> surface = std::move(e.surface);
  if (!surface) return;
  std::vector<uint8_t> bytes = surface->finish();
  surface.reset();
  if (bytes.empty()) return;
  e.pages->setDeviceOptions(e.device->optionWord());
  e.pages->playMetafile(bytes, 0, 0, e.page_width, e.page_height, e.canvas_res_x, e.canvas_res_y);
}

}  // namespace pyra::interface
