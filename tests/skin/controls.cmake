# Skinned buttons, check boxes, progress bar and panels.
keldara_test(skin_controls_tests
  SOURCES kivbutton_test.cpp kivprogressbar_test.cpp kivimagepanel_test.cpp kivbidimode_test.cpp
  LIBS skin)

# Each control in each built-in style (Qt window or headless picture), for screenshots.
add_executable(controlsdemo controlsdemo.cpp)
target_link_libraries(controlsdemo PRIVATE skin vcl_qt)
