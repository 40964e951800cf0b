# GoogleTest compiled for mingw from Debian's googletest source package, offered under the
# imported names of find_package(GTest).
set(TINTINNA_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS "${TINTINNA_GTEST_SOURCE_DIR}/googletest/src/gtest-all.cc")
  message(FATAL_ERROR "GoogleTest source missing in ${TINTINNA_GTEST_SOURCE_DIR}: "
                      "run scripts/bootstrap-windows.sh")
endif()

set(_gtest "${TINTINNA_GTEST_SOURCE_DIR}/googletest")
set(_gmock "${TINTINNA_GTEST_SOURCE_DIR}/googlemock")
add_library(tintinna_gtest STATIC "${_gtest}/src/gtest-all.cc" "${_gmock}/src/gmock-all.cc")
target_include_directories(tintinna_gtest SYSTEM PUBLIC "${_gtest}/include" "${_gmock}/include")
target_include_directories(tintinna_gtest PRIVATE "${_gtest}" "${_gmock}")
add_library(tintinna_gtest_main STATIC "${_gtest}/src/gtest_main.cc")
target_link_libraries(tintinna_gtest_main PUBLIC tintinna_gtest)

if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS tintinna_gtest)
  add_library(GTest::gmock ALIAS tintinna_gtest)
  add_library(GTest::gtest_main ALIAS tintinna_gtest_main)
endif()
