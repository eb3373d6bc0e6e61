# Tests of the preview graph and the media probe on the synthetic clips.
keldara_test(shell_preview_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/graphgroup_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/loadfile_test.cpp
  LIBS shell testkit)
