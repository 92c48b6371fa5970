#pragma once
// A device context: what is selected into it and, for metafile DCs, the
// recorder that turns calls into records. Used by one thread at a time.
#include <memory>

#include "pyra/gdi_types.h"
#include "platform/dc_recorder.h"
#include "platform/handle_table.h"

namespace pyra::gdi {

class DeviceContext : public GdiObject {
 public:
  enum class Type { Screen, Memory, EnhMetafile, Metafile, Printer };

  explicit DeviceContext(Type type) : GdiObject(ObjectKind::Dc), type_(type) {}
  Type type() const { return type_; }

  // Current selections; 0 means the stock default of that kind.
  HGDIOBJ font = 0;
  HGDIOBJ pen = 0;
  HGDIOBJ brush = 0;
  HGDIOBJ bitmap = 0;
  HGDIOBJ palette = 0;

  // Logical pixels per inch, as GetDeviceCaps reports them.
  int dpi_x = 96;
  int dpi_y = 96;
  // Size in pixels and depth, as GetDeviceCaps reports them.
  int horz_res = 1920;
  int vert_res = 1080;
  int bits_pixel = 32;

  // Set for DCs that record into a metafile.
  std::unique_ptr<DcRecorder> recorder;

 private:
  Type type_;
};

}  // namespace pyra::gdi
