# brevanta-register: the register generation without windows.
add_executable(brevanta-register register_main.cpp)
target_link_libraries(brevanta-register PRIVATE brevanta_generate brevanta_register brevanta_engine brevanta_host brevanta_print Qt6::Gui)
