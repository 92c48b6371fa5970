#pragma once
// Turns checked metafile bytes into a platform metafile handle for
// PYRA_DrawMetafile; the handle is released when the object dies.
#include <cstdint>
#include <span>
#include <string>

#include "cli/metafile_probe.h"

namespace pyra::tools {

class LoadedMetafile {
 public:
  LoadedMetafile() = default;
  ~LoadedMetafile();
  LoadedMetafile(LoadedMetafile&& other) noexcept;
  LoadedMetafile& operator=(LoadedMetafile&& other) noexcept;
  LoadedMetafile(const LoadedMetafile&) = delete;
  LoadedMetafile& operator=(const LoadedMetafile&) = delete;

  uint32_t handle() const { return handle_; }

  // Throws InputError when the platform refuses the bytes.
  static LoadedMetafile load(const MetafileProbe& probe, std::span<const uint8_t> bytes);

 private:
  uint32_t handle_ = 0;
  bool enhanced_ = false;
};

// False in builds whose platform library cannot load metafiles yet.
bool metafileLoadingAvailable();

}  // namespace pyra::tools
