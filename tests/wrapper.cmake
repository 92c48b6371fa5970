# PyraControl: its own logic against recording stand-ins of the engine and
# the platform, and the whole chain through libpyrawrap and libpyractl.
pyra_add_test(wrapper_control_test
  SOURCES wrapper_control_test.cpp wrapper_page_builder.cpp
  LIBS pyrawrap_objects pyra_support)

pyra_add_test(wrapper_end_to_end_test
  SOURCES wrapper_end_to_end_test.cpp wrapper_page_builder.cpp
  LIBS pyrawrap)
target_compile_definitions(wrapper_end_to_end_test PRIVATE PYRA_REPORT_HOST="$<TARGET_FILE:pyra_report_host>")
add_dependencies(wrapper_end_to_end_test pyra_report_host)
