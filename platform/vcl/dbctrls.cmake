# The data-aware controls over the data layer: edits, memo, picture, lists,
# combo boxes, their lookup kinds and the grid.
target_sources(vcl PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/dbctrls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/dblookup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/dbgrids.cpp)
target_link_libraries(vcl PUBLIC data)
