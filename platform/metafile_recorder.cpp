#include "platform/metafile_recorder.h"

#include "platform/device_context.h"

namespace pyra::gdi {

int MetafileRecorder::save() {
  if (saved_.size() >= kMaxSaveDepth) return 0;
  saved_.push_back(attrs_);
  return int(saved_.size());
}

bool MetafileRecorder::restore(int saved) {
  const int depth = int(saved_.size());
  const int target = saved < 0 ? depth + saved : saved - 1;  // level to return to (0-based index)
  if (saved == 0 || target < 0 || target >= depth) return false;
  attrs_ = saved_[size_t(target)];
  saved_.resize(size_t(target));
  return true;
}

MetafileRecorder* recorderOf(DeviceContext& dc) { return dynamic_cast<MetafileRecorder*>(dc.recorder.get()); }

}  // namespace pyra::gdi
