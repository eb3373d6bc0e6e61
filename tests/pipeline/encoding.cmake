keldara_test(pipeline_encoding_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/encodeparams_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/encodesequence_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/encoderun_test.cpp
    # The encoder creates the sample sinks by class identifier: registered for every test process.
    ${CMAKE_SOURCE_DIR}/tests/outside/encoder/sinkregistry.cpp
  LIBS pipeline vcl testkit win32 rtl)
add_dependencies(pipeline_encoding_tests audio video regsvr32)
