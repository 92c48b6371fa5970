#pragma once
// Windows face names as fonts are looked up and named in the PDF.
#include <cstdint>
#include <string>
#include <string_view>

namespace pyra::fonts {

// The face a request resolves to: a trailing " CE" dropped, the old aliases
// ("Times", "MS Sans Serif", "Arial CE", "Courier", "System") replaced, and
// "TimesNewRoman" / "CourierNew" spelled exactly so.
std::string normaliseFaceName(std::string_view face);

// The face without blanks, control characters and parentheses, each word
// after a blank starting with a capital: "Times New Roman" -> "TimesNewRoman".
std::string compactFaceName(std::string_view face);

// ",BoldItalic", ",Bold", ",Italic" or "" for style bits 1 (bold), 2 (italic).
std::string_view styleSuffix(uint8_t style);

bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace pyra::fonts
