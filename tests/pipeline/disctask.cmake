find_package(PNG REQUIRED)
# The disc-build task end to end: the program's real windows from the main
# window to an authored DVD folder, driven headless by the task driver.
keldara_test(pipeline_disctask_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/disctask_test.cpp
    # The encoder creates the sample sinks by class identifier: registered for every test process.
    ${CMAKE_SOURCE_DIR}/tests/outside/encoder/sinkregistry.cpp
  LIBS menu pipeline shell outside_testmedia testkit task_driver win32 rtl PNG::PNG)
target_include_directories(pipeline_disctask_tests PRIVATE
  ${CMAKE_SOURCE_DIR}/tests/base ${CMAKE_SOURCE_DIR}/tests/shell ${CMAKE_SOURCE_DIR}/outside/mux/include ${CMAKE_SOURCE_DIR}/outside/author/include)
add_dependencies(pipeline_disctask_tests audio video regsvr32 Tormux dvdauthor_lib program_pictures main_menu_streams)
