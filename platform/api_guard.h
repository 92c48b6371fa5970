#pragma once
// Every exported call runs its body through guarded(): whatever the body
// throws (a damaged file, an allocation failure, a bug) becomes the call's
// documented failure result instead of crossing the C boundary.
#include <exception>
#include <utility>

namespace pyra::gdi {

template <class R, class F>
R guarded(R fallback, F&& body) noexcept {
  try {
    return std::forward<F>(body)();
  } catch (...) {
    return fallback;
  }
}

}  // namespace pyra::gdi
