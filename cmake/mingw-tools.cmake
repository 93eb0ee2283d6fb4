# Names the MinGW-w64 tools for AMBREL_MINGW_TRIPLET and stops at once when one
# is missing, rather than letting CMake fall back to the host compiler.
foreach(tool IN ITEMS gcc-posix g++-posix windres)
  find_program(_ambrel_tool ${AMBREL_MINGW_TRIPLET}-${tool} NO_CACHE)
  if(NOT _ambrel_tool)
    message(FATAL_ERROR "${AMBREL_MINGW_TRIPLET}-${tool} not found: run tools/bootstrap.sh")
  endif()
  unset(_ambrel_tool)
endforeach()

set(CMAKE_C_COMPILER ${AMBREL_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${AMBREL_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${AMBREL_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${AMBREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
