# The multiplex/author worker, the subtitle job, the authoring library binding and the XML writers.
target_sources(pipeline PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/authorlibrary.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/handlemoviethread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_spumuxthread.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/subtitlexml.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/authorxml.cpp)
# The outside libraries are loaded at run time: only their headers are used here.
target_include_directories(pipeline PRIVATE
  ${CMAKE_SOURCE_DIR}/outside/mux/include ${CMAKE_SOURCE_DIR}/outside/author/include)
target_link_libraries(pipeline PUBLIC base rtl win32)
add_dependencies(pipeline Tormux dvdauthor_lib)
