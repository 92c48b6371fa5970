// EMF bytes through the validating reader and the record checks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/emf_reader.h"
#include "platform/metafile_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A private copy so reads past the input are caught at its exact end.
  std::vector<uint8_t> bytes(data, data + size);
  try {
    pyra::gdi::EmfReader r(bytes);
    pyra::gdi::EmfRecordView v;
    size_t sum = 0;
    while (r.next(v)) {
      // Touch every byte of the view: it must lie inside the input.
      for (uint8_t b : v.bytes) sum += b;
    }
    (void)sum;
  } catch (const pyra::gdi::MetafileError&) {
  }
  try {
    pyra::gdi::EmfReader::validate(bytes);
  } catch (const pyra::gdi::MetafileError&) {
  }
  return 0;
}
