# Timing driver: brevanta-register against LibreOffice and ssconvert on the same transactions.
add_executable(generate_bench ${CMAKE_CURRENT_LIST_DIR}/generate_bench.cpp)
target_link_libraries(generate_bench PRIVATE Qt6::Core)
target_compile_definitions(generate_bench PRIVATE BREVANTA_REGISTER_COMMAND="$<TARGET_FILE:brevanta-register>")
target_compile_definitions(generate_bench PRIVATE BREVANTA_WINDOW_BENCH_COMMAND="$<TARGET_FILE:window_bench>")
add_dependencies(generate_bench brevanta-register window_bench)
