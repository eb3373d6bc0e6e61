# Skinned buttons, check boxes, progress bar and panels.
target_sources(skin PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/kivbutton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivprogressbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivimagepanel.cpp)
