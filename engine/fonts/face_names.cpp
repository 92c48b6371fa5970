#include "engine/fonts/face_names.h"

namespace pyra::fonts {

namespace {
char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

std::string normaliseFaceName(std::string_view face) {
  std::string f(face);
  if (f.size() > 2 && f.size() >= 3 && f.compare(f.size() - 3, 3, " CE") == 0) f.resize(f.size() - 3);
  if (equalsIgnoringCase(f, "Times")) f = "Times New Roman";
  else if (equalsIgnoringCase(f, "MS Sans Serif") || equalsIgnoringCase(f, "Arial CE")) f = "Arial";
  else if (equalsIgnoringCase(f, "Courier") || equalsIgnoringCase(f, "System")) f = "Courier New";
  if (equalsIgnoringCase(f, "TimesNewRoman")) f = "TimesNewRoman";
  else if (equalsIgnoringCase(f, "CourierNew")) f = "CourierNew";
  return f;
}

std::string compactFaceName(std::string_view face) {
  std::string out;
  out.reserve(face.size());
  bool after_blank = false;
  for (char c : face) {
    if (c == '(' || c == ')') continue;
    if (static_cast<unsigned char>(c) <= 32) {
      if (c == ' ') after_blank = true;
      continue;
    }
    out += after_blank ? upperAscii(c) : c;
    after_blank = false;
  }
  return out;
}

std::string_view styleSuffix(uint8_t style) {
  switch (style & 3) {
    case 3: return ",BoldItalic";
    case 1: return ",Bold";
    case 2: return ",Italic";
    default: return "";
  }
}

}  // namespace pyra::fonts
