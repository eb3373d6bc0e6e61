# Skinned data-aware controls: check box, radio group, navigator, grid and the framework's controls in the skin.
keldara_test(skin_dbctrls_tests
  SOURCES kivdbctrls_test.cpp
  LIBS skin data)

# A table's form of data-aware controls in one built-in style (Qt window or headless picture), for screenshots.
add_executable(dbctrlsdemo dbctrlsdemo.cpp)
target_link_libraries(dbctrlsdemo PRIVATE skin data vcl_qt)
