keldara_test(pipeline_encoding_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/encodeparams_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/encodesequence_test.cpp
  LIBS pipeline vcl testkit rtl)
