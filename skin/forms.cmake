# The skinned title bar, form frame, MDI frame and menu bar, and the notice component.
target_sources(skin PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/kivtitlebar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivframe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivmdiform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/kivform_msnpop.cpp)
