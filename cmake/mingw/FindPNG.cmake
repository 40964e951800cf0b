# find_package(PNG) in the mingw build: the libpng target that cmake/LibpngMingw.cmake compiles.
if(NOT TARGET PNG::PNG)
  message(FATAL_ERROR "PNG::PNG is defined by cmake/LibpngMingw.cmake, include it first")
endif()
set(PNG_FOUND TRUE)
set(PNG_LIBRARIES PNG::PNG)
get_target_property(PNG_INCLUDE_DIRS tintinna_libpng INTERFACE_INCLUDE_DIRECTORIES)
set(PNG_INCLUDE_DIR "${PNG_INCLUDE_DIRS}")
set(PNG_VERSION_STRING 1.6)
