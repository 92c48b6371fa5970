#pragma once
// Exported metafile calls run their body through guard(): whatever it throws
// (a damaged file, an allocation failure) becomes the call's documented
// failure result instead of crossing the C boundary.
#include <utility>

namespace pyra::gdi {

template <class R, class F>
R guard(R fallback, F&& body) noexcept {
  try {
    return std::forward<F>(body)();
  } catch (...) {
    return fallback;
  }
}

}  // namespace pyra::gdi
