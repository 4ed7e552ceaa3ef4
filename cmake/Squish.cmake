# libsquish, the DXT encoder of the extension routines, as Squish::Squish: the
# system's on Linux (Debian's libsquish.pc names no include directory, so the
# files are found directly), and for Windows compiled from Debian's source
# package (fetched by WindowsPlatform.cmake into ORV_SQUISH_SOURCE_DIR, see
# fetch-squish-source.sh) into a static library, as the image libraries are.
if(TARGET Squish::Squish)
  return()
endif()

if(NOT WIN32)
  find_path(SQUISH_INCLUDE_DIR squish.h REQUIRED)
  find_library(SQUISH_LIBRARY squish REQUIRED)
  add_library(Squish::Squish UNKNOWN IMPORTED GLOBAL)
  set_target_properties(Squish::Squish PROPERTIES IMPORTED_LOCATION ${SQUISH_LIBRARY}
                        INTERFACE_INCLUDE_DIRECTORIES ${SQUISH_INCLUDE_DIR})
  return()
endif()

# The library's own code is its own: compiled without our warnings, and with
# its portable arithmetic (no SSE code paths), the same on every target.
add_library(orv_squish STATIC
  ${ORV_SQUISH_SOURCE_DIR}/alpha.cpp ${ORV_SQUISH_SOURCE_DIR}/clusterfit.cpp
  ${ORV_SQUISH_SOURCE_DIR}/colourblock.cpp ${ORV_SQUISH_SOURCE_DIR}/colourfit.cpp
  ${ORV_SQUISH_SOURCE_DIR}/colourset.cpp ${ORV_SQUISH_SOURCE_DIR}/maths.cpp
  ${ORV_SQUISH_SOURCE_DIR}/rangefit.cpp ${ORV_SQUISH_SOURCE_DIR}/singlecolourfit.cpp
  ${ORV_SQUISH_SOURCE_DIR}/squish.cpp)
target_include_directories(orv_squish SYSTEM PUBLIC ${ORV_SQUISH_SOURCE_DIR})
target_compile_options(orv_squish PRIVATE -w)
set_target_properties(orv_squish PROPERTIES POSITION_INDEPENDENT_CODE ON)
add_library(Squish::Squish ALIAS orv_squish)
