#pragma once
// A device context that records (into an enhanced or a Windows metafile)
// carries a recorder; the selection and deletion calls tell it what happened
// so that it can write the matching object records.
#include "pyra/gdi_types.h"

namespace pyra::gdi {

class GdiObject;

class DcRecorder {
 public:
  virtual ~DcRecorder() = default;
  // SelectObject has made `object` (handle `handle`) current in the DC.
  virtual void objectSelected(HGDIOBJ handle, const GdiObject& object) = 0;
  // DeleteObject is deleting `handle`; the recorder may still refer to it.
  virtual void objectDeleted(HGDIOBJ handle) = 0;
};

}  // namespace pyra::gdi
