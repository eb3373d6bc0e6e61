keldara_test(shell_projectdata_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/projectdata_test.cpp
  LIBS shell testkit)
