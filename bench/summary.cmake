# Timing driver: brevanta-register with and without the Category Summary.
add_executable(summary_bench ${CMAKE_CURRENT_LIST_DIR}/summary_bench.cpp)
target_link_libraries(summary_bench PRIVATE Qt6::Core)
target_compile_definitions(summary_bench PRIVATE BREVANTA_REGISTER_COMMAND="$<TARGET_FILE:brevanta-register>")
add_dependencies(summary_bench brevanta-register)
