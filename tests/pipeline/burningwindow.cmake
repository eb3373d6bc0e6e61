# The burning-process window: what it works out, and the window headless with fake burners.
keldara_test(pipeline_burningwindow_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/burningprocess_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/burningwindow_test.cpp
  LIBS pipeline shell testkit win32 rtl)
add_dependencies(pipeline_burningwindow_tests program_pictures)
# The window burning two VCD clips onto the virtual recorder, for screenshots.
if(TARGET vcl_qt)
  add_executable(burningdemo ${CMAKE_CURRENT_LIST_DIR}/burningdemo.cpp)
  target_link_libraries(burningdemo PRIVATE pipeline testkit vcl_qt)
  add_dependencies(burningdemo program_pictures PellaVCDDLL KeldaraRecorder)
endif()
