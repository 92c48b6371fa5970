#pragma once
// Pens, brushes and rectangular regions: plain descriptions kept in the
// handle table. Metafile recorders turn them into object records when they
// are selected.
#include <memory>
#include <vector>

#include "platform/handle_table.h"
#include "pyra/gdi_metafile.h"

namespace pyra::gdi {

class PenObject : public GdiObject {
 public:
  PenObject() : GdiObject(ObjectKind::Pen) {}
  uint32_t style = 0;   // full style (type, end cap, join, dash)
  uint32_t width = 1;
  COLORREF color = 0;
  uint32_t brush_style = 0;
  uint32_t hatch = 0;
  std::vector<uint32_t> user_styles;  // PS_USERSTYLE dash lengths
  bool extended = false;              // made by ExtCreatePen
  int stock_index = -1;               // GetStockObject number, or -1
  int describeA(int size, void* out) const override;
};

class BrushObject : public GdiObject {
 public:
  BrushObject() : GdiObject(ObjectKind::Brush) {}
  uint32_t style = 0;
  COLORREF color = 0;
  uint32_t hatch = 0;
  int stock_index = -1;
  int describeA(int size, void* out) const override;
};

class RegionObject : public GdiObject {
 public:
  RegionObject() : GdiObject(ObjectKind::Region) {}
  RECT rect{0, 0, 0, 0};  // normalised; empty when right <= left or bottom <= top
};

// The object as one of ours, or nullptr: a handle of the right kind is not
// proof of the type behind it.
inline const PenObject* asPen(const GdiObject& o) { return dynamic_cast<const PenObject*>(&o); }
inline const BrushObject* asBrush(const GdiObject& o) { return dynamic_cast<const BrushObject*>(&o); }
inline const RegionObject* asRegion(const GdiObject& o) { return dynamic_cast<const RegionObject*>(&o); }

// The stock pens and brushes (WHITE_BRUSH .. NULL_PEN, DC_BRUSH, DC_PEN);
// nullptr for other numbers.
std::shared_ptr<GdiObject> makeStockDrawingObject(int index);

}  // namespace pyra::gdi
