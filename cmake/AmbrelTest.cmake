# add_ambrel_test(name SOURCES ... [LIBS ...] [LABELS ...] [ARGS ...] [ENVIRONMENT ...])
# builds a GoogleTest program and registers it with CTest. Windows tests run
# under Wine through the cross-compiling emulator and share one Wine prefix,
# set up once per ctest run by the "wine" fixture. A Windows test runs with
# code page 1252 (en_US) unless its ENVIRONMENT names another LANG, so that
# the developer's own locale never changes a result. No test may hang: each
# is stopped after TIMEOUT seconds (120 unless given).
function(add_ambrel_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS;ARGS;ENVIRONMENT" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT})
  if(CMAKE_CROSSCOMPILING)
    set_tests_properties(${name} PROPERTIES
      FIXTURES_REQUIRED wine
      ENVIRONMENT "AMBREL_WINE_STATE=${AMBREL_WINE_STATE};LANG=en_US.UTF-8;${T_ENVIRONMENT}")
  elseif(T_ENVIRONMENT)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
endfunction()
