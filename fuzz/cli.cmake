pyra_add_fuzzer(fuzz_cli_probe SOURCES cli_fuzz_probe.cpp ${PROJECT_SOURCE_DIR}/tools/cli/metafile_probe.cpp
                LIBS pyra_headers)
target_include_directories(fuzz_cli_probe PRIVATE ${PROJECT_SOURCE_DIR}/tools)
