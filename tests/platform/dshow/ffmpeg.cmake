# Tests of the FFmpeg half of the media-graph layer; included by this folder's CMakeLists.txt.
keldara_test(ffmpeg_engine_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ffmpeg_engine.cpp
  LIBS dshow_ffmpeg testkit)
