# zlib, libpng and libjpeg for the Windows build, compiled from Debian's
# source packages (fetched by WindowsPlatform.cmake into
# ORV_IMAGE_SOURCE_DIR, see fetch-image-library-sources.sh) into static libraries
# under the target names the Linux build gets from the system: ZLIB::ZLIB,
# PNG::PNG and JPEG::JPEG. Only the decoding and encoding cores are built:
# no tools, no SIMD code.

set(ORV_IMAGE_CONFIG_DIR ${CMAKE_BINARY_DIR}/image-libraries-config)

# The libraries' own code is theirs: compiled without our warnings and
# without debugging information.
function(orv_image_library name directory)
  list(TRANSFORM ARGN PREPEND ${ORV_IMAGE_SOURCE_DIR}/${directory}/)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} SYSTEM PUBLIC ${ORV_IMAGE_SOURCE_DIR}/${directory}
                             ${ORV_IMAGE_CONFIG_DIR}/${directory})
  target_compile_options(${name} PRIVATE -w -g0)
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()

orv_image_library(orv_zlib zlib
  adler32.c compress.c crc32.c deflate.c gzclose.c gzlib.c gzread.c gzwrite.c infback.c
  inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c)
add_library(ZLIB::ZLIB ALIAS orv_zlib)

configure_file(${ORV_IMAGE_SOURCE_DIR}/libpng/scripts/pnglibconf.h.prebuilt
               ${ORV_IMAGE_CONFIG_DIR}/libpng/pnglibconf.h COPYONLY)
orv_image_library(orv_png libpng
  png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c pngrio.c pngrtran.c pngrutil.c
  pngset.c pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c)
target_link_libraries(orv_png PUBLIC orv_zlib)
add_library(PNG::PNG ALIAS orv_png)

# libjpeg's configuration headers, as its own build would make them for the
# target (x86 or x64 Windows) with the version 6b interface Debian ships.
# Their variables stay inside the function.
function(orv_configure_libjpeg)
  set(JPEG_LIB_VERSION 62)
  file(STRINGS ${ORV_IMAGE_SOURCE_DIR}/libjpeg/CMakeLists.txt ORV_JPEG_VERSION_LINE
       REGEX "^set\\(VERSION [0-9.]+\\)")
  string(REGEX MATCH "[0-9]+\\.[0-9]+\\.[0-9]+" VERSION "${ORV_JPEG_VERSION_LINE}")
  string(REPLACE "." ";" ORV_JPEG_VERSION_PARTS "${VERSION}")
  list(GET ORV_JPEG_VERSION_PARTS 0 ORV_JPEG_MAJOR)
  list(GET ORV_JPEG_VERSION_PARTS 1 ORV_JPEG_MINOR)
  list(GET ORV_JPEG_VERSION_PARTS 2 ORV_JPEG_PATCH)
  math(EXPR LIBJPEG_TURBO_VERSION_NUMBER
       "${ORV_JPEG_MAJOR} * 1000000 + ${ORV_JPEG_MINOR} * 1000 + ${ORV_JPEG_PATCH}")
  set(C_ARITH_CODING_SUPPORTED 1)
  set(D_ARITH_CODING_SUPPORTED 1)
  set(MEM_SRCDST_SUPPORTED 1)
  set(WITH_SIMD 0)
  set(BITS_IN_JSAMPLE 8)
  set(RIGHT_SHIFT_IS_UNSIGNED 0)
  set(BUILD "orvd3d")
  set(INLINE "__inline__ __attribute__((always_inline))")
  set(THREAD_LOCAL "__thread")
  set(SIZE_T ${CMAKE_SIZEOF_VOID_P})
  set(HAVE_BUILTIN_CTZL 1)
  set(HAVE_INTRIN_H 0)
  set(CMAKE_PROJECT_NAME libjpeg-turbo)
  foreach(header jconfig.h jconfigint.h jversion.h)
    configure_file(${ORV_IMAGE_SOURCE_DIR}/libjpeg/${header}.in ${ORV_IMAGE_CONFIG_DIR}/libjpeg/${header})
  endforeach()
endfunction()
orv_configure_libjpeg()
orv_image_library(orv_jpeg libjpeg
  jcapimin.c jcapistd.c jccoefct.c jccolor.c jcdctmgr.c jchuff.c jcicc.c jcinit.c jcmainct.c
  jcmarker.c jcmaster.c jcomapi.c jcparam.c jcphuff.c jcprepct.c jcsample.c jctrans.c
  jdapimin.c jdapistd.c jdatadst.c jdatasrc.c jdcoefct.c jdcolor.c jddctmgr.c jdhuff.c
  jdicc.c jdinput.c jdmainct.c jdmarker.c jdmaster.c jdmerge.c jdphuff.c jdpostct.c
  jdsample.c jdtrans.c jerror.c jfdctflt.c jfdctfst.c jfdctint.c jidctflt.c jidctfst.c
  jidctint.c jidctred.c jquant1.c jquant2.c jutils.c jmemmgr.c jmemnobs.c jaricom.c
  jcarith.c jdarith.c jsimd_none.c)
# Windows headers name a `boolean` of their own (an unsigned char): libjpeg is
# compiled with the same type (without parsing those headers in every file),
# and its users are told not to declare another.
target_compile_options(orv_jpeg PRIVATE -include ${CMAKE_CURRENT_LIST_DIR}/LibjpegBoolean.h)
target_compile_definitions(orv_jpeg PUBLIC HAVE_BOOLEAN)
add_library(JPEG::JPEG ALIAS orv_jpeg)
