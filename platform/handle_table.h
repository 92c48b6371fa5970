#pragma once
// The process-wide table behind every HGDIOBJ-like handle. Objects are held
// by shared_ptr so that a call that found an object keeps it alive even if
// another thread deletes the handle meanwhile; the handle itself is dead at
// once.
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace pyra::gdi {

enum class ObjectKind : uint8_t {
  Dc, Font, Pen, Brush, Bitmap, Region, Palette, EnhMetafile, Metafile, Global, Window,
};

class GdiObject {
 public:
  explicit GdiObject(ObjectKind kind) : kind_(kind) {}
  virtual ~GdiObject() = default;
  ObjectKind kind() const { return kind_; }

 private:
  ObjectKind kind_;
};

class HandleTable {
 public:
  static HandleTable& instance();

  // Returns 0 when the table is full (2^32 - 1 live handles).
  uint32_t insert(std::shared_ptr<GdiObject> object);
  std::shared_ptr<GdiObject> find(uint32_t handle) const;
  template <class T>
  std::shared_ptr<T> findAs(uint32_t handle, ObjectKind kind) const {
    auto o = find(handle);
    if (!o || o->kind() != kind) return nullptr;
    return std::static_pointer_cast<T>(o);
  }
  // Removes the handle; false when it was not live.
  bool erase(uint32_t handle);
  size_t size() const;

 private:
  HandleTable() = default;
  mutable std::mutex mutex_;
  std::unordered_map<uint32_t, std::shared_ptr<GdiObject>> objects_;
  uint32_t next_ = 1;
};

}  // namespace pyra::gdi
