# The mingw cross build: libpng and GoogleTest from source, and the tests that run under Wine.
include(${CMAKE_CURRENT_LIST_DIR}/LibpngMingw.cmake)

# Stands in for CMake's FindPNG so that find_package(PNG) picks the library built above.
list(PREPEND CMAKE_MODULE_PATH "${CMAKE_CURRENT_LIST_DIR}/mingw")

option(TINTINNA_WINDOWS_TESTS "Build the Windows tests that run under Wine" OFF)
if(TINTINNA_WINDOWS_TESTS)
  include(${CMAKE_CURRENT_LIST_DIR}/GTestMingw.cmake)
  enable_testing()
endif()
