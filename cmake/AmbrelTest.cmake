# add_ambrel_test(name SOURCES ... [LIBS ...] [LABELS ...] [ARGS ...] [ENVIRONMENT ...])
# builds a GoogleTest program and registers it with CTest. Windows tests run
# under Wine through the cross-compiling emulator and share one Wine prefix,
# set up once per ctest run by the "wine" fixture.
function(add_ambrel_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;ARGS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES
      FIXTURES_REQUIRED wine
      ENVIRONMENT "AMBREL_WINE_STATE=${AMBREL_WINE_STATE};${T_ENVIRONMENT}")
  elseif(T_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
endfunction()
