#pragma once
// A form XObject: page content recorded once and drawn by name on any
// number of pages, through the shared resources it refers to.
#include <cstdint>
#include <string>

#include "engine/pdf/pdf_stream.h"

namespace pyra::pdf {

class TPxPDFForm : public TPxPDFStream {
 public:
  // Size in points; `resources` is the reference of its resources.
  TPxPDFForm(TPxPDFDevice* owner, std::string name, int32_t width_points, int32_t height_points,
             const std::string& resources);
  const char* className() const override { return "TPxPDFForm"; }
  int32_t widthPoints() const { return width_points_; }
  int32_t heightPoints() const { return height_points_; }

 private:
  int32_t width_points_, height_points_;
};

}  // namespace pyra::pdf
