keldara_test(shell_projectdata_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/projectdata_test.cpp
  LIBS shell testkit)
# Clips take their border pieces from the pictures drawn at build time.
add_dependencies(shell_projectdata_tests program_pictures)
keldara_test(shell_subripfile_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/subripfile_test.cpp
  LIBS shell testkit)
