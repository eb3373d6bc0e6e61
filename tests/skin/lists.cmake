# The scroll bar, and the memo, list boxes and grids that can hand their scrolling to it.
keldara_test(skin_lists_tests
  SOURCES kivscrollbar_test.cpp kivlists_test.cpp
  LIBS skin)

# Memo, list and grid in each built-in style with their own and with skinned bars (Qt window or headless picture).
add_executable(listsdemo listsdemo.cpp)
target_link_libraries(listsdemo PRIVATE skin vcl_qt)
