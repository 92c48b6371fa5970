#pragma once
// The attributes of one saved level of a device context.
#include <cstdint>
#include <cstring>

#include "engine/render/gdi_values.h"

namespace pyra::render {

// Row-vector affine transform as in the metafile's world transform.
struct XForm {
  float m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
};

// The first 28 bytes of a logical font plus its face name.
struct LogFontValues {
  int32_t height = 10, width = 0, escapement = 0, orientation = 0, weight = 0;
  uint8_t italic = 0, underline = 0, strike_out = 0, char_set = 0;
  uint8_t out_precision = 0, clip_precision = 0, quality = 0, pitch_and_family = 0;
  char face[128] = "Arial";  // up to 127 characters, zero-terminated

  void setFace(const char* s, size_t n) {
    if (n > sizeof face - 1) n = sizeof face - 1;
    std::memcpy(face, s, n);
    face[n] = 0;
  }
};

// Text-alignment flags derived from the raw alignment value.
inline constexpr int32_t kTaFlagUpdateCp = 0x20;
inline constexpr int32_t kTaFlagCenter = 0x04;
inline constexpr int32_t kTaFlagRight = 0x10;
inline constexpr int32_t kTaFlagBottom = 0x02;
inline constexpr int32_t kTaFlagBaseline = 0x01;

inline int32_t textAlignFlags(int32_t v) {
  int32_t f = 0;
  if (v & 0x01) f |= kTaFlagUpdateCp;
  if ((v & 0x06) == 0x06)
    f |= kTaFlagCenter;
  else if (v & 0x02)
    f |= kTaFlagRight;
  if (v & 0x08) f |= kTaFlagBottom;
  if ((v & 0x18) == 0x18) f |= kTaFlagBaseline;
  return f;
}

struct TPxDCState {
  XForm world;
  int32_t map_mode = 1;
  int32_t viewport_org_x = 0, viewport_org_y = 0;
  int32_t viewport_ext_x = 0, viewport_ext_y = 0;
  int32_t window_org_x = 0, window_org_y = 0;
  int32_t window_ext_x = 0, window_ext_y = 0;
  bool viewport_ext_set = false;
  int32_t brush_org_x = 0, brush_org_y = 0;
  int32_t font_index = 0, pen_index = 0, brush_index = 0, palette_index = 0;
  int32_t text_align_flags = 0;
  uint32_t text_colour = 0;
  uint32_t bk_colour = 0xFFFFFF;
  bool opaque_bk = false;
  float char_spacing = 0, word_spacing = 0, horizontal_scale = 0;
  LogFontValues font;
  PenValues pen;
  BrushValues brush;
  bool winding = false;
  int32_t rop2 = 0;
  bool clockwise = false;
  int32_t text_align = 0;
  bool changed = true;
  bool font_changed = false;
  bool world_set = false;
  bool y_up = false;
  // Logical units per inch the map mode chose; kept per level so a restore
  // brings back the scale of the mode it restores.
  int32_t logical_res_x = 0, logical_res_y = 0;
};

struct TPxDCStackEntry {
  TPxDCState state;
  int depth = 0;
};

}  // namespace pyra::render
