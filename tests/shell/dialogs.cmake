# The clip property and chapter setup dialogs.
keldara_test(shell_dialog_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/clippropertyform_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/setupchapterform_test.cpp
  LIBS shell testkit)

# The dialogs in real windows, for screenshots.
if(TARGET vcl_qt)
  add_executable(dialogdemo ${CMAKE_CURRENT_LIST_DIR}/dialogdemo.cpp)
  target_link_libraries(dialogdemo PRIVATE shell testkit vcl_qt)
endif()
