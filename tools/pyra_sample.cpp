// Writes a small sample document through the exported C interface, the way
// a host program would: options record, a few pages, information texts.
#include <cstdio>
#include <cstring>

#include "pyra/pyractl.h"

namespace {

void onError(int32_t, int32_t code, const void* text, int32_t) {
  std::fprintf(stderr, "pyra-sample: error %d: %s\n", code, text ? static_cast<const char*>(text) : "");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: pyra-sample OUT.pdf\n");
    return 2;
  }
  PyraOptions o{};
  o.SIZEOFSTRUCT = PYRA_OPTIONS_SIZE;
  o.COMPRESSION = 1;
  o.ONERROR = onError;
  std::strncpy(o.TITLE, "pyra sample", sizeof o.TITLE - 1);
  std::strncpy(o.AUTHOR, "pyra", sizeof o.AUTHOR - 1);
  std::strncpy(o.SUBJECT, "Letter, A4 and a landscape page", sizeof o.SUBJECT - 1);
  int32_t env = PYRA_InitializeEx(&o);
  if (env <= 0 || !PYRA_BeginDoc(env, argv[1], 0)) {
    PYRA_Finalize(env);
    return 1;
  }
  PYRA_StartPageEx(env, 612, 792, 0);
  PYRA_StartPageEx(env, 595, 842, 0);
  PYRA_StartPageEx(env, 842, 595, 90);
  PYRA_EndDoc(env);
  PYRA_Finalize(env);
  return 0;
}
