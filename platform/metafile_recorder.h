#pragma once
// The common part of the EMF and WMF recorders: the attribute state the
// drawing calls read back (colours, modes, mapping, current position) with
// its SaveDC stack, and the operations the drawing calls hand over. The
// operations are shaped after the EMF records; the WMF recorder translates
// them and refuses (returns false) what a Windows metafile cannot hold.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/dc_recorder.h"
#include "platform/emf_record_emit.h"
#include "platform/metafile_object_table.h"
#include "pyra/gdi_types.h"

namespace pyra::gdi {

class DeviceContext;

struct DcAttributes {
  COLORREF text_color = 0;
  COLORREF bk_color = 0xFFFFFF;
  int32_t bk_mode = 2;
  int32_t poly_fill = 1;
  int32_t rop2 = 13;
  int32_t stretch_mode = 1;
  int32_t char_extra = 0;
  int32_t graphics_mode = 1;
  uint32_t text_align = 0;
  uint32_t map_mode = 1;
  IntPoint window_org{0, 0}, viewport_org{0, 0};
  IntPoint window_ext{1, 1}, viewport_ext{1, 1};
  XFORM world{1, 0, 0, 1, 0, 0};
  IntPoint position{0, 0};
  bool in_path = false;
  // Selections, restored by RestoreDC.
  uint32_t font = 0, pen = 0, brush = 0;
};

class MetafileRecorder : public DcRecorder {
 public:
  static constexpr size_t kMaxSaveDepth = 4096;

  DcAttributes& attrs() { return attrs_; }
  // SaveDC: the new level, 0 when the stack is full.
  int save();
  // RestoreDC: false for a level that does not exist.
  bool restore(int saved);
  int saveDepth() const { return int(saved_.size()); }

  // A record of 32-bit parameters (state, mapping, shapes, path brackets).
  virtual bool simple(uint32_t emr_type, std::initializer_list<int32_t> params) = 0;
  // EMR_POLY* (32-bit type): points in logical units.
  virtual bool poly(uint32_t emr_type, std::span<const IntPoint> points) = 0;
  virtual bool polyPoly(bool polygon, std::span<const uint32_t> counts, std::span<const IntPoint> points) = 0;
  virtual bool worldTransform(uint32_t emr_type, const XFORM& xform, uint32_t mode) = 0;
  // Text: UTF-16 with one advance per unit (empty when none is known);
  // `ansi` is the 8-bit form when the caller gave one.
  virtual bool text(DeviceContext& dc, int32_t x, int32_t y, uint32_t options, const RECTL* clip,
                    std::u16string_view text, std::span<const uint8_t> ansi, std::span<const int32_t> dx) = 0;
  virtual bool stretchDib(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t sx, int32_t sy, int32_t scx,
                          int32_t scy, std::span<const uint8_t> bmi, std::span<const uint8_t> bits, uint32_t usage,
                          uint32_t rop) = 0;
  virtual bool patBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop) = 0;
  // Clip to rectangles in logical units (none with RGN_COPY: no clip).
  virtual bool clipRegion(uint32_t mode, std::span<const RECTL> rects) = 0;
  virtual bool comment(std::span<const uint8_t> data) = 0;
  // Selects `handle` as if SelectObject had (used by RestoreDC and FillRect).
  void reselect(uint32_t handle);
  void objectDeleted(HGDIOBJ handle) override;

 protected:
  // first_object_index: the lowest index the format gives an object.
  explicit MetafileRecorder(uint32_t first_object_index) : objects_(first_object_index) {}

  // The metafile index of handle's object, written on its first selection
  // after the objects whose handle died are deleted (so their indexes are
  // reused); nullopt when no index is free or nothing was written.
  std::optional<uint32_t> objectIndex(HGDIOBJ handle, const GdiObject& object);
  // The record creating `object` at `index`; false when nothing was written
  // (the format does not hold the object, or it was used another way).
  virtual bool createObject(uint32_t index, const GdiObject& object) = 0;
  virtual void deleteObject(uint32_t index) = 0;

  DcAttributes attrs_;
  std::vector<DcAttributes> saved_;
  MetafileObjectTable objects_;
};

// The recorder of a metafile DC; nullptr for DCs that do not record.
MetafileRecorder* recorderOf(DeviceContext& dc);

}  // namespace pyra::gdi
