# The embedded engine's speed: host calls per second and a full register layout.
add_executable(engine_bench ${CMAKE_CURRENT_LIST_DIR}/engine_bench.cpp)
target_link_libraries(engine_bench PRIVATE brevanta_engine brevanta_xls brevanta_generate benchmark::benchmark Qt6::Gui)
