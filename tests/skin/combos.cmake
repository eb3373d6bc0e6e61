# Skinned combo boxes: painting, font and size lists, colour lists.
keldara_test(skin_combos_tests
  SOURCES kivcombobox_test.cpp kivfontcombobox_test.cpp kivcolorbox_test.cpp
  LIBS skin)

# Each combo box and edit in each built-in style (Qt window or headless picture), for screenshots.
add_executable(combosdemo combosdemo.cpp)
target_link_libraries(combosdemo PRIVATE skin vcl_qt)
