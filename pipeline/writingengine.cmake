# The DVD-writing engine binding the burning windows share.
target_sources(pipeline PRIVATE ${CMAKE_CURRENT_LIST_DIR}/src/writingengine.cpp)
# The engine is loaded at run time: only its header is used here.
target_include_directories(pipeline PUBLIC ${CMAKE_SOURCE_DIR}/outside/dvdwrite/include)
target_link_libraries(pipeline PUBLIC base win32)
add_dependencies(pipeline dvdwrite_hwe)
