#pragma once
// The playback device of a PDF document: the record loop and content
// generator write into the open page's content stream, images become
// XObjects of the document, and writer comments reach its navigation.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "engine/pdf/pdf_device.h"
#include "engine/render/ps_device.h"
#include "engine/render/text_output.h"

namespace pyra::fonts {
class FontMetricsSource;
class FontResources;
}

namespace pyra::render {

class PdfPageDevice : public TPxGenericPSDevice {
 public:
  explicit PdfPageDevice(pdf::TPxPDFDevice& document);
  ~PdfPageDevice() override;

  pdf::TPxPDFDevice& document() { return doc_; }

  // Opens the document and starts the graphics state afresh.
  bool beginDocument(int32_t width, int32_t height, int32_t resolution);
  // Page life, kept in step with the content generator: sizes in units of
  // the resolutions, as the document's page start takes them.
  void startPage(int32_t width, int32_t height, int32_t xres, int32_t yres, int32_t rotation);
  void endPage();
  // Ends the page (if any) and the document.
  void endDocument();
  // Plays enhanced-metafile bytes onto the page at (x, y) with size
  // (width, height) in device units; 0 sizes keep the metafile's own.
  // Opens and closes a page of the metafile's size when none is open.
  void playMetafile(std::span<const uint8_t> emf, int32_t x, int32_t y, int32_t width, int32_t height,
                    int32_t res_x = 0, int32_t res_y = 0);
  // Places image XObject `number` at (x, y, w, h) in device units from the
  // top-left corner of the page.
  void placeImage(int32_t number, double x, double y, double w, double h);
  // Appends the content generated so far to the page's content stream
  // (or to the form being recorded).
  void flushContent();

  // Form recording: while a form is the target, drawing writes into its
  // data instead of a page. Size in units of (xres, yres); the form must
  // not be a page's content and no page may be active.
  void beginForm(pdf::TPxPDFStream& form, int32_t width, int32_t height, int32_t xres, int32_t yres);
  // Finishes the form's content; the caller writes the form.
  void endForm();
  bool recordingForm() const { return form_ != nullptr; }
  // Draws the form XObject `name` (a PDF name without its slash) on the
  // open page, shifted by `dy_points` upward.
  void placeForm(const std::string& name, int32_t dy_points);

  bool isOutputOpen() override;

  // The fonts of the open document; null between documents.
  fonts::FontResources* fonts() { return fonts_.get(); }
  TextOutput& text() { return text_; }

 protected:
  bool beginPlay(int32_t right, int32_t bottom, int32_t res_y, int32_t res_x) override;
  void endPlay(bool begun) override;
  void writerCommand(int32_t code, const RectI& page_rect, const std::string& payload, bool& handled) override;
  void drawBitmap(float x, float y, float w, float h, int32_t sx, int32_t sy, int32_t sw, int32_t sh, bool crop,
                  const DibSource& dib, uint32_t rop, bool transparent) override;
  void extTextOut(const TextRun& run) override;

 private:
  void linkWebAddress(const TextOutput::RunBox& box);
  pdf::TPxPDFDevice& doc_;
  int32_t image_key_pending_ = 0;
  std::unique_ptr<fonts::FontMetricsSource> platform_fonts_;
  std::unique_ptr<fonts::FontResources> fonts_;
  TextOutput text_{writer()};
  pdf::TPxPDFStream* form_ = nullptr;
};

}  // namespace pyra::render
