#include "engine/render/pdf_page_device.h"

#include <algorithm>
#include <cmath>

#include "engine/fonts/font_metrics_source.h"
#include "engine/fonts/font_resources.h"
#include "engine/images/dib_image.h"
#include "engine/images/image_placement.h"
#include "engine/images/image_xobject.h"
#include "engine/pdf/error.h"

namespace pyra::render {

namespace {
// Images show as light grey boxes in the page thumbnail.
constexpr uint32_t kThumbnailImageGrey = 0xC0C0C0;
// Second option byte: text that is a web address becomes a link.
constexpr uint8_t kAutoLinkBit = 0x01;

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }
}  // namespace

PdfPageDevice::PdfPageDevice(pdf::TPxPDFDevice& document) : doc_(document) {
  text_.setBoxListener([this](const TextOutput::RunBox& box) {
    if (form_) return;
    doc_.thumbnailBox(box.x0, box.y0, box.x1, box.y1, box.colorref);
    if ((doc_.secondOptionByte() & kAutoLinkBit) && doc_.pageActive()) linkWebAddress(box);
  });
}

PdfPageDevice::~PdfPageDevice() = default;

bool PdfPageDevice::isOutputOpen() {
  if (writer().active()) return true;
  if (form_) {
    writer().startOutput();
    return true;
  }
  if (!doc_.isOpen() || !doc_.pageActive()) return false;
  writer().startOutput();
  return true;
}

void PdfPageDevice::flushContent() {
  if (!writer().active()) return;
  std::string_view content = writer().endOutput();
  if (content.empty()) return;
  if (form_) form_->append(content);
  else if (doc_.pageActive()) doc_.pageContent().append(content);
}

void PdfPageDevice::beginForm(pdf::TPxPDFStream& form, int32_t width, int32_t height, int32_t xres,
                              int32_t yres) {
  if (doc_.pageActive() || form_) throw Error("Stream is active - XForm may not be created!");
  if (writer().active()) writer().endOutput();
  reset();
  form_ = &form;
  setDeviceResolution(xres, yres);
  writer().beginPage(pdf::mulDiv(width, 72, xres), pdf::mulDiv(height, 72, yres), xres, yres);
}

void PdfPageDevice::endForm() {
  if (!form_) return;
  flushContent();
  form_ = nullptr;
  reset();
  setDeviceResolution(doc_.xResolution(), doc_.yResolution());
}

void PdfPageDevice::placeForm(const std::string& name, int32_t dy_points) {
  // The form carries its own page transform, so it is drawn in the default
  // space: everything so far is flushed with its levels closed, and the
  // next drawing opens a fresh level and writes its matrix again.
  flushContent();
  const std::string ops = "q 1 0 0 1 0 " + std::to_string(dy_points) + " cm /" + name + " Do Q\n";
  if (form_) form_->append(ops);
  else if (doc_.pageActive()) doc_.pageContent().append(ops);
}

bool PdfPageDevice::beginDocument(int32_t width, int32_t height, int32_t resolution) {
  if (writer().active()) writer().endOutput();
  text_.setFonts(nullptr);
  fonts_.reset();
  const bool opened = doc_.beginDocument(width, height, resolution, 0);
  setDeviceResolution(doc_.xResolution(), doc_.yResolution());
  reset();
  if (opened) {
    if (!platform_fonts_) platform_fonts_ = fonts::makeGdiFontMetricsSource();
    fonts_ = std::make_unique<fonts::FontResources>(doc_, *platform_fonts_);
    text_.setFonts(fonts_.get());
  }
  text_.setPerCharacter(false);
  text_.setFallbackFace("Arial");
  return opened;
}

void PdfPageDevice::startPage(int32_t width, int32_t height, int32_t xres, int32_t yres, int32_t rotation) {
  if (doc_.currentPage()) endPage();
  doc_.startPage(width, height, xres, yres, rotation);
  setDeviceResolution(doc_.xResolution(), doc_.yResolution());
  writer().beginPage(doc_.pageWidth(), doc_.pageHeight(), doc_.xResolution(), doc_.yResolution());
}

void PdfPageDevice::endPage() {
  flushContent();
  doc_.endPage();
  // The next page starts from a fresh graphics state.
  reset();
}

void PdfPageDevice::endDocument() {
  if (doc_.currentPage()) flushContent();
  doc_.endDocument();
  reset();
  // The document wrote its fonts; they belong to it alone.
  text_.setFonts(nullptr);
  fonts_.reset();
}

void PdfPageDevice::playMetafile(std::span<const uint8_t> emf, int32_t x, int32_t y, int32_t width,
                                 int32_t height, int32_t res_x, int32_t res_y) {
  playEnhMetafile(emf, res_y, res_x, false, height, width, y, x);
}

bool PdfPageDevice::beginPlay(int32_t right, int32_t bottom, int32_t res_y, int32_t res_x) {
  // A metafile played with a document but no page gets a page of its own
  // size; both resolutions become the higher one so the page keeps its
  // shape.
  if (!doc_.isOpen() || doc_.pageActive() || form_) return false;
  int32_t rx = res_x > 0 ? res_x : 96, ry = res_y > 0 ? res_y : 96;
  int32_t w = right, h = bottom;
  if (rx < ry) {
    w = pdf::mulDiv(w, ry, rx);
    rx = ry;
  } else if (ry < rx) {
    h = pdf::mulDiv(h, rx, ry);
    ry = rx;
  }
  if (w <= 0 || h <= 0) return false;
  startPage(w, h, rx, ry, 0);
  return true;
}

void PdfPageDevice::endPlay(bool begun) {
  if (begun) endPage();
}

void PdfPageDevice::writerCommand(int32_t code, const RectI& r, const std::string& payload, bool& handled) {
  if (handled) return;
  switch (code) {
    case 603:  // fallback face for text the selected face cannot show
      text_.setFallbackFace(payload.substr(0, std::min<size_t>(payload.find('\0'), 127)));
      handled = true;
      return;
    case 604:  // every character at its own advance
    case 605:
      text_.setPerCharacter(code == 604);
      handled = true;
      return;
    default:
      break;
  }
  // Navigation needs the page to exist; its content so far stays in order.
  if (doc_.pageActive()) handled = doc_.writerCommand(code, r.left, r.top, r.right, r.bottom, payload);
}

void PdfPageDevice::linkWebAddress(const TextOutput::RunBox& box) {
  std::string_view text = box.text;
  if (!startsWith(text, "http://") && !startsWith(text, "https://")) return;
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  // Page points from the top-left corner, as link areas take them.
  const double h = doc_.pageHeight();
  const double left = std::floor(box.x0), right = std::ceil(box.x1);
  const double top = std::floor(h - box.y1), bottom = std::ceil(h - box.y0);
  if (!(right > left && bottom > top) || std::abs(left) > 1e7 || std::abs(top) > 1e7 || right - left > 1e7 ||
      bottom - top > 1e7)
    return;
  doc_.navigation().addLinkArea(int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top),
                                std::string(text));
}

void PdfPageDevice::placeImage(int32_t number, double x, double y, double w, double h) {
  if (!isOutputOpen()) return;
  writer().prepareGraphics();
  images::PlacementFrame frame;
  frame.y_origin = dc().yOrigin();
  frame.y_up = dc().yUp();
  frame.divisor = writer().buffer().divisor();
  writer().buffer().writeText(images::placementOperators(number, x, y, w, h, frame));
  if (!form_ && doc_.thumbnail() && number > 0 && std::fabs(w) >= 0.01 && std::fabs(h) >= 0.01) {
    // The image's unit square as the placement maps it, then the page.
    const double hh = frame.y_up ? -h : h;
    const double ty = frame.y_origin - y - hh;
    const double ux[4] = {x, x + w, x, x + w}, uy[4] = {ty, ty, ty + hh, ty + hh};
    const ContentWriter::PageBounds p = writer().userQuadToPage(ux, uy);
    doc_.thumbnailBox(p.x0, p.y0, p.x1, p.y1, kThumbnailImageGrey);
  }
}

void PdfPageDevice::drawBitmap(float x, float y, float w, float h, int32_t sx, int32_t sy, int32_t sw, int32_t sh,
                               bool crop, const DibSource& dib, uint32_t rop, bool transparent) {
  if (!isOutputOpen()) return;
  images::DibImageRequest request;
  request.jpeg = doc_.jpegOn();
  request.jpeg_quality = doc_.jpegQuality();
  request.decode.mask_white_1bit = images::maskRuleHolds(options(), transparent);
  if (crop && sw > 0 && sh > 0) request.decode.crop = images::SourceRect{sx, sy, sw, sh};
  images::DibImage made;
  const int32_t number = images::addImageXObject(doc_, [&](const images::ImageStreamOptions& o) {
    request.stream = o;
    made = images::makeDibImage(dib.header, dib.bits, request);
    return std::move(made.stream);
  });
  placeImage(number, x, y, w, h);
}

void PdfPageDevice::extTextOut(const TextRun& run) {
  if (!doc_.isOpen() || (!doc_.pageActive() && !form_)) return;
  text_.draw(run, options());
}

}  // namespace pyra::render
