#pragma once
// Invariants every content stream must keep, checked after each fuzz run:
// no non-finite numbers, balanced q/Q, no operator a reader would refuse to
// find inside a path.
#include <cstdlib>
#include <string_view>

namespace pyra::fuzz {

inline void checkContent(std::string_view c) {
  if (c.find("nan") != c.npos || c.find("inf") != c.npos || c.find(',') != c.npos) __builtin_trap();
  long depth = 0;
  bool in_path = false;
  size_t i = 0;
  while (i < c.size()) {
    while (i < c.size() && (c[i] == ' ' || c[i] == '\n' || c[i] == '\r')) ++i;
    size_t j = i;
    while (j < c.size() && c[j] != ' ' && c[j] != '\n' && c[j] != '\r') ++j;
    std::string_view t = c.substr(i, j - i);
    i = j;
    if (t.empty()) continue;
    if (t == "q") { if (in_path) __builtin_trap(); ++depth; }
    else if (t == "Q") { if (in_path || --depth < 0) __builtin_trap(); }
    else if (t == "m" || t == "l" || t == "c" || t == "re" || t == "h") in_path = true;
    else if (t == "S" || t == "f" || t == "f*" || t == "b" || t == "b*" || t == "n") in_path = false;
    else if (t == "cm" || t == "w" || t == "J" || t == "j" || t == "d" || t == "rg" || t == "RG" || t == "g" || t == "G") {
      if (in_path) __builtin_trap();
    }
  }
  if (depth != 0 || in_path) __builtin_trap();
}

}  // namespace pyra::fuzz
