# The program itself. app/wiring.cpp connects the main window to the
# generation and the preview; until it exists a stub that wires nothing
# stands in. Libraries the wiring needs go on the target_link_libraries
# line below.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/wiring.cpp)
  set(brevanta_wiring wiring.cpp)
else()
  set(brevanta_wiring wiring_stub.cpp)
endif()
# One copy per user: the lock and the "show yourself" message.
find_package(Qt6 REQUIRED COMPONENTS Network)
add_library(brevanta_single_instance STATIC single_instance.h single_instance.cpp)
target_link_libraries(brevanta_single_instance PUBLIC Qt6::Core Qt6::Network)

# Storing the list when the session ends: the session manager and SIGTERM, SIGHUP, SIGINT.
add_library(brevanta_session_end STATIC session_end.h session_end.cpp)
target_link_libraries(brevanta_session_end PUBLIC brevanta_frame Qt6::Gui)

add_executable(brevanta main.cpp wiring.h ${brevanta_wiring} test_script.h test_script.cpp)
target_link_libraries(brevanta PRIVATE brevanta_register brevanta_single_instance brevanta_session_end)
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/wiring.cpp)
  # The wiring starts generations on the embedded engine and shows the preview.
  target_link_libraries(brevanta PRIVATE brevanta_generate brevanta_preview brevanta_engine)
endif()
