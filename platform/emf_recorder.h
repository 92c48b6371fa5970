#pragma once
// Records the drawing calls of an enhanced-metafile DC as EMF records,
// keeping the device bounds of what is drawn for the header.
#include <string>

#include "platform/emf_writer.h"
#include "platform/metafile_recorder.h"

namespace pyra::gdi {

struct EmfRecorderSetup {
  int dpi_x = 96, dpi_y = 96;
  SIZEL device_px{0, 0};       // 0: an A4 page at the resolution
  const RECT* frame = nullptr;  // .01 mm; null: from the bounds
  std::u16string description;
};

class EmfRecorder : public MetafileRecorder {
 public:
  explicit EmfRecorder(const EmfRecorderSetup& setup);

  void objectSelected(HGDIOBJ handle, const GdiObject& object) override;

  bool simple(uint32_t emr_type, std::initializer_list<int32_t> params) override;
  bool poly(uint32_t emr_type, std::span<const IntPoint> points) override;
  bool polyPoly(bool polygon, std::span<const uint32_t> counts, std::span<const IntPoint> points) override;
  bool worldTransform(uint32_t emr_type, const XFORM& xform, uint32_t mode) override;
  bool text(DeviceContext& dc, int32_t x, int32_t y, uint32_t options, const RECTL* clip, std::u16string_view text,
            std::span<const uint8_t> ansi, std::span<const int32_t> dx) override;
  bool stretchDib(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t sx, int32_t sy, int32_t scx, int32_t scy,
                  std::span<const uint8_t> bmi, std::span<const uint8_t> bits, uint32_t usage, uint32_t rop) override;
  bool patBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop) override;
  bool clipRegion(uint32_t mode, std::span<const RECTL> rects) override;
  bool comment(std::span<const uint8_t> data) override;

  // Ends the recording: the whole metafile.
  std::vector<uint8_t> finish();

 private:
  IntPoint toDevice(double x, double y) const;
  RECTL deviceBounds(std::span<const IntPoint> pts) const;
  void addBounds(const RECTL& r);
  bool createObject(uint32_t index, const GdiObject& object) override;
  void deleteObject(uint32_t index) override;
  void selectIndex(uint32_t index) { simple(kSelect, {int32_t(index)}); }
  static constexpr uint32_t kSelect = 37;

  EmfWriter w_;
  EmfRecorderSetup setup_;
  RECT frame_{};
  bool has_frame_ = false;
  SIZEL device_px_{}, device_mm_{};
  BoundsBox bounds_;
};

}  // namespace pyra::gdi
