# The preview graph and the media probe thread, over the media-graph layer.
target_sources(shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_graphgroupclass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_loadfile.cpp)
target_link_libraries(shell PUBLIC dshow dshow_filters filters_ids)
