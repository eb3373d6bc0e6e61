# The skinned title bar, form frame, menu bar and notice component.
keldara_test(skin_forms_tests
  SOURCES kivtitlebar_test.cpp kivform_test.cpp kivmdiform_test.cpp
  LIBS skin)

# Skinned form frames in each built-in style (Qt windows or a headless picture), for screenshots.
add_executable(formsdemo formsdemo.cpp)
target_link_libraries(formsdemo PRIVATE skin vcl_qt)

# A skinned MDI frame with three children, for screenshots.
add_executable(mdidemo mdidemo.cpp)
target_link_libraries(mdidemo PRIVATE skin vcl_qt)
