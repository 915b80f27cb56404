# Test executables live outside the program folder so that it holds only what ships.
find_package(GTest REQUIRED)
include(GoogleTest)
set(TARV_TEST_DIR ${CMAKE_BINARY_DIR}/tests)

# tarv_add_test(NAME SOURCES... LIBS ... [GUI])
# GUI tests run under their own headless display, so ctest works from any terminal.
function(tarv_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TARV_TEST_DIR})
  target_compile_definitions(${name} PRIVATE
    TARV_PROGRAM_DIR="${TARV_PROGRAM_DIR}/" TARV_TEST_DIR="${TARV_TEST_DIR}/")
  if(T_GUI)
    find_program(XVFB_RUN xvfb-run REQUIRED)
    add_test(NAME ${name}
      COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES LABELS "gui;${T_LABELS}" TIMEOUT 600)
  else()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT 900)
  endif()
  # The texts the tests expect are the English ones, whatever language the desktop running
  # them speaks; the language tests choose their own.
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "LANGUAGE=;LC_ALL=C.UTF-8")
endfunction()
