# Timing driver: the median of each generation phase of brevanta-register (or of builds given with --program).
add_executable(phase_bench ${CMAKE_CURRENT_LIST_DIR}/phase_bench.cpp)
target_link_libraries(phase_bench PRIVATE Qt6::Core)
target_compile_definitions(phase_bench PRIVATE BREVANTA_REGISTER_COMMAND="$<TARGET_FILE:brevanta-register>")
add_dependencies(phase_bench brevanta-register)
