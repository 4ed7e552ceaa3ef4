# 32-bit Windows (PE32 files) with MinGW-w64, for 32-bit host programs.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORV_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
