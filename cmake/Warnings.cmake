# Warnings every target of the project compiles with.
add_library(tintinna_warnings INTERFACE)
target_compile_options(tintinna_warnings INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor>
  $<$<COMPILE_LANGUAGE:C>:-Wall -Wextra>)
