# The pyra command-line converter, run as a program the way users run it.
pyra_add_test(cli_test SOURCES cli_options_test.cpp cli_inputs_test.cpp cli_convert_test.cpp)
add_dependencies(cli_test pyra)
target_compile_definitions(cli_test PRIVATE PYRA_CLI="$<TARGET_FILE:pyra>")
if(TARGET make-samples)
  add_dependencies(cli_test make-samples)
  target_compile_definitions(cli_test PRIVATE PYRA_MAKE_SAMPLES="$<TARGET_FILE:make-samples>")
endif()
