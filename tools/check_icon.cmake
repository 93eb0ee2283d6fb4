# cmake -DMAKE_ICON=... -DGENERATED=... -DCOMMITTED=... -P check_icon.cmake
# Runs the icon generator and fails unless its output equals the committed icon.
execute_process(COMMAND ${MAKE_ICON} ${GENERATED} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make_icon failed: ${result}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${GENERATED} ${COMMITTED}
  RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
  message(FATAL_ERROR "${COMMITTED} is not what make_icon generates now; "
    "regenerate it with: make_icon resources/ambrel.ico")
endif()
