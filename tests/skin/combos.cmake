# Skinned combo boxes: painting, font and size lists, colour lists.
keldara_test(skin_combos_tests
  SOURCES kivcombobox_test.cpp kivfontcombobox_test.cpp kivcolorbox_test.cpp
  LIBS skin)
