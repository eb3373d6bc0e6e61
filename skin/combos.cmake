# Skinned combo boxes: text, drives, filters, fonts, font sizes and colours.
target_sources(skin PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/kivcombobox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivfontcombobox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivcolorbox.cpp)
