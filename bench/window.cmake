# The window path as a person waits for it: Start to the painted preview, and
# zoom, scroll and drag on a long register. Run it under xvfb-run for a real
# X11 window, or with QT_QPA_PLATFORM=offscreen.
add_executable(window_bench ${CMAKE_CURRENT_LIST_DIR}/window_bench.cpp ${CMAKE_SOURCE_DIR}/app/wiring.cpp)
target_link_libraries(window_bench PRIVATE brevanta_generate brevanta_engine brevanta_xls brevanta_preview brevanta_register)
