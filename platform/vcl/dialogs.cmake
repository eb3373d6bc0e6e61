# Standard controls, group 2: edits, memo, masks, lists, combo boxes, grids, menus and dialogs.
target_sources(vcl PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/scrollstate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/stdctrls_edit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/menus.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/stdctrls_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/filectrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/grids.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/mask.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/dialogs.cpp)
