#pragma once
// The process-wide table behind every HGDIOBJ-like handle. Objects are held
// by shared_ptr so that a call that found an object keeps it alive even if
// another thread deletes the handle meanwhile; the handle itself is dead at
// once.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
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
  // A copy is a new object: it is neither selected anywhere nor stock.
  GdiObject(const GdiObject& other) : kind_(other.kind_) {}
  GdiObject& operator=(const GdiObject&) = delete;
  virtual ~GdiObject() = default;
  ObjectKind kind() const { return kind_; }

  // GetObjectA for this kind: writes at most `size` bytes to `out` (or, with
  // `out` null, returns the size needed); 0 when the kind has no
  // description. Kinds override it.
  virtual int describeA(int size, void* out) const { return 0; }

  // How many device contexts have this object selected; DeleteObject refuses
  // while it is above 0.
  int selections() const { return selections_.load(); }
  void addSelection() { ++selections_; }
  void removeSelection() { --selections_; }

  // Stock objects (GetStockObject) live as long as the process.
  bool isStock() const { return stock_; }
  void markStock() { stock_ = true; }

 private:
  ObjectKind kind_;
  std::atomic<int> selections_{0};
  bool stock_ = false;
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
  // The handle of stock object `index` (0..kStockSlots-1), made by `make` on
  // first use and marked stock; 0 when `make` gives nothing.
  static constexpr int kStockSlots = 32;
  uint32_t stock(int index, const std::function<std::shared_ptr<GdiObject>()>& make);
  // Removes the handle; false when it was not live.
  bool erase(uint32_t handle);
  size_t size() const;

 private:
  HandleTable() = default;
  uint32_t insertLocked(std::shared_ptr<GdiObject> object);
  mutable std::mutex mutex_;
  std::unordered_map<uint32_t, std::shared_ptr<GdiObject>> objects_;
  uint32_t next_ = 1;
  std::array<uint32_t, kStockSlots> stock_{};
};

}  // namespace pyra::gdi
