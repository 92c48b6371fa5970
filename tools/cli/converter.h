#pragma once
// Runs one conversion: checks every input, writes the PDF to a temporary file
// beside the output and renames it into place only when nothing went wrong.
#include <cstdio>

#include "cli/command_line.h"

namespace pyra::tools {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// Reports on `out` (progress) and `err` (the one-line failure reason);
// returns the exit status.
int convert(const CommandLine& cl, std::FILE* out, std::FILE* err);

}  // namespace pyra::tools
