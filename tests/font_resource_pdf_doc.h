#pragma once
// A real document for the font resource tests: the engine's writer, the
// platform stand-in's fonts, and text runs written into a page by hand.
#include <functional>
#include <memory>
#include <string>

#include "engine/fonts/font_resources.h"
#include "engine/pdf/number_text.h"
#include "engine/pdf/pdf_device.h"
#include "testkit/testkit.h"

namespace pyra::fonts::testing {

class PdfFontDoc {
 public:
  explicit PdfFontDoc(uint8_t font_mode = 0, const std::function<void(pdf::TPxPDFDevice&)>& setup = nullptr)
      : file_(dir_.file("fonts.pdf")) {
    device_.setFileName(file_);
    if (setup) setup(device_);
    device_.setFontMode(font_mode);
    device_.setCallbacks([this](int32_t code, const std::string& t) { errors += std::to_string(code) + " " + t + "\n"; },
                         nullptr);
    if (!device_.beginDocument(612, 792, 72, 0)) throw std::runtime_error("cannot begin " + file_);
    platform_ = makeGdiFontMetricsSource();
    fonts_ = std::make_unique<FontResources>(device_, *platform_);
    device_.startPage(612, 792, 72, 72, 0);
  }

  FontResources& fonts() { return *fonts_; }
  pdf::TPxPDFDevice& device() { return device_; }

  // Shows UTF-16 text at (x, y) points from the bottom left; returns the
  // bytes shown.
  std::string text(const std::string& face, int charset, uint8_t style, double size, double x, double y,
                   std::u16string_view text) {
    const int n = fonts_->findOrCreateFont(face, charset, style);
    const std::string bytes = fonts_->wideToAnsi(text);
    device_.pageContent().append("BT /F" + std::to_string(n) + " " + pdf::numberText(size) + " Tf " +
                                 pdf::numberText(x) + " " + pdf::numberText(y) + " Td " + pdf::literalString(bytes) +
                                 " Tj ET\n");
    fonts_->markUsedW(text);
    return bytes;
  }

  // Ends the document; the file's path.
  const std::string& finish() {
    device_.endDocument();
    return file_;
  }

  std::string errors;

 private:
  testkit::TempDir dir_;
  std::string file_;
  pdf::TPxPDFDevice device_;
  std::unique_ptr<FontMetricsSource> platform_;
  std::unique_ptr<FontResources> fonts_;
};

}  // namespace pyra::fonts::testing
