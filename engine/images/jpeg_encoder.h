#pragma once
// Baseline JPEG compression of 8-bit RGB or grey samples into a complete
// JFIF stream in memory, through libjpeg. Failures inside libjpeg come back
// as ImageError; the library never gets to exit the process.
#include <cstdint>
#include <vector>

#include "engine/images/image_samples.h"

namespace pyra::images {

// `samples` must be 8-bit DeviceRGB or DeviceGray; quality is clamped to
// 1..100. Throws ImageError.
std::vector<uint8_t> encodeJpeg(const ImageSamples& samples, int quality);

}  // namespace pyra::images
