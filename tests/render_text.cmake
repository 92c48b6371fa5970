# Text output: placement by pixel probes, extraction, decorations, bad input.
pyra_add_test(render_text_test
  SOURCES render_text_placement_test.cpp render_text_content_test.cpp
  LIBS pyractl)
pyra_add_test(render_text_options_test SOURCES render_text_options_test.cpp LIBS pyra_render)
pyra_add_test(render_text_recorder_test SOURCES render_text_recorder_test.cpp LIBS pyractl pyragdi)
