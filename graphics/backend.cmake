# The drawing back end, the image cache and the editor window layer, added to the graphics
# library. Included from graphics/CMakeLists.txt.
target_sources(tintinna_graphics PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/graphics_raster.cpp
  ${CMAKE_CURRENT_LIST_DIR}/image_cache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/raster_geometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/editor_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/value_entry_refresh.cpp)
target_link_libraries(tintinna_graphics PUBLIC tintinna_raster)

if(WIN32)
  if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/editor_window_win32.cpp)
    target_sources(tintinna_graphics PRIVATE ${CMAKE_CURRENT_LIST_DIR}/editor_window_win32.cpp)
    target_link_libraries(tintinna_graphics PUBLIC user32 gdi32 comdlg32 shell32 wininet)
  endif()
else()
  find_package(Freetype REQUIRED)
  find_package(Fontconfig REQUIRED)
  find_package(X11 REQUIRED)
  find_package(Threads REQUIRED)
  target_sources(tintinna_graphics PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/editor_window_linux.cpp
    ${CMAKE_CURRENT_LIST_DIR}/editor_window_x11.cpp
    ${CMAKE_CURRENT_LIST_DIR}/editor_thread_loop_linux.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x11_entry_box.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x11_errors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x11_events.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x11_input.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x11_value_entry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/x11_window.cpp
    ${CMAKE_CURRENT_LIST_DIR}/text_renderer_freetype.cpp)
  target_link_libraries(tintinna_graphics PRIVATE Freetype::Freetype Fontconfig::Fontconfig
                                                  X11::X11 X11::Xext Threads::Threads
                                                  ${CMAKE_DL_LIBS})
endif()
