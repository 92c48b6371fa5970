// The converter's input check: any bytes give a probe or an InputError.
#include <cstddef>
#include <cstdint>
#include <span>

#include "cli/metafile_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const auto p = pyra::tools::probeMetafile(std::span<const uint8_t>(data, size));
    if (p.natural_size && (p.natural_size->width < 1 || p.natural_size->height < 1)) __builtin_trap();
  } catch (const pyra::tools::InputError&) {
  }
  return 0;
}
