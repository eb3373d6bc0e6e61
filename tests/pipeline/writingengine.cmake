# Fake engine libraries, each in a folder of its own under the name the
# program loads: whole, without an entry the program never calls, and
# without one it calls.
set(fake_engine_targets)
foreach(variant whole lacksunused lacksused)
  add_library(fakeengine_${variant} SHARED ${CMAKE_CURRENT_LIST_DIR}/fakeengine.cpp)
  target_include_directories(fakeengine_${variant} PRIVATE ${CMAKE_SOURCE_DIR}/outside/dvdwrite/include)
  target_link_libraries(fakeengine_${variant} PRIVATE Threads::Threads)
  keldara_entry_points(fakeengine_${variant} Hwe_* FakeEngine*)
  set_target_properties(fakeengine_${variant} PROPERTIES
    OUTPUT_NAME dvdwrite_hwe
    LIBRARY_OUTPUT_DIRECTORY ${KELDARA_BIN_DIR}/fakeengine/${variant})
  list(APPEND fake_engine_targets fakeengine_${variant})
endforeach()
target_compile_definitions(fakeengine_lacksunused PRIVATE FAKE_LACKS_UNUSED)
target_compile_definitions(fakeengine_lacksused PRIVATE FAKE_LACKS_USED)

keldara_test(pipeline_writingengine_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/writingengine_test.cpp
  LIBS pipeline shell win32 rtl)
add_dependencies(pipeline_writingengine_tests ${fake_engine_targets} dvdwrite_hwe)
