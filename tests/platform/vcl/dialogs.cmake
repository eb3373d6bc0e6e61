keldara_test(vcl_text_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/edits_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lists_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/menus_dialogs_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/embeddedbar_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/filectrl_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/filecombos_test.cpp
  LIBS vcl)

# Every control of the group in a real window, for a screenshot.
add_executable(vcltext_demo ${CMAKE_CURRENT_LIST_DIR}/vcltext_demo.cpp)
target_link_libraries(vcltext_demo PRIVATE vcl_qt)

# The data-aware controls on an in-memory table.
keldara_test(vcl_db_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/dbctrls_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../gfx/testutil.cpp
  LIBS vcl)
