add_executable(preview_bench ${CMAKE_CURRENT_SOURCE_DIR}/preview_bench.cpp)
target_link_libraries(preview_bench PRIVATE brevanta_preview benchmark::benchmark)
