# libsquish, the tests' and benchmarks' reference DXT codec, as Squish::Squish:
# the system's (Debian's libsquish.pc names no include directory, so the files
# are found directly). The products encode with stb_dxt (Stb.cmake).
if(TARGET Squish::Squish)
  return()
endif()

find_path(SQUISH_INCLUDE_DIR squish.h REQUIRED)
find_library(SQUISH_LIBRARY squish REQUIRED)
add_library(Squish::Squish UNKNOWN IMPORTED GLOBAL)
set_target_properties(Squish::Squish PROPERTIES IMPORTED_LOCATION ${SQUISH_LIBRARY}
                      INTERFACE_INCLUDE_DIRECTORIES ${SQUISH_INCLUDE_DIR})
