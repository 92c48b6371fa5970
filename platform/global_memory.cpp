#include "platform/global_memory.h"

#include <new>

#include "platform/api_guard.h"
#include "pyra/gdi.h"

namespace pyra::gdi {

// Always zeroed: a block read before it is written gives no stale bytes.
GlobalBlock::GlobalBlock(size_t size)
    : GdiObject(ObjectKind::Global), data_(new unsigned char[size > 0 ? size : 1]()), size_(size) {}

}  // namespace pyra::gdi

using namespace pyra::gdi;

namespace {
// The engine was a 32-bit program: no block of its ever reached 2 GiB, so a
// request beyond that is a size computed wrongly, refused rather than tried.
constexpr SIZE_T kMaxBlock = SIZE_T(1) << 31;

std::shared_ptr<GlobalBlock> findBlock(HGLOBAL h) {
  return HandleTable::instance().findAs<GlobalBlock>(h, ObjectKind::Global);
}
}  // namespace

extern "C" {

PYRA_GDI_API HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  return guarded<HGLOBAL>(0, [&]() -> HGLOBAL {
    if (dwBytes > kMaxBlock) return 0;
    return HandleTable::instance().insert(std::make_shared<GlobalBlock>(size_t(dwBytes)));
  });
}

PYRA_GDI_API LPVOID GlobalLock(HGLOBAL hMem) {
  return guarded<LPVOID>(nullptr, [&]() -> LPVOID {
    auto block = findBlock(hMem);
    if (!block) return nullptr;
    ++block->locks;
    return block->data();
  });
}

PYRA_GDI_API BOOL GlobalUnlock(HGLOBAL hMem) {
  return guarded<BOOL>(FALSE, [&]() -> BOOL {
    auto block = findBlock(hMem);
    if (!block) return FALSE;
    int expected = block->locks.load();
    while (expected > 0 && !block->locks.compare_exchange_weak(expected, expected - 1)) {
    }
    return expected - 1 > 0 ? TRUE : FALSE;
  });
}

PYRA_GDI_API HGLOBAL GlobalFree(HGLOBAL hMem) {
  return guarded<HGLOBAL>(hMem, [&]() -> HGLOBAL {
    if (!findBlock(hMem)) return hMem;
    return HandleTable::instance().erase(hMem) ? 0 : hMem;
  });
}

PYRA_GDI_API SIZE_T GlobalSize(HGLOBAL hMem) {
  return guarded<SIZE_T>(0, [&]() -> SIZE_T {
    auto block = findBlock(hMem);
    return block ? block->size() : 0;
  });
}

}  // extern "C"
