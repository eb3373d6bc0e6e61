# Group boxes, check and radio groups.
target_sources(skin PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/kivgroupbox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivradiogroup.cpp)
