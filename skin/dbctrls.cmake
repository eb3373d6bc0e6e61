# The data-aware controls in the skin, and the navigator.
target_sources(skin PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/kivdbctrls.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivdbnavigator.cpp)
