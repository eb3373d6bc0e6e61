# The scroll bar, and the memo, list boxes and grids that can hand their scrolling to it.
keldara_test(skin_lists_tests
  SOURCES kivscrollbar_test.cpp
  LIBS skin)
