#pragma once
// Whole-file reads and writes for the metafile calls. A file larger than
// the formats can describe (4 GB) is refused before anything is allocated.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pyra::gdi {

std::optional<std::vector<uint8_t>> readWholeFile(const char* name);
bool writeWholeFile(const char* name, std::span<const uint8_t> a, std::span<const uint8_t> b = {});

}  // namespace pyra::gdi
