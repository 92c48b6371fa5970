// WMF bytes (placeable or plain) through the validating reader.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/metafile_error.h"
#include "platform/wmf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  try {
    pyra::gdi::WmfReader r(bytes);
    pyra::gdi::WmfRecordView v;
    size_t sum = 0;
    while (r.next(v)) {
      auto p = v.params();
      while (!p.atEnd()) sum += p.u8();
    }
    (void)sum;
  } catch (const pyra::gdi::MetafileError&) {
  }
  return 0;
}
