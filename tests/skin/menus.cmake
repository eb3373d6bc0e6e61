# Track bars, owner-drawn menus, the link label and the toolbar.
keldara_test(skin_menus_tests
  SOURCES kivtrackbar_test.cpp kivmenu_test.cpp kivurllabel_test.cpp kivtoolbar_test.cpp
  LIBS skin)

# Track bars and menu items in each built-in style (Qt window or headless picture), for screenshots.
add_executable(menusdemo menusdemo.cpp)
target_link_libraries(menusdemo PRIVATE skin vcl_qt)
