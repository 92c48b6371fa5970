# billbook's reports: the band writer, the reports and their PDF export
# through PyraControl and the engine, and the headless program.
pyra_add_test(billbook_reports_test
  SOURCES billbook_reports_bands_test.cpp billbook_reports_export_test.cpp
  LIBS billbook_reports billbook_data pyrawrap_objects pyractl)

pyra_add_test(billbook_cli_test
  SOURCES billbook_cli_test.cpp
  LIBS billbook_reports billbook_data)
target_compile_definitions(billbook_cli_test PRIVATE BILLBOOK="$<TARGET_FILE:billbook>")
add_dependencies(billbook_cli_test billbook)
