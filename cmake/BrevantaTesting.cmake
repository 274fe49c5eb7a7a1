find_package(GTest REQUIRED)

add_custom_target(brevanta_fuzz_targets)

# brevanta_test(NAME SOURCES ... LIBS ...)
# One test executable, registered with CTest as one test. Every test runs on
# Qt's offscreen platform with a private settings folder, so no test can
# reach the user's display or real settings.
function(brevanta_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE brevanta_test_support ${T_LIBS} GTest::gtest)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/config;HOME=${CMAKE_BINARY_DIR}/test-home;BREVANTA_TEST_OUTPUT=${CMAKE_BINARY_DIR}/test-output"
    TIMEOUT 600)
endfunction()

# brevanta_fuzz(NAME SOURCES ... LIBS ... [SEEDS dir])
# A fuzz target defines LLVMFuzzerTestOneInput. Built with clang and
# BREVANTA_FUZZ=ON it is a libFuzzer binary whose CTest run is time-boxed
# (label "fuzz"); otherwise it links a small driver that replays the seeds
# and a fixed number of seeded random mutations, so every build exercises it.
function(brevanta_fuzz name)
  cmake_parse_arguments(F "" "SEEDS" "SOURCES;LIBS" ${ARGN})
  if(BREVANTA_FUZZ AND CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    add_executable(${name} ${F_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    add_dependencies(brevanta_fuzz_targets ${name})
    set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
    add_test(NAME ${name}
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
              $<TARGET_FILE:${name}> -max_total_time=20 -rss_limit_mb=4096
              ${corpus} ${F_SEEDS})
    file(MAKE_DIRECTORY ${corpus})
    set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 300)
  else()
    add_executable(${name} ${F_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/fuzz_driver.cpp)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    add_test(NAME ${name} COMMAND ${name} ${F_SEEDS})
    set_tests_properties(${name} PROPERTIES LABELS fuzz-replay TIMEOUT 600
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()
