#pragma once
// Image XObjects in a document: made once, registered in the shared
// resources under "/pxo" + number, written as soon as they exist so the
// document streams forward.
#include <cstdint>
#include <functional>

#include "engine/images/image_stream.h"
#include "engine/pdf/pdf_device.h"
#include "engine/pdf/pdf_stream.h"

namespace pyra::images {

class TPxPDFImage : public pdf::TPxPDFStream {
 public:
  explicit TPxPDFImage(pdf::TPxPDFDevice* owner) : TPxPDFStream(owner) {}
  void setImage(ImageStream image);
  const char* className() const override { return "TPxPDFImage"; }
  void writeStream() override;
  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }

 private:
  ImageStream image_;
  uint32_t width_ = 0, height_ = 0;
};

// Adds an image made by `make` (given the number it will carry) to the
// document; returns that number (1-based position among the XObjects).
// The image is written at once unless `held_back`.
int32_t addImageXObject(pdf::TPxPDFDevice& device, const std::function<ImageStream(const ImageStreamOptions&)>& make,
                        bool held_back = false);

// The options a document's settings give an image numbered `number`.
ImageStreamOptions imageOptionsFor(pdf::TPxPDFDevice& device, int number);

}  // namespace pyra::images
