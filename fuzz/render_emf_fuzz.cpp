// Hostile enhanced metafiles played through the record loop onto the
// content writer: errors are fine, crashes and invalid streams are not.
#include <cstdint>
#include <exception>
#include <span>

#include "engine/render/ps_device.h"
#include "fuzz/render_content_check.h"

using namespace pyra::render;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TPxGenericPSDevice dev;
  dev.setDeviceOptions(0x0020 | (size & 1 ? 0x0040 : 0) | (size & 2 ? 0x0400 : 0));
  dev.setDeviceResolution(72, 72);
  dev.writer().beginPage(612, 792, 72, 72);
  dev.writer().startOutput();
  try {
    dev.playEnhMetafile(std::span<const uint8_t>(data, size), 0, 0, false, 0, 0, 0, 0);
  } catch (const std::exception&) {
  }
  pyra::fuzz::checkContent(dev.writer().endOutput());
  return 0;
}
