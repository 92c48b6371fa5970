pyra_add_test(demo_data_test
  SOURCES demo_data_store_test.cpp demo_data_browse_test.cpp demo_data_crash_test.cpp
          demo_data_file_test.cpp demo_data_texts_test.cpp
  LIBS billbook_data)
target_compile_definitions(demo_data_test PRIVATE BILLBOOK_SEED="$<TARGET_FILE:billbook-seed>")
add_dependencies(demo_data_test billbook-seed)
