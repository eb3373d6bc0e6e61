# The disc-burner setup: its file list and the window, headless.
keldara_test(pipeline_burnersetup_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/burnersetup_test.cpp
  LIBS app pipeline shell testkit win32 rtl)
add_dependencies(pipeline_burnersetup_tests program_pictures)
# The window in a real window, for screenshots.
if(TARGET vcl_qt)
  add_executable(burnersetupdemo ${CMAKE_CURRENT_LIST_DIR}/burnersetupdemo.cpp)
  target_link_libraries(burnersetupdemo PRIVATE pipeline testkit vcl_qt)
  add_dependencies(burnersetupdemo program_pictures)
endif()
