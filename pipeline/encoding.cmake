# Clip encoding: the encoder's parameter block and the per-clip encode step.
target_sources(pipeline PRIVATE
  ${CMAKE_CURRENT_SOURCE_DIR}/src/encodeparams.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/src/encodesequence.cpp)
target_link_libraries(pipeline PUBLIC KVRENCODER)
