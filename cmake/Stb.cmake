# stb_dxt, the DXT encoder of the pixel library, as the header-only target
# Stb::Dxt: the system's header on Linux (Debian's libstb-dev, in
# /usr/include/stb), and for Windows the header from Debian's source package
# (fetched by WindowsPlatform.cmake into ORV_STB_SOURCE_DIR, see
# fetch-stb-source.sh), as the other libraries are.
if(TARGET Stb::Dxt)
  return()
endif()

if(WIN32)
  set(STB_INCLUDE_DIR ${ORV_STB_SOURCE_DIR})
else()
  find_path(STB_INCLUDE_DIR stb_dxt.h PATH_SUFFIXES stb REQUIRED)
endif()
add_library(Stb::Dxt INTERFACE IMPORTED GLOBAL)
set_target_properties(Stb::Dxt PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${STB_INCLUDE_DIR})
