#pragma once
// The standard Type 1 fonts every PDF reader carries, chosen for a face
// when the document is written without measured fonts.
#include <cstdint>
#include <string>
#include <string_view>

namespace pyra::fonts {

// "Courier-BoldOblique", "Times-Italic", "Symbol", "ZapfDingbats",
// "Helvetica-Bold"...: the standard font closest to a compact face name for
// style bits 1 (bold) and 2 (italic).
std::string standardBaseFont(std::string_view compact_face, uint8_t style);

}  // namespace pyra::fonts
