// WMF bytes through the converter; whatever comes out must be an EMF our
// own reader accepts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/emf_reader.h"
#include "platform/metafile_error.h"
#include "platform/wmf_to_emf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  std::vector<uint8_t> emf;
  try {
    emf = pyra::gdi::convertWmfToEmf(bytes, {});
  } catch (const pyra::gdi::MetafileError&) {
    return 0;
  }
  try {
    pyra::gdi::EmfReader::validate(emf);
  } catch (const pyra::gdi::MetafileError&) {
    std::abort();  // the converter wrote something its own reader refuses
  }
  return 0;
}
