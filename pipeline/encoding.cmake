# Clip encoding: the encoder's parameter block and the encode timer's stall watch.
target_sources(pipeline PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/src/encodeparams.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/src/encodestall.cpp)
target_link_libraries(pipeline PUBLIC KVRENCODER)
