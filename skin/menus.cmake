# Track bars, owner-drawn menus, the link label and the toolbar.
target_sources(skin PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/kivtrackbar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivmenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivpopupmenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivmainmenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivurllabel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivtoolbar.cpp)
