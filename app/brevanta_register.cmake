# brevanta-register: the register generation without windows.
add_executable(brevanta-register register_main.cpp)
target_link_libraries(brevanta-register PRIVATE brevanta_generate brevanta_statements brevanta_register brevanta_engine brevanta_host Qt6::Gui)
