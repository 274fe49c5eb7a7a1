# Speed and peak memory of saving the register as .xlsx (xlsx/), beside
# LibreOffice converting the same workbook. Needs the register builder of the xls tests.
if(TARGET brevanta_xls_test_support)
  add_executable(xlsx_bench ${CMAKE_CURRENT_LIST_DIR}/xlsx_bench.cpp)
  target_link_libraries(xlsx_bench PRIVATE brevanta_xls_test_support brevanta_xlsx)
endif()
