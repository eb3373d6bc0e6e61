# The dialogs the menu designer opens: clip property and chapter setup.
target_sources(shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_videodvdclippropertyform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_videodvdsetupchapterform.cpp)
