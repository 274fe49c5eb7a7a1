# Speed of the formula core (engine/formula).
add_executable(formula_bench ${CMAKE_CURRENT_LIST_DIR}/formula_bench.cpp)
target_link_libraries(formula_bench PRIVATE brevanta_formula benchmark::benchmark)
