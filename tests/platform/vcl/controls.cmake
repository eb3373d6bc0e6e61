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

# Every label, button and group of the first group in a real window, for a screenshot.
add_executable(vclbuttons_demo ${CMAKE_CURRENT_LIST_DIR}/vclbuttons_demo.cpp)
target_link_libraries(vclbuttons_demo PRIVATE vcl_qt)
add_test(NAME vclbuttons_qt_screenshot_matches_headless
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/screenshot_match.sh $<TARGET_FILE:vclbuttons_demo> 520x330+60+60)
set_tests_properties(vclbuttons_qt_screenshot_matches_headless PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 60)
keldara_test(vcl_comctrls_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/scrollbar_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/comctrls_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pagectrl_test.cpp
  LIBS vcl)
# Every common control in a real window, for a screenshot.
add_executable(comctrls_demo ${CMAKE_CURRENT_LIST_DIR}/comctrls_demo.cpp)
target_link_libraries(comctrls_demo PRIVATE vcl_qt)
