#pragma once
// The objects behind HENHMETAFILE and HMETAFILE: validated bytes in memory.
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/handle_table.h"
#include "platform/wmf_reader.h"

namespace pyra::gdi {

class EnhMetafileObject : public GdiObject {
 public:
  explicit EnhMetafileObject(std::vector<uint8_t> bytes)
      : GdiObject(ObjectKind::EnhMetafile), bytes_(std::move(bytes)) {}
  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

class MetafileObject : public GdiObject {
 public:
  MetafileObject(std::vector<uint8_t> bytes, std::optional<WmfPlaceable> placeable)
      : GdiObject(ObjectKind::Metafile), bytes_(std::move(bytes)), placeable_(placeable) {}
  // The plain metafile, without any placeable header.
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  const std::optional<WmfPlaceable>& placeable() const { return placeable_; }

 private:
  std::vector<uint8_t> bytes_;
  std::optional<WmfPlaceable> placeable_;
};

// Validates and registers; 0 when the bytes are not a valid metafile.
HENHMETAFILE registerEnhMetafile(std::vector<uint8_t> bytes);
HMETAFILE registerMetafile(std::span<const uint8_t> bytes);

}  // namespace pyra::gdi
