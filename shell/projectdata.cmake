# The project data: clip objects, the clip list, chapter records and the XML text helper.
target_sources(shell PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/xmltext.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/subripfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/cliplist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_movieimage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/projectdata.cpp)
