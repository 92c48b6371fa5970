// CreateEnhMetaFileA / CloseEnhMetaFile and CreateMetaFileA / CloseMetaFile:
// device contexts whose drawing calls become metafile records.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/api_guard.h"
#include "platform/device_context.h"
#include "platform/emf_recorder.h"
#include "platform/metafile_files.h"
#include "platform/metafile_objects.h"
#include "platform/wmf_recorder.h"
#include "pyra/gdi_metafile.h"

namespace pyra::gdi {
namespace {

// A recording DC remembers where the finished metafile goes.
template <class Recorder>
class WithFile : public Recorder {
 public:
  template <class... Args>
  explicit WithFile(std::string file, Args&&... args) : Recorder(std::forward<Args>(args)...), file_(std::move(file)) {}
  const std::string& file() const { return file_; }

 private:
  std::string file_;
};
using EmfRecorderWithFile = WithFile<EmfRecorder>;
using WmfRecorderWithFile = WithFile<WmfRecorder>;

// Ends a recording DC of the given type: the finished metafile, also
// written to the DC's file when it has one; nullopt for another handle or
// when the file could not be written.
template <class Recorder>
std::optional<std::vector<uint8_t>> finishRecording(HDC hdc, DeviceContext::Type type) {
  auto dc = HandleTable::instance().findAs<DeviceContext>(hdc, ObjectKind::Dc);
  if (!dc || dc->type() != type) return std::nullopt;
  auto* rec = dynamic_cast<Recorder*>(dc->recorder.get());
  if (!rec) return std::nullopt;
  std::vector<uint8_t> bytes = rec->finish();
  const std::string file = rec->file();
  HandleTable::instance().erase(hdc);
  if (!file.empty() && !writeWholeFile(file.c_str(), bytes)) return std::nullopt;
  return bytes;
}

// "app\0title\0\0": the description runs to the first double zero.
std::u16string descriptionOf(const char* d) {
  std::u16string out;
  if (!d) return out;
  for (size_t i = 0; i < 4096; ++i) {
    if (d[i] == 0 && (i == 0 || d[i - 1] == 0)) break;
    out.push_back(char16_t(uint8_t(d[i])));  // Latin-1 is close enough for a title
  }
  if (!out.empty() && out.back() != 0) out.push_back(0);
  return out;
}

}  // namespace
}  // namespace pyra::gdi

using namespace pyra::gdi;

extern "C" {

HDC CreateEnhMetaFileA(HDC reference, const char* file_name, const RECT* frame, const char* description) {
  return guarded(HDC(0), [&]() -> HDC {
    EmfRecorderSetup s;
    if (reference) {
      auto ref = HandleTable::instance().findAs<DeviceContext>(reference, ObjectKind::Dc);
      if (!ref) return 0;
      if (ref->dpi_x > 0) s.dpi_x = ref->dpi_x;
      if (ref->dpi_y > 0) s.dpi_y = ref->dpi_y;
    }
    RECT normal;
    if (frame) {
      // A frame with no area cannot scale a picture.
      if (frame->right <= frame->left || frame->bottom <= frame->top) return 0;
      normal = *frame;
      s.frame = &normal;
    }
    s.description = descriptionOf(description);
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Type::EnhMetafile);
    dc->dpi_x = s.dpi_x;
    dc->dpi_y = s.dpi_y;
    dc->recorder = std::make_unique<EmfRecorderWithFile>(file_name ? file_name : "", s);
    return HandleTable::instance().insert(dc);
  });
}

HENHMETAFILE CloseEnhMetaFile(HDC hdc) {
  return guarded(HENHMETAFILE(0), [&]() -> HENHMETAFILE {
    auto bytes = finishRecording<EmfRecorderWithFile>(hdc, DeviceContext::Type::EnhMetafile);
    return bytes ? registerEnhMetafile(std::move(*bytes)) : 0;
  });
}

HDC CreateMetaFileA(const char* file_name) {
  return guarded(HDC(0), [&]() -> HDC {
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Type::Metafile);
    dc->recorder = std::make_unique<WmfRecorderWithFile>(file_name ? file_name : "");
    return HandleTable::instance().insert(dc);
  });
}

HMETAFILE CloseMetaFile(HDC hdc) {
  return guarded(HMETAFILE(0), [&]() -> HMETAFILE {
    auto bytes = finishRecording<WmfRecorderWithFile>(hdc, DeviceContext::Type::Metafile);
    return bytes ? registerMetafile(*bytes) : 0;
  });
}

}  // extern "C"
