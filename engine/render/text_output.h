#pragma once
// Text records into PDF text objects: font, colour, spacing and placement
// operators, "Tj" or a "TJ" array for runs with character advances, the
// background and clip boxes of the record, underline and strike-out.
//
// Geometry works in a text space that is upright on the page: its y unit
// is one logical unit of the font height, its x axis follows the
// escapement. The device-context transform stays in "cm"; the text matrix
// undoes only its anisotropy and flips, so text is never stretched or
// mirrored, as on a Windows device.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/render/content_writer.h"
#include "engine/render/device_options.h"
#include "engine/render/generic_device.h"

namespace pyra::fonts {
class FontResources;
}

namespace pyra::render {

class TextOutput {
 public:
  explicit TextOutput(ContentWriter& writer) : w_(writer) {}

  // The document's fonts; null draws nothing (no document to hold fonts).
  void setFonts(fonts::FontResources* fonts) { fonts_ = fonts; }
  // Placing every character at its advance ("TJ") instead of spreading the
  // run with spacing; also on with doCharPositions.
  void setPerCharacter(bool on) { per_character_ = on; }
  // Where a run went: the box its cells cover in PDF page space (points),
  // its colour and its text as written. The page thumbnail sketches text
  // with it; web addresses become links.
  struct RunBox {
    double x0, y0, x1, y1;
    uint32_t colorref;
    std::string_view text;
  };
  using BoxListener = std::function<void(const RunBox&)>;
  void setBoxListener(BoxListener listener) { box_listener_ = std::move(listener); }
  bool perCharacter() const { return per_character_; }
  // Face used when the selected one cannot be loaded.
  void setFallbackFace(std::string face) { fallback_face_ = face.empty() ? "Arial" : std::move(face); }
  const std::string& fallbackFace() const { return fallback_face_; }

  // Draws one text record. Throws only what the writer throws when output
  // cannot be opened.
  void draw(const TextRun& run, TPxDeviceOptions options);

 private:
  struct Frame;
  bool selectFont(const LogFontValues& f);
  void beginText(const Frame& fr);
  void writeFontState(double size, double hscale, double tc, double tw);
  void placeOrigin(const Frame& fr, double tx, double ty);
  void writeString(const char* s, size_t n);
  void drawBar(const Frame& fr, double x0, double x1, double y, double thickness, uint32_t colour);

  ContentWriter& w_;
  fonts::FontResources* fonts_ = nullptr;
  bool per_character_ = false;
  std::string fallback_face_ = "Arial";
  int32_t font_number_ = 0;
  // Text matrix of the open text object: linear part and origin (user
  // space, logical units before the divisor).
  bool tm_valid_ = false;
  double tm_[6] = {1, 0, 0, 1, 0, 0};
  uint64_t tm_version_ = 0;
  std::vector<int32_t> advances_;
  std::string bytes_;
  BoxListener box_listener_;
};

}  // namespace pyra::render
