# The burn stage of the burning windows: the DVD write through the writing
# engine, the SVCD/VCD control file and the image build on its worker.
target_sources(pipeline PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/vcdimagexml.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/threadvcdimager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/burnstage.cpp)
# The image library is loaded at run time: only its header is used here.
target_include_directories(pipeline PUBLIC ${CMAKE_SOURCE_DIR}/outside/vcdimage/include)
add_dependencies(pipeline PellaVCDDLL)
