# Skinned edits: edit, masked edit, number edit and spin edit.
target_sources(skin PRIVATE ${CMAKE_CURRENT_LIST_DIR}/src/kivedit.cpp)
