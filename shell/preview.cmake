# The preview graph, its video window on a picture panel, and the media probe thread.
target_sources(shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_graphgroupclass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/previewsurface.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_loadfile.cpp)
target_link_libraries(shell PUBLIC dshow dshow_filters filters_ids skin)
