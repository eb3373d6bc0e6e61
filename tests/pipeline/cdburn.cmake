# The CD burn: a fake burner, and whole burns through the cue burner onto a virtual recorder.
keldara_test(pipeline_cdburn_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/cdburnstage_test.cpp
  LIBS pipeline shell testkit testkit_scsi discrec win32 rtl)
add_dependencies(pipeline_cdburn_tests WNASPI32 KeldaraRecorder)
