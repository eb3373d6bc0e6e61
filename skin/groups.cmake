# Group boxes, check and radio groups, tab and page controls.
target_sources(skin PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/kivgroupbox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivradiogroup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivtabcontrol.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivpagecontrol.cpp)
