#pragma once
// The one place content streams turn numbers into text. Kept behind a single
// function so the page writer's own formatter can take over without touching
// the operators.
#include <cstdint>

namespace pyra::render {

// Longest text formatFixed can produce: sign, 15 integer digits, point and
// kMaxDecimals digits.
inline constexpr int kMaxDecimals = 12;
inline constexpr int kMaxNumberChars = 1 + 15 + 1 + kMaxDecimals;

// Largest magnitude written. Beyond it a reader's own limits are long gone,
// and fixed notation would need more digits than a double carries.
inline constexpr double kMaxMagnitude = 999999999999999.0;

// Writes v in fixed notation with exactly `decimals` digits after a "."
// (whatever the process locale), clamped to +-kMaxMagnitude; NaN becomes 0
// and a negative zero loses its sign. Returns the end of the text written
// (no terminator). `out` must have room for kMaxNumberChars.
char* formatFixed(char* out, double v, int decimals);

// Integer in decimal; `out` needs 20 characters.
char* formatInt(char* out, int64_t v);

}  // namespace pyra::render
