#include "engine/pdf/pdf_form.h"

namespace pyra::pdf {

TPxPDFForm::TPxPDFForm(TPxPDFDevice* owner, std::string name, int32_t width_points, int32_t height_points,
                       const std::string& resources)
    : TPxPDFStream(owner), width_points_(width_points), height_points_(height_points) {
  setName(std::move(name));
  // Cleared like a page's content, so its text state starts afresh.
  setKind('T');
  // Its content is written in points, like a page's.
  setExtraEntries("\n/Type/XObject/Subtype/Form/FormType 1\n/BBox [0 0 " + std::to_string(width_points) + " " +
                  std::to_string(height_points) + "]\n/Resources " + resources + "\n");
}

}  // namespace pyra::pdf
