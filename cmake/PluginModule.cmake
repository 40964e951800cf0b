# tintinna_plugin_module(TARGET): a VST 2 module as hosts load it: no "lib" prefix, only the
# entry points exported, the static archives' symbols kept inside. The check for undefined
# symbols is left out under clang's sanitizers, whose runtime the loading program provides.
function(tintinna_plugin_module target)
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL)
    if(NOT (CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND CMAKE_CXX_FLAGS MATCHES "-fsanitize"))
      target_link_options(${target} PRIVATE -Wl,--no-undefined)
    endif()
  endif()
endfunction()
