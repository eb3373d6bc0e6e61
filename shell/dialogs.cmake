# The dialogs the menu designer and the clips window open: clip property, chapter setup and subtitle.
target_sources(shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_videodvdclippropertyform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_videodvdsetupchapterform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_videodvdsubtitlepropertyform.cpp)
