# Adds each listed directory that has a CMakeLists.txt, so a subsystem joins the build by
# creating its own list file.
function(tintinna_add_subdirectories)
  foreach(dir IN LISTS ARGN)
    if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
