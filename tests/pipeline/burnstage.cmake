# The burn stage without a window (a fake engine), and the SVCD/VCD control file.
keldara_test(pipeline_burnstage_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/burnstage_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/vcdimagexml_test.cpp
  LIBS pipeline shell vcl win32 rtl)
