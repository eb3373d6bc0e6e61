# Tests of the preview graph and the media probe on the synthetic clips.
keldara_test(shell_preview_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/graphgroup_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/loadfile_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/previewsurface_test.cpp
  LIBS shell testkit)
# The probe's placeholders are the pictures drawn at build time.
add_dependencies(shell_preview_tests program_pictures)

# The preview playing in a picture panel (Qt window), for screenshots.
if(TARGET vcl_qt)
  add_executable(previewdemo ${CMAKE_CURRENT_LIST_DIR}/previewdemo.cpp)
  target_link_libraries(previewdemo PRIVATE shell testkit vcl_qt)
endif()

# The source clips window with six clips, one previewing (Qt window), for screenshots.
if(TARGET vcl_qt)
  add_executable(clipsdemo ${CMAKE_CURRENT_LIST_DIR}/clipsdemo.cpp)
  target_link_libraries(clipsdemo PRIVATE shell testkit vcl_qt)
  add_dependencies(clipsdemo program_pictures)
endif()

# The source clips window: its rules on clips made in memory, and adding,
# previewing and snapshots on synthetic media through the real probe.
keldara_test(shell_sourceclips_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/sourceclips_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sourceclips_load_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/subtitleform_test.cpp
  LIBS shell testkit)
add_dependencies(shell_sourceclips_tests program_pictures)

# Add with Qt's own file dialog, on Qt's offscreen platform.
if(TARGET vcl_qt)
  keldara_test(shell_sourceclips_qt_tests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/sourceclips_qtdialog_test.cpp
    LIBS shell testkit vcl_qt)
  add_dependencies(shell_sourceclips_qt_tests program_pictures)
endif()
