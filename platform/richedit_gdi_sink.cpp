// Drawing placed runs onto a device context. The drawing calls of the
// platform are not in this library yet; until they are, rendering is
// refused (the format-range message answers -1) rather than producing
// silently empty pages.
#include "platform/richedit_object.h"

namespace pyra::gdi {

std::unique_ptr<RunSink> makeGdiRunSink(HDC, const RichDocument&, int, int) { return nullptr; }

}  // namespace pyra::gdi
