#pragma once
// What the content writer last emitted at one q level, so unchanged
// attributes are not written again. A Q discards the level and with it
// everything the reader forgets too.
#include <cstdint>
#include <string>

namespace pyra::render {

struct TPxPSState {
  uint32_t last_fill = 0;
  uint32_t last_stroke = 0;
  double last_width = 0;
  int last_width_divisor = 1;
  int32_t last_cap = 0;
  int32_t last_join = 0;  // PDF default: miter
  uint8_t last_dash = 0;
  double last_dash_w = 0, last_dash_u = 0;
  std::vector<double> last_user_dash;  // the array written for a user style
  float matrix[6] = {1, 0, 0, 1, 0, 0};
  bool pen_dirty = true;
  bool brush_dirty = true;
  bool text_dirty = true;

  // Text attributes kept for the text output.
  std::string font_name = "Arial";
  double font_size = 0;
  int32_t font_weight = 0;
  bool font_italic = false;
  int32_t char_set = 0;
  double char_spacing = 0;
  double word_spacing = 0;
  double horizontal_scale = 0;
};

}  // namespace pyra::render
