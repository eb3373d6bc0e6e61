# Group boxes, check and radio groups, tab and page controls.
keldara_test(skin_groups_tests
  SOURCES kivgroupbox_test.cpp kivtabcontrol_test.cpp kivpagecontrol_test.cpp
  LIBS skin)
