# libpng compiled for mingw from Debian's source package (fetched by scripts/bootstrap-windows.sh),
# against the static zlib of libz-mingw-w64-dev; offered as PNG::PNG in place of find_package.
set(TINTINNA_LIBPNG_SOURCE_DIR "${PROJECT_SOURCE_DIR}/build/third_party/libpng"
    CACHE PATH "Unpacked libpng source tree")
if(NOT EXISTS "${TINTINNA_LIBPNG_SOURCE_DIR}/png.h")
  message(FATAL_ERROR "libpng source missing in ${TINTINNA_LIBPNG_SOURCE_DIR}: "
                      "run scripts/bootstrap-windows.sh")
endif()

find_library(TINTINNA_MINGW_ZLIB NAMES libz.a REQUIRED)
find_path(TINTINNA_MINGW_ZLIB_INCLUDE zlib.h REQUIRED)

set(_png_dir "${TINTINNA_LIBPNG_SOURCE_DIR}")
set(_png_generated "${CMAKE_BINARY_DIR}/libpng")
configure_file("${_png_dir}/scripts/pnglibconf.h.prebuilt" "${_png_generated}/pnglibconf.h"
               COPYONLY)

add_library(tintinna_libpng STATIC
  ${_png_dir}/png.c ${_png_dir}/pngerror.c ${_png_dir}/pngget.c ${_png_dir}/pngmem.c
  ${_png_dir}/pngpread.c ${_png_dir}/pngread.c ${_png_dir}/pngrio.c ${_png_dir}/pngrtran.c
  ${_png_dir}/pngrutil.c ${_png_dir}/pngset.c ${_png_dir}/pngtrans.c ${_png_dir}/pngwio.c
  ${_png_dir}/pngwrite.c ${_png_dir}/pngwtran.c ${_png_dir}/pngwutil.c)
target_include_directories(tintinna_libpng SYSTEM PUBLIC
  "${_png_dir}" "${_png_generated}" "${TINTINNA_MINGW_ZLIB_INCLUDE}")
# The SIMD paths need extra sources of their own; the skin decodes once per process.
target_compile_definitions(tintinna_libpng PRIVATE PNG_INTEL_SSE_OPT=0 PNG_ARM_NEON_OPT=0
                                                   PNG_POWERPC_VSX_OPT=0 PNG_MIPS_MSA_OPT=0)
target_link_libraries(tintinna_libpng PUBLIC "${TINTINNA_MINGW_ZLIB}")
set_target_properties(tintinna_libpng PROPERTIES POSITION_INDEPENDENT_CODE ON)

add_library(PNG::PNG ALIAS tintinna_libpng)
# Anything that asks for zlib itself gets the same static archive, never the DLL's import library.
set(ZLIB_LIBRARY "${TINTINNA_MINGW_ZLIB}" CACHE FILEPATH "Static mingw zlib")
set(ZLIB_INCLUDE_DIR "${TINTINNA_MINGW_ZLIB_INCLUDE}" CACHE PATH "mingw zlib headers")
