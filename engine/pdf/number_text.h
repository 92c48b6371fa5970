#pragma once
// Numbers and byte strings as PDF text. Never locale-dependent: everything is
// built on std::to_chars.
#include <cstdint>
#include <span>
#include <string>

namespace pyra::pdf {

// A number outside content streams: 0 and 1 exactly, integral values as
// integer digits, anything else fixed-point with three decimals and at most
// seven significant digits (0.5 -> "0.500", 12.3456 -> "12.346"). Never an
// exponent, never "-0". Throws pyra::Error for NaN and infinities, which no
// reader accepts.
std::string numberText(double value);

// Fixed-point with exactly `decimals` digits after the point (0..9), no
// exponent, "-0.000" written without its sign. Throws for non-finite values.
std::string fixedText(double value, int decimals);

// "<" + two lowercase hex digits per byte + ">".
std::string hexString(std::span<const uint8_t> bytes);
std::string hexString(const std::string& bytes);

}  // namespace pyra::pdf
