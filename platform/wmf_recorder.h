#pragma once
// Records the drawing calls of a Windows-metafile DC as WMF records. What a
// Windows metafile cannot hold (paths, world transforms) is refused; Bezier
// curves are flattened; coordinates outside 16 bits are clamped.
#include "platform/charset_text.h"
#include "platform/metafile_recorder.h"
#include "platform/wmf_writer.h"

namespace pyra::gdi {

class WmfRecorder : public MetafileRecorder {
 public:
  WmfRecorder() : MetafileRecorder(0) {}

  void objectSelected(HGDIOBJ handle, const GdiObject& object) override;

  bool simple(uint32_t emr_type, std::initializer_list<int32_t> params) override;
  bool poly(uint32_t emr_type, std::span<const IntPoint> points) override;
  bool polyPoly(bool polygon, std::span<const uint32_t> counts, std::span<const IntPoint> points) override;
  bool worldTransform(uint32_t emr_type, const XFORM& xform, uint32_t mode) override { return false; }
  bool text(DeviceContext& dc, int32_t x, int32_t y, uint32_t options, const RECTL* clip, std::u16string_view text,
            std::span<const uint8_t> ansi, std::span<const int32_t> dx) override;
  bool stretchDib(int32_t x, int32_t y, int32_t cx, int32_t cy, int32_t sx, int32_t sy, int32_t scx, int32_t scy,
                  std::span<const uint8_t> bmi, std::span<const uint8_t> bits, uint32_t usage, uint32_t rop) override;
  bool patBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop) override;
  bool clipRegion(uint32_t mode, std::span<const RECTL> rects) override;
  bool comment(std::span<const uint8_t> data) override;

  std::vector<uint8_t> finish();

 private:
  bool createObject(uint32_t slot, const GdiObject& object) override;
  void deleteObject(uint32_t slot) override;
  // The header's object count follows the highest slot taken.
  void countObjects();
  void createRegion(const RECTL& r);
  WmfWriter w_;
  uint8_t font_charset_ = 0;
  CharsetDecoder text_codec_;
};

}  // namespace pyra::gdi
