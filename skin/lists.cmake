# The scroll bar, and the memo, list boxes and grids that can hand their scrolling to it.
target_sources(skin PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/kivscrollbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivscrolled.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivlistbox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivgrid.cpp)
