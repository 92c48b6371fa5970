#include "cli/metafile_loader.h"

#include <utility>

// Set by the build when the platform library declares its metafile calls
// (a definition, not __has_include, so the file is rebuilt when they land).
#if PYRA_CLI_HAVE_METAFILES
#include "pyra/gdi.h"
#include "pyra/gdi_metafile.h"
#endif

namespace pyra::tools {

LoadedMetafile::~LoadedMetafile() {
#if PYRA_CLI_HAVE_METAFILES
  if (handle_ != 0) {
    if (enhanced_) DeleteEnhMetaFile(handle_);
    else DeleteMetaFile(handle_);
  }
#endif
}

LoadedMetafile::LoadedMetafile(LoadedMetafile&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)), enhanced_(other.enhanced_) {}

LoadedMetafile& LoadedMetafile::operator=(LoadedMetafile&& other) noexcept {
  if (this != &other) {
    LoadedMetafile old(std::move(*this));
    handle_ = std::exchange(other.handle_, 0);
    enhanced_ = other.enhanced_;
  }
  return *this;
}

bool metafileLoadingAvailable() { return PYRA_CLI_HAVE_METAFILES != 0; }

LoadedMetafile LoadedMetafile::load(const MetafileProbe& probe, std::span<const uint8_t> bytes) {
  LoadedMetafile m;
#if PYRA_CLI_HAVE_METAFILES
  // Loading from the bytes we checked, not the file again, so a file that
  // changes between the check and the conversion cannot slip through.
  if (probe.body_offset + probe.body_size > bytes.size()) throw InputError("changed since it was checked");
  const auto size = static_cast<UINT>(probe.body_size);
  const BYTE* body = bytes.data() + probe.body_offset;
  switch (probe.kind) {
    case MetafileKind::Emf:
      m.handle_ = SetEnhMetaFileBits(size, body);
      m.enhanced_ = true;
      break;
    case MetafileKind::PlaceableWmf: {
      // The bounding box becomes the enhanced metafile's frame, so the
      // drawing fills the page that was sized from it.
      METAFILEPICT pict{MM_ANISOTROPIC, probe.extent_x, probe.extent_y, 0};
      m.handle_ = SetWinMetaFileBits(size, body, 0, &pict);
      m.enhanced_ = true;
      break;
    }
    case MetafileKind::Wmf:
      // The engine converts a plain WMF itself, sized to the page.
      m.handle_ = SetMetaFileBitsEx(size, body);
      m.enhanced_ = false;
      break;
  }
  if (m.handle_ == 0) throw InputError(std::string("the platform library could not load this ") + kindName(probe.kind));
#else
  (void)probe;
  (void)bytes;
  throw InputError("loading metafiles is not available in this build");
#endif
  return m;
}

}  // namespace pyra::tools
