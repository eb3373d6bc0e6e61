# Group boxes, check and radio groups, tab and page controls.
keldara_test(skin_groups_tests
  SOURCES kivgroupbox_test.cpp kivtabcontrol_test.cpp kivpagecontrol_test.cpp
  LIBS skin)

# Groups and page controls in each built-in style (Qt window or headless picture), for screenshots.
add_executable(groupsdemo groupsdemo.cpp)
target_link_libraries(groupsdemo PRIVATE skin vcl_qt win32)
