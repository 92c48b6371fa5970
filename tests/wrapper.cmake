# PyraControl: its own logic against recording stand-ins of the engine and
# the platform, and the whole chain through libpyrawrap and libpyractl.
pyra_add_test(wrapper_control_test
  SOURCES wrapper_control_test.cpp wrapper_page_builder.cpp
  LIBS pyrawrap_objects pyra_support)
