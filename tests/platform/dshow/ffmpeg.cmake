include_guard(GLOBAL)
# Tests of the FFmpeg half of the media-graph layer; included by this folder's CMakeLists.txt.
keldara_test(ffmpeg_engine_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ffmpeg_engine.cpp
  LIBS dshow_ffmpeg testkit)

if(TARGET dshow_filters)
  keldara_test(ffmpeg_filter_tests
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/ffmpeg_filters.cpp
      ${CMAKE_CURRENT_LIST_DIR}/ffmpeg_mediadet.cpp
      ${CMAKE_CURRENT_LIST_DIR}/ffmpeg_converter.cpp
    LIBS dshow_filters filters_ids testkit win32)
  if(TARGET YUV2RGBFilter)
    add_dependencies(ffmpeg_filter_tests YUV2RGBFilter)
  endif()
endif()
