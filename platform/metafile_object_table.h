#pragma once
// A recording DC's view of its metafile's object table: the index each GDI
// object created in the metafile holds, and the indexes free again. EMF and
// WMF number their objects alike: the lowest free index is taken first, so
// the table stays as small as the drawing needs, and the header counts
// indexes in 16 bits.
#include <cstdint>
#include <optional>
#include <set>
#include <unordered_map>
#include <vector>

namespace pyra::gdi {

class MetafileObjectTable {
 public:
  // first: the lowest index an object may take (EMF keeps 0 for the
  // metafile itself).
  explicit MetafileObjectTable(uint32_t first) : next_(first) {}

  // The index of the object created for handle; nullopt when none was.
  std::optional<uint32_t> find(uint32_t handle) const;
  // A free index, the lowest first; nullopt when the 16-bit count is spent.
  std::optional<uint32_t> take();
  // Gives back an index taken but not kept.
  void release(uint32_t index) { free_.insert(index); }
  void bind(uint32_t handle, uint32_t index) { indexes_.emplace(handle, index); }
  // Forgets handle and frees its index; nullopt when it had none.
  std::optional<uint32_t> remove(uint32_t handle);
  // DeleteObject does not tell every recording DC, so the objects whose
  // handle has died are found here, in ascending handle order to keep the
  // records reproducible.
  std::vector<uint32_t> deadHandles() const;
  // One past the highest index ever taken: what the header counts.
  uint32_t end() const { return next_; }

 private:
  std::unordered_map<uint32_t, uint32_t> indexes_;
  std::set<uint32_t> free_;
  uint32_t next_;
};

}  // namespace pyra::gdi
