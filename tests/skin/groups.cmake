# Group boxes, check and radio groups.
keldara_test(skin_groups_tests
  SOURCES kivgroupbox_test.cpp
  LIBS skin)
