#include "platform/metafile_recorder.h"

#include "platform/device_context.h"
#include "platform/handle_table.h"

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

void MetafileRecorder::reselect(uint32_t handle) {
  auto object = HandleTable::instance().find(handle);
  if (object) objectSelected(handle, *object);
}

void MetafileRecorder::objectDeleted(HGDIOBJ handle) {
  if (const std::optional<uint32_t> index = objects_.remove(handle)) deleteObject(*index);
}

std::optional<uint32_t> MetafileRecorder::objectIndex(HGDIOBJ handle, const GdiObject& object) {
  if (const std::optional<uint32_t> found = objects_.find(handle)) return found;
  for (uint32_t dead : objects_.deadHandles()) objectDeleted(dead);
  const std::optional<uint32_t> index = objects_.take();
  if (!index) return std::nullopt;
  if (!createObject(*index, object)) {
    objects_.release(*index);
    return std::nullopt;
  }
  objects_.bind(handle, *index);
  return index;
}

MetafileRecorder* recorderOf(DeviceContext& dc) { return dynamic_cast<MetafileRecorder*>(dc.recorder.get()); }

}  // namespace pyra::gdi
