# libjpeg (the 6b API) for this architecture: Debian's libjpeg-turbo source, fetched once into
# build/deps/src by tools/setup.sh, cross-built here as a static library into this build tree
# (deps/libjpeg) and kept there: later builds of the tree reuse it. Only the imported target
# `jpeg` carries it, so only what links that target (the class library's JPEG image) gets it.
include(ExternalProject)

set(VD_LIBJPEG_SOURCE ${CMAKE_SOURCE_DIR}/build/deps/src/libjpeg-turbo CACHE PATH "libjpeg-turbo sources (tools/setup.sh fetches them)")
if(NOT EXISTS ${VD_LIBJPEG_SOURCE}/jpeglib.h)
  message(FATAL_ERROR "No libjpeg-turbo sources in ${VD_LIBJPEG_SOURCE}: run tools/setup.sh first")
endif()

set(VD_LIBJPEG_PREFIX ${CMAKE_BINARY_DIR}/deps/libjpeg)
set(VD_LIBJPEG_LIBRARY ${VD_LIBJPEG_PREFIX}/lib/libjpeg.a)
file(MAKE_DIRECTORY ${VD_LIBJPEG_PREFIX}/include)

# Only the library and its four public headers: no SIMD (no assembler needed), no TurboJPEG API,
# no shared library, no memory source or destination (the class library brings its own). The
# install prefix must be absolute, or libjpeg-turbo's configure step fails.
ExternalProject_Add(libjpeg_build
  SOURCE_DIR ${VD_LIBJPEG_SOURCE}
  BINARY_DIR ${CMAKE_BINARY_DIR}/deps/libjpeg-build
  PREFIX ${CMAKE_BINARY_DIR}/deps/libjpeg-ep
  CMAKE_ARGS
    -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX=${VD_LIBJPEG_PREFIX}
    -DENABLE_SHARED=0 -DENABLE_STATIC=1 -DWITH_SIMD=0 -DWITH_TURBOJPEG=0 -DWITH_MEM_SRCDST=0
    -DWITH_JPEG7=0 -DWITH_JPEG8=0
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
  INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory ${VD_LIBJPEG_PREFIX}/lib
  COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a ${VD_LIBJPEG_LIBRARY}
  COMMAND ${CMAKE_COMMAND} -E copy <SOURCE_DIR>/jpeglib.h <SOURCE_DIR>/jerror.h <SOURCE_DIR>/jmorecfg.h
          <BINARY_DIR>/jconfig.h ${VD_LIBJPEG_PREFIX}/include
  BUILD_BYPRODUCTS ${VD_LIBJPEG_LIBRARY}
  LOG_CONFIGURE ON LOG_BUILD ON LOG_OUTPUT_ON_FAILURE ON)

add_library(jpeg STATIC IMPORTED GLOBAL)
set_target_properties(jpeg PROPERTIES
  IMPORTED_LOCATION ${VD_LIBJPEG_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${VD_LIBJPEG_PREFIX}/include)
add_dependencies(jpeg libjpeg_build)
