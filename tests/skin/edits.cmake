# Skinned edits: border, number edit, spin edit.
keldara_test(skin_edits_tests
  SOURCES kivedit_test.cpp
  LIBS skin)
