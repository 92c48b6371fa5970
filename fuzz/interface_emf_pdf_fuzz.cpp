// Hostile enhanced metafiles end to end: loaded by the platform, played by
// the engine onto a page with fonts, images, thumbnails and links, written
// as a whole PDF into memory. Errors are fine; crashes, leaks and a
// document that does not end are not. fontconfig keeps its parsed
// configuration for the life of the process: run with
// LSAN_OPTIONS=suppressions=fuzz/lsan.supp.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pyra/gdi.h"
#include "pyra/pyractl.h"

namespace {

void onWrite(int32_t env, int32_t count, const void* data, int32_t) {
  auto* out = static_cast<std::string*>(PYRA_GetPointer(env));
  if (out && data && count > 0) out->append(static_cast<const char*>(data), size_t(count));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  // The first byte picks the document settings, the rest is the metafile.
  const uint8_t settings = data[0];
  HENHMETAFILE emf = SetEnhMetaFileBits(UINT(size - 1), data + 1);
  if (!emf) return 0;

  PyraOptions o{};
  o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
  o.COMPRESSION = settings & 3;
  o.THUMBNAILS = (settings >> 2) & 3;
  o.JPEGCOMPRESS = settings & 0x10 ? 2 : 0;
  o.ENHANCEDOPTIONS = settings & 0x20 ? PYRA_EO_CHAR_POSITIONS : 0;
  o.FONTMODE = settings & 0x40 ? 1 : 0;
  o.ONSTREAMWRITE = onWrite;
  const int32_t env = PYRA_InitializeEx(&o);
  std::string pdf;
  PYRA_SetPointer(env, &pdf);
  if (PYRA_BeginDoc(env, "", 1) == 1) {
    PYRA_DrawMetafile(env, emf, 0, 0, 0, 0);
    if (settings & 0x80) PYRA_DrawMetafileEx(env, emf, 10, 10, 200, 100, 96, 96);
    PYRA_EndDoc(env);
    // A document that began must end as one.
    if (pdf.size() < 6 || pdf.find("%%EOF", pdf.size() - 8) == std::string::npos) std::abort();
  }
  PYRA_Finalize(env);
  DeleteEnhMetaFile(emf);
  return 0;
}
