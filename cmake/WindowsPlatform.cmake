# The platform of the Windows build. The system's Win32 and Direct3D 8 take the
# place of the stand-ins in platform/, under the same target names, so the
# kernel, the extension routines and the plug-in build unchanged.

# Libraries are named as the host loads them (OrvKernel.dll, ORVD3D.dll) and
# carry their own C++ runtime, so they need nothing beyond system DLLs.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_IMPORT_LIBRARY_PREFIX "")
add_link_options(-static-libgcc -static-libstdc++)

# Win32: USER, GDI and KERNEL32 with the system headers.
add_library(orvwin32 INTERFACE)
target_link_libraries(orvwin32 INTERFACE user32 gdi32 kernel32)

# The target architecture: x86 (32-bit, PE32) or x64 (64-bit, PE32+).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(ORV_WINDOWS_ARCH x86)
else()
  set(ORV_WINDOWS_ARCH x64)
endif()

# Direct3D 8: the system headers, and an import library made from d3d8.def
# because MinGW-w64 ships none. On x86 the definition's stdcall names
# (Direct3DCreate8@4) are what the compiler's calls refer to, and --kill-at
# imports them by their plain names; x64 has no decoration at all.
set(ORV_D3D8_IMPORT_LIBRARY ${CMAKE_BINARY_DIR}/import/libd3d8.a)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/import)
if(ORV_WINDOWS_ARCH STREQUAL "x86")
  set(ORV_D3D8_DEF ${CMAKE_CURRENT_LIST_DIR}/d3d8.def)
  set(ORV_DLLTOOL_OPTIONS --kill-at)
else()
  file(READ ${CMAKE_CURRENT_LIST_DIR}/d3d8.def ORV_D3D8_DEFINITION)
  string(REGEX REPLACE "@[0-9]+" "" ORV_D3D8_DEFINITION "${ORV_D3D8_DEFINITION}")
  set(ORV_D3D8_DEF ${CMAKE_BINARY_DIR}/import/d3d8.def)
  file(WRITE ${ORV_D3D8_DEF} "${ORV_D3D8_DEFINITION}")
  set(ORV_DLLTOOL_OPTIONS)
endif()
execute_process(
  COMMAND ${CMAKE_DLLTOOL} ${ORV_DLLTOOL_OPTIONS} --input-def ${ORV_D3D8_DEF} --dllname d3d8.dll
          --output-lib ${ORV_D3D8_IMPORT_LIBRARY}
  RESULT_VARIABLE ORV_DLLTOOL_RESULT)
if(NOT ORV_DLLTOOL_RESULT EQUAL 0)
  message(FATAL_ERROR "${CMAKE_DLLTOOL} could not make the d3d8.dll import library")
endif()
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_CURRENT_LIST_DIR}/d3d8.def)
add_library(d3d8 STATIC IMPORTED GLOBAL)
set_target_properties(d3d8 PROPERTIES IMPORTED_LOCATION ${ORV_D3D8_IMPORT_LIBRARY})

# The library sources that both architectures' trees compile (pugixml, zlib,
# libpng, libjpeg and stb_dxt) are fetched once, beside the trees; the lock
# keeps two trees configured at once from fetching together.
set(ORV_WINDOWS_SOURCES_DIR ${PROJECT_SOURCE_DIR}/build-mingw-sources CACHE PATH
    "Where the Windows build's library sources are fetched")
set(ORV_PUGIXML_SOURCE_DIR ${ORV_WINDOWS_SOURCES_DIR}/pugixml CACHE PATH
    "Directory with pugixml.cpp and pugixml.hpp for the Windows build")
set(ORV_IMAGE_SOURCE_DIR ${ORV_WINDOWS_SOURCES_DIR}/image-libraries CACHE PATH
    "Directory with the zlib, libpng and libjpeg sources for the Windows build")
set(ORV_STB_SOURCE_DIR ${ORV_WINDOWS_SOURCES_DIR}/stb CACHE PATH
    "Directory with stb_dxt.h for the Windows build")

# orv_fetch_sources(DIR MARKER SCRIPT): unless DIR/MARKER exists, runs
# cmake/SCRIPT DIR, which puts the sources there.
function(orv_fetch_sources directory marker script)
  if(EXISTS ${directory}/${marker})
    return()
  endif()
  execute_process(COMMAND bash ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${script} ${directory}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0 OR NOT EXISTS ${directory}/${marker})
    message(FATAL_ERROR "No sources in ${directory}, and ${script} could not fetch them")
  endif()
endfunction()

file(MAKE_DIRECTORY ${ORV_WINDOWS_SOURCES_DIR})
file(LOCK ${ORV_WINDOWS_SOURCES_DIR} DIRECTORY GUARD FILE)
orv_fetch_sources(${ORV_PUGIXML_SOURCE_DIR} pugixml.cpp fetch-pugixml-source.sh)
orv_fetch_sources(${ORV_IMAGE_SOURCE_DIR} libjpeg/jdapimin.c fetch-image-library-sources.sh)
orv_fetch_sources(${ORV_STB_SOURCE_DIR} stb_dxt.h fetch-stb-source.sh)
file(LOCK ${ORV_WINDOWS_SOURCES_DIR} DIRECTORY RELEASE)

# pugixml, compiled from source; the image libraries (WindowsImageLibraries.cmake)
# likewise; stb_dxt is one header (Stb.cmake).
add_library(pugixml STATIC ${ORV_PUGIXML_SOURCE_DIR}/pugixml.cpp)
target_include_directories(pugixml SYSTEM PUBLIC ${ORV_PUGIXML_SOURCE_DIR})
target_compile_options(pugixml PRIVATE -g0)
add_library(pugixml::pugixml ALIAS pugixml)

include(${CMAKE_CURRENT_LIST_DIR}/WindowsImageLibraries.cmake)
