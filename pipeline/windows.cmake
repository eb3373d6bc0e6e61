# The run windows: the convert window and the disc builder on the run-window base, the disc-burner
# setup and the burning-process window.
target_sources(pipeline PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/src/titlestill.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/chapterpages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/runprocessform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_videodvdconvertprocessform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/discburnstage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/discvolumename.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_videodvddiscbuilderform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/subtitlestage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/burnfilelist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/cdburnstage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_videodvdsetupdiscburnerform.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/burnerdevicegroup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/burningprocess.cpp
  ${CMAKE_CURRENT_LIST_DIR}/src/qv_videodvddiscburningprocessform.cpp)
target_link_libraries(pipeline PUBLIC base skin vcl gfx discrec)
# The windows' pictures, drawn with the program's others (app/CMakeLists.txt).
set_property(GLOBAL APPEND PROPERTY KELDARA_MORE_PROGRAM_PICTURES
  ConvertSkin.bmp ConvertStart.bmp ConvertStop.bmp ConvertBrowse.bmp ConvertCheck.bmp ConvertClose.bmp
  BuilderSkin.bmp BuilderStart.bmp BuilderStop.bmp BuilderBrowse.bmp BuilderCheck.bmp BuilderClose.bmp
  BuilderBack.bmp BuilderMin.bmp
  BurnerSkin.bmp BurnerAddFiles.bmp BurnerAddFolder.bmp BurnerBurn.bmp BurnerClose.bmp
  BurnerVolume.bmp BurnerSVCD.bmp BurnerVCD.bmp
  BurningSkin.bmp BurningStart.bmp BurningStop.bmp BurningClose.bmp)
