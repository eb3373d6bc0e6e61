# The preview graph, its video window on a picture panel, and the media probe thread.
target_sources(shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_graphgroupclass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/previewsurface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_loadfile.cpp)
target_link_libraries(shell PUBLIC dshow filters_ids skin)
# The graph layer loads its filters when the preview first needs them.
add_dependencies(shell dshow_filters)
