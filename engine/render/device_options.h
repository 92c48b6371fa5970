#pragma once
// Device option bits (`TPxDeviceOptions`): a 16-bit set taken from the
// host's enhanced-options word.
#include <cstdint>

namespace pyra::render {

using TPxDeviceOptions = uint16_t;

inline constexpr TPxDeviceOptions doIgnorePatBlt = 0x0001;
inline constexpr TPxDeviceOptions doFillAsOutline = 0x0002;
inline constexpr TPxDeviceOptions doSkipWhiteFill = 0x0004;
inline constexpr TPxDeviceOptions doCharPositions = 0x0008;
inline constexpr TPxDeviceOptions doNoTextClip = 0x0010;
inline constexpr TPxDeviceOptions doClipping = 0x0020;
inline constexpr TPxDeviceOptions doResetMatrix = 0x0040;
inline constexpr TPxDeviceOptions doNoSpacing = 0x0080;
inline constexpr TPxDeviceOptions doNoSourceCrop = 0x0100;
inline constexpr TPxDeviceOptions doPdf13 = 0x0200;
inline constexpr TPxDeviceOptions doForcePrecision = 0x0400;
inline constexpr TPxDeviceOptions doKeepPrecision = 0x0800;

}  // namespace pyra::render
