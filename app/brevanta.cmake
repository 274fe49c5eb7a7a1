# The program itself. app/wiring.cpp connects the main window to the
# generation and the preview; until it exists a stub that wires nothing
# stands in. Libraries the wiring needs go on the target_link_libraries
# line below.
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/wiring.cpp)
  set(brevanta_wiring wiring.cpp)
else()
  set(brevanta_wiring wiring_stub.cpp)
endif()
add_executable(brevanta main.cpp wiring.h ${brevanta_wiring})
target_link_libraries(brevanta PRIVATE brevanta_register)
if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/wiring.cpp)
  # The wiring starts generations on the embedded engine and shows the preview.
  target_link_libraries(brevanta PRIVATE brevanta_generate brevanta_preview brevanta_engine)
endif()
