pyra_add_test(render_test
  SOURCES render_support.cpp render_operators_test.cpp render_mapping_test.cpp
          render_shapes_test.cpp render_clip_test.cpp render_robustness_test.cpp
          render_device_test.cpp
  LIBS pyra_render)
