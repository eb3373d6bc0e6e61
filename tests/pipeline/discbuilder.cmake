# The disc builder: headless tests with and without real runs.
keldara_test(pipeline_discbuilder_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/discbuilder_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/discbuilderrun_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/builderburn_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitlestage_test.cpp
    # The encoder creates the sample sinks by class identifier: registered for every test process.
    ${CMAKE_SOURCE_DIR}/tests/outside/encoder/sinkregistry.cpp
    # The gate a test holds a clip's reads at.
    ${CMAKE_SOURCE_DIR}/tests/outside/encoder/heldreads.cpp
  LIBS app pipeline shell outside_testmedia testkit dshow_ffmpeg testkit_scsi win32 rtl)
target_include_directories(pipeline_discbuilder_tests PRIVATE
  ${CMAKE_SOURCE_DIR}/outside/mux/include ${CMAKE_SOURCE_DIR}/outside/author/include)
add_dependencies(pipeline_discbuilder_tests audio video regsvr32 Tormux dvdauthor_lib program_pictures WNASPI32)
# The disc builder in a real window, for screenshots.
if(TARGET vcl_qt)
  add_executable(builderdemo ${CMAKE_CURRENT_LIST_DIR}/builderdemo.cpp)
  target_link_libraries(builderdemo PRIVATE pipeline testkit vcl_qt)
  add_dependencies(builderdemo audio video regsvr32 Tormux dvdauthor_lib program_pictures)
endif()
