add_executable(saved_list_bench ${CMAKE_CURRENT_LIST_DIR}/saved_list_bench.cpp)
target_link_libraries(saved_list_bench PRIVATE brevanta_register benchmark::benchmark)
