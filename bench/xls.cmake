# Speed of the .xls writer and reader (xls/), beside LibreOffice converting
# the same register. Needs the register builder of the xls tests.
if(TARGET brevanta_xls_test_support)
  add_executable(xls_bench ${CMAKE_CURRENT_LIST_DIR}/xls_bench.cpp)
  target_link_libraries(xls_bench PRIVATE brevanta_xls_test_support benchmark::benchmark)
endif()
