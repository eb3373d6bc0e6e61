# keldara_library(NAME [SHARED] SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# A layer library: public headers under include/, sources under src/.
function(keldara_library name)
  cmake_parse_arguments(K "SHARED" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  if(K_SHARED)
    add_library(${name} SHARED ${K_SOURCES})
  else()
    add_library(${name} STATIC ${K_SOURCES})
  endif()
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                      PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${K_PUBLIC_LIBS} PRIVATE ${K_PRIVATE_LIBS})
endfunction()

# keldara_test(NAME SOURCES ... LIBS ...)
# One GoogleTest executable; its cases are registered with ctest one by one. Test programs
# live in bin/ beside the plug-ins, so libraries load for them as for the program. Each case
# finds them, and the source tree, in KELDARA_BIN_DIR and KELDARA_SOURCE_DIR: set once the
# cases are known, since the discovery's own PROPERTIES keep only the first of two variables.
function(keldara_test name)
  cmake_parse_arguments(K "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${K_SOURCES})
  target_link_libraries(${name} PRIVATE ${K_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 TEST_LIST ${name}_cases)
  set(environment ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
  file(CONFIGURE OUTPUT ${environment} CONTENT [==[
if(@name@_cases)
  set_tests_properties(${@name@_cases} PROPERTIES ENVIRONMENT
    "KELDARA_BIN_DIR=@KELDARA_BIN_DIR@;KELDARA_SOURCE_DIR=@CMAKE_SOURCE_DIR@")
endif()
]==] @ONLY)
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${environment})
endfunction()

# keldara_entry_points(TARGET SYMBOL...)
# A library loaded by name exports its entry points (names or globs) and
# nothing else: the layers linked into it stay private, so they never bind to
# the host's copies, no process-wide unique symbol keeps it mapped after the
# host frees it, and every reference is resolved when it links.
function(keldara_entry_points target)
  list(JOIN ARGN ";\n    " symbols)
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  file(CONFIGURE OUTPUT ${map} CONTENT "{\n  global:\n    ${symbols};\n  local:\n    *;\n};\n")
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -fno-gnu-unique)   # clang makes no such symbols
  endif()
  target_link_options(${target} PRIVATE -Wl,--version-script=${map} -Wl,--no-undefined)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
endfunction()
