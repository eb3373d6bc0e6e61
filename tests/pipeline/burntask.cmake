# The burn task end to end: clips converted, the setup and burning-process
# windows, SVCD/VCD onto the virtual recorder and DVD through the image-file writer.
keldara_test(pipeline_burntask_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/burntask_test.cpp
    # The encoder creates the sample sinks by class identifier: registered for every test process.
    ${CMAKE_SOURCE_DIR}/tests/outside/encoder/sinkregistry.cpp
  LIBS pipeline shell outside_testmedia testkit testkit_scsi task_driver discrec win32 rtl)
target_include_directories(pipeline_burntask_tests PRIVATE
  ${CMAKE_SOURCE_DIR}/outside/mux/include ${CMAKE_SOURCE_DIR}/outside/author/include)
add_dependencies(pipeline_burntask_tests audio video regsvr32 Tormux dvdauthor_lib program_pictures WNASPI32
  PellaVCDDLL dvdwrite_hwe)
