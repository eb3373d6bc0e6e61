keldara_test(pipeline_authoring_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/authorxml_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/handlemovie_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/encodeddisc_test.cpp
  LIBS pipeline shell outside_testmedia testkit win32 rtl)
target_include_directories(pipeline_authoring_tests PRIVATE
  ${CMAKE_SOURCE_DIR}/outside/mux/include ${CMAKE_SOURCE_DIR}/outside/author/include)
# The outside libraries are loaded at run time, as the program loads them.
add_dependencies(pipeline_authoring_tests Tormux dvdauthor_lib)
# The encoder's sample sinks, registered by the disc tests with regsvr32.
add_dependencies(pipeline_authoring_tests audio video regsvr32)
# The main-menu streams delivered with the program.
add_dependencies(pipeline_authoring_tests main_menu_streams)
# Run by the worker tests from a folder of libraries that lack their entries.
add_executable(pipeline_wronglibraries ${CMAKE_CURRENT_LIST_DIR}/wronglibraries.cpp)
target_link_libraries(pipeline_wronglibraries PRIVATE pipeline shell win32 rtl)
add_dependencies(pipeline_authoring_tests pipeline_wronglibraries)
