# Speed of the PDF of a register (print/), beside LibreOffice exporting the
# same workbook to PDF. Needs the register builder of the xls tests.
if(TARGET brevanta_xls_test_support)
  add_executable(print_bench ${CMAKE_CURRENT_LIST_DIR}/print_bench.cpp)
  target_link_libraries(print_bench PRIVATE brevanta_print brevanta_xls_test_support benchmark::benchmark)
endif()
