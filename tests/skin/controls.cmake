# Skinned buttons, check boxes, progress bar and panels.
keldara_test(skin_controls_tests
  SOURCES kivbutton_test.cpp kivprogressbar_test.cpp kivimagepanel_test.cpp
  LIBS skin)
