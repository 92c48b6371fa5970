#include "demo/reports/wmf_page_recorder.h"

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "demo/reports/report_error.h"
#include "demo/reports/utf16.h"
#include "pyra/gdi.h"
#include "pyra/gdi_metafile.h"

namespace pyra::reports {

namespace {

// The recording DC and every object created for it, released on every way
// out; an exception between creation and close leaks no handle.
class PageRecording {
 public:
  PageRecording(const std::filesystem::path& file, DrawingObjects& objects) : file_(file), objects_(objects) {
    dc_ = CreateMetaFileA(nullptr);
    if (dc_ == 0) throw ReportError(file.string() + ": the metafile recorder could not start");
  }
  ~PageRecording() {
    if (dc_ != 0) {
      deselect();
      const HMETAFILE wmf = CloseMetaFile(dc_);
      if (wmf != 0) DeleteMetaFile(wmf);
    }
  }
  PageRecording(const PageRecording&) = delete;
  PageRecording& operator=(const PageRecording&) = delete;

  HDC dc() const { return dc_; }

  void selectFont(const FontSpec& spec) {
    const uint32_t font = objects_.font(spec);
    if (font == 0) throw ReportError(file_.string() + ": font \"" + spec.face + "\" could not be created");
    select(font);
  }

  void selectPen(int32_t width, uint32_t colour) {
    const uint32_t pen = objects_.pen(width, colour);
    if (pen == 0) throw ReportError(file_.string() + ": a pen could not be created");
    select(pen);
  }

  void selectBrush(uint32_t fill) {
    if (fill == kNoFill) {
      select(GetStockObject(NULL_BRUSH));
      return;
    }
    const uint32_t brush = objects_.brush(fill);
    if (brush == 0) throw ReportError(file_.string() + ": a brush could not be created");
    select(brush);
  }

  void finish(const PageSize& size) {
    deselect();
    const HMETAFILE wmf = CloseMetaFile(dc_);
    dc_ = 0;
    if (wmf == 0) throw ReportError(file_.string() + ": the metafile recorder could not finish the page");
    const RECT box{0, 0, size.width, size.height};
    const BOOL written = PyraWritePlaceableMetaFile(wmf, file_.c_str(), &box, kMilsPerInch);
    DeleteMetaFile(wmf);
    if (!written) throw ReportError(file_.string() + ": the page file could not be written");
  }

 private:
  void select(HGDIOBJ object) {
    const HGDIOBJ previous = SelectObject(dc_, object);
    // The first object displaced of each kind is the DC's own; it goes
    // back before the DC closes so nothing of ours stays selected.
    if (previous != 0 && !originals_.contains(kindOf(object))) originals_[kindOf(object)] = previous;
  }
  void deselect() {
    for (auto& [kind, original] : originals_) SelectObject(dc_, original);
    originals_.clear();
  }
  static int kindOf(HGDIOBJ object) { return int(GetObjectType(object)); }

  std::filesystem::path file_;
  HDC dc_ = 0;
  DrawingObjects& objects_;
  std::map<int, HGDIOBJ> originals_;
};

const std::string* lookUp(const std::string& name, const PlacedBand& band, const PlacedPage& page,
                          const ReportLayout& layout) {
  for (const Fields* fields : {&band.values, &page.page_fields, &layout.report_fields}) {
    auto it = fields->find(name);
    if (it != fields->end()) return &it->second;
  }
  return nullptr;
}

void drawText(PageRecording& rec, const Element& e, int32_t left, int32_t top, const std::string& s) {
  if (s.empty()) return;
  rec.selectFont(e.font);
  SetTextColor(rec.dc(), e.color);
  const RECT clip{left, top, left + e.box.w, top + e.box.h};
  int32_t x = left;
  UINT align = TA_TOP;
  switch (e.align) {
    case Align::Left: align |= TA_LEFT; break;
    case Align::Center: align |= TA_CENTER; x = left + e.box.w / 2; break;
    case Align::Right: align |= TA_RIGHT; x = left + e.box.w; break;
  }
  SetTextAlign(rec.dc(), align);
  const std::u16string wide = utf16FromUtf8(s);
  ExtTextOutW(rec.dc(), x, top, ETO_CLIPPED, &clip, reinterpret_cast<const WCHAR*>(wide.data()),
              UINT(wide.size()), nullptr);
}

void drawPicture(HDC dc, const Picture& p, int32_t left, int32_t top, const Rect& box) {
  if (p.width <= 0 || p.height <= 0) return;
  const size_t stride = (size_t(p.width) * 3 + 3) & ~size_t(3);
  if (p.bits.size() < stride * size_t(p.height)) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = p.width;
  info.bmiHeader.biHeight = p.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = DWORD(stride * size_t(p.height));
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, left, top, box.w, box.h, 0, 0, p.width, p.height, p.bits.data(), &info, DIB_RGB_COLORS,
                SRCCOPY);
}

}  // namespace

DrawingObjects::~DrawingObjects() {
  for (auto& [key, font] : fonts_) DeleteObject(font);
  for (auto& [key, pen] : pens_) DeleteObject(pen);
  for (auto& [key, brush] : brushes_) DeleteObject(brush);
}

uint32_t DrawingObjects::font(const FontSpec& spec) {
  const auto key = std::make_tuple(spec.face, spec.points, spec.bold, spec.italic);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  const int height = -int(int64_t(spec.points) * kMilsPerInch / 72);
  const HFONT font = CreateFontA(height, 0, 0, 0, spec.bold ? FW_BOLD : FW_NORMAL, spec.italic ? 1 : 0, 0, 0,
                                 ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH, spec.face.c_str());
  if (font != 0) fonts_.emplace(key, font);
  return font;
}

uint32_t DrawingObjects::pen(int32_t width, uint32_t colour) {
  auto it = pens_.find({width, colour});
  if (it != pens_.end()) return it->second;
  const HPEN pen = CreatePen(PS_SOLID, width, colour);
  if (pen != 0) pens_.emplace(std::make_pair(width, colour), pen);
  return pen;
}

uint32_t DrawingObjects::brush(uint32_t colour) {
  auto it = brushes_.find(colour);
  if (it != brushes_.end()) return it->second;
  const HBRUSH brush = CreateSolidBrush(colour);
  if (brush != 0) brushes_.emplace(colour, brush);
  return brush;
}

void recordPage(const ReportLayout& layout, const PlacedPage& page, const std::filesystem::path& file) {
  DrawingObjects objects;
  recordPage(layout, page, file, objects);
}

void recordPage(const ReportLayout& layout, const PlacedPage& page, const std::filesystem::path& file,
                DrawingObjects& objects) {
  if (page.size.width <= 0 || page.size.height <= 0 || page.size.width > kMaxPageSide ||
      page.size.height > kMaxPageSide)
    throw ReportError(file.string() + ": a page of " + std::to_string(page.size.width) + " x " +
                      std::to_string(page.size.height) + " mils cannot be recorded");
  PageRecording rec(file, objects);
  const HDC dc = rec.dc();
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, page.size.width, page.size.height, nullptr);
  SetBkMode(dc, TRANSPARENT);

  for (const PlacedBand& placed : page.bands) {
    const int32_t left = layout.margins.left;
    for (const Element& e : placed.band->elements) {
      const int32_t x = left + e.box.x, y = placed.top + e.box.y;
      switch (e.kind) {
        case Element::Kind::Text: {
          std::string s = e.text;
          if (!e.field.empty())
            if (const std::string* v = lookUp(e.field, placed, page, layout)) s += *v;
          drawText(rec, e, x, y, s);
          break;
        }
        case Element::Kind::Line:
          rec.selectPen(e.pen, e.color);
          MoveToEx(dc, x, y, nullptr);
          LineTo(dc, x + e.box.w, y + e.box.h);
          break;
        case Element::Kind::Box:
          rec.selectPen(e.pen, e.color);
          rec.selectBrush(e.fill);
          Rectangle(dc, x, y, x + e.box.w, y + e.box.h);
          break;
        case Element::Kind::Picture:
          if (e.picture) drawPicture(dc, *e.picture, x, y, e.box);
          break;
      }
    }
  }
  rec.finish(page.size);
}

}  // namespace pyra::reports
