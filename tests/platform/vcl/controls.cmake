keldara_test(vcl_controls_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/extctrls_test.cpp
  LIBS vcl)
keldara_test(vcl_stdctrls_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/stdctrls_test.cpp
  LIBS vcl)
keldara_test(vcl_toolbar_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/toolbar_test.cpp
  LIBS vcl)
