# Cross-compiling for Windows with MinGW-w64 from a Debian host. The
# architecture's toolchain file (mingw-w64-x64.cmake, mingw-w64-x86.cmake)
# names the target and includes this one; on its own it builds for x64.
if(NOT ORV_MINGW_TRIPLE)
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
  set(ORV_MINGW_TRIPLE x86_64-w64-mingw32)
endif()
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${ORV_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${ORV_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${ORV_MINGW_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${ORV_MINGW_TRIPLE}-dlltool)

# Headers and libraries come from the MinGW-w64 tree only; programs run on the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ORV_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
