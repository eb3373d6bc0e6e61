# Window helpers, the notice window and the theme manager dialog.
keldara_test(skin_notices_tests
  SOURCES kivwindow_test.cpp frmmsnpop_test.cpp frmthememgr_test.cpp
  LIBS skin)
