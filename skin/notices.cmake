# Window animation and information helpers, the notice window, the theme manager dialog.
target_sources(skin PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/kivpublic_animate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/frmmsnpop.cpp)
target_sources(skin PRIVATE ${CMAKE_CURRENT_LIST_DIR}/src/frmthememgr.cpp)
