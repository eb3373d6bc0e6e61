# The convert window: headless tests with and without real runs.
keldara_test(pipeline_convert_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/convertwindow_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/convertrun_test.cpp
    # The encoder creates the sample sinks by class identifier: registered for every test process.
    ${CMAKE_SOURCE_DIR}/tests/outside/encoder/sinkregistry.cpp
    # The gate a test holds a clip's reads at.
    ${CMAKE_SOURCE_DIR}/tests/outside/encoder/heldreads.cpp
  LIBS app pipeline shell outside_testmedia testkit dshow_ffmpeg win32 rtl)
target_include_directories(pipeline_convert_tests PRIVATE
  ${CMAKE_SOURCE_DIR}/outside/mux/include ${CMAKE_SOURCE_DIR}/outside/author/include)
add_dependencies(pipeline_convert_tests audio video regsvr32 Tormux dvdauthor_lib program_pictures)
# The convert window in a real window, for screenshots.
if(TARGET vcl_qt)
  add_executable(convertdemo ${CMAKE_CURRENT_LIST_DIR}/convertdemo.cpp)
  target_link_libraries(convertdemo PRIVATE pipeline outside_testmedia testkit vcl_qt GTest::gtest)
  target_include_directories(convertdemo PRIVATE
    ${CMAKE_SOURCE_DIR}/outside/mux/include ${CMAKE_SOURCE_DIR}/outside/author/include)
  add_dependencies(convertdemo audio video regsvr32 Tormux dvdauthor_lib program_pictures)
endif()
