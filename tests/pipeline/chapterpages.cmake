# The chapter pages of a disc build, up to a whole chapter-menu disc.
keldara_test(pipeline_chapterpages_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/chapterpages_test.cpp
    # The encoder creates the sample sinks by class identifier: registered for every test process.
    ${CMAKE_SOURCE_DIR}/tests/outside/encoder/sinkregistry.cpp
  LIBS pipeline menu shell outside_testmedia testkit win32 rtl)
target_include_directories(pipeline_chapterpages_tests PRIVATE
  ${CMAKE_SOURCE_DIR}/outside/mux/include ${CMAKE_SOURCE_DIR}/outside/author/include)
add_dependencies(pipeline_chapterpages_tests audio video regsvr32 Tormux dvdauthor_lib program_pictures
  main_menu_streams)
