# The first group of standard controls: labels, pictures, panels, buttons,
# check and radio boxes, scroll and track bars, page controls and tool bars.
target_sources(vcl PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/ctrltypes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/extctrls.cpp)
# Labels, buttons, check and radio boxes, group boxes and speed buttons.
target_sources(vcl PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/stdctrls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/buttons.cpp)
# Tool bars and their buttons.
target_sources(vcl PRIVATE ${CMAKE_CURRENT_LIST_DIR}/src/toolbar.cpp)
# Scroll bar, track and progress bars, up-down buttons, page and tab controls.
target_sources(vcl PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/scrollbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/comctrls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/pagectrl.cpp)
