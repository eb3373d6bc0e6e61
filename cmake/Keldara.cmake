# keldara_library(NAME [SHARED] SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# A layer library: public headers under include/, sources under src/. A shared
# one exports what its headers mark with the layer's export macro and none of the
# standard library's templates that marked types instantiate.
function(keldara_library name)
  cmake_parse_arguments(K "SHARED" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
  if(K_SHARED)
    add_library(${name} SHARED ${K_SOURCES})
    keldara_version_script(${name} GLOBAL "*" LOCAL ${KELDARA_STANDARD_LIBRARY_SYMBOLS})
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

# The standard library's symbols, mangled: std:: (St) and its abbreviations
# (Sa, Sb, Ss, Si, So, Sd), their constant (K), typeinfo, name, vtable and VTT
# (_ZT.), local statics (_ZZ), guards (_ZGV), and __gnu_cxx::.
set(KELDARA_STANDARD_LIBRARY_SYMBOLS
  "_ZS[tabsiod]*" "_ZNS[tabsiod]*" "_ZNKS[tabsiod]*"
  "_ZT[ISVT]S[tabsiod]*" "_ZT[ISVT]NS[tabsiod]*" "_ZT[ISVT]NKS[tabsiod]*"
  "_ZZS[tabsiod]*" "_ZZNS[tabsiod]*" "_ZZNKS[tabsiod]*" "_ZGVZNS[tabsiod]*" "_ZGVZNKS[tabsiod]*"
  "_ZN9__gnu_cxx*" "_ZNK9__gnu_cxx*" "_ZZN9__gnu_cxx*" "_ZT[ISVT]N9__gnu_cxx*")

# keldara_version_script(TARGET GLOBAL PATTERN... LOCAL PATTERN...)
# The shared library's version script: what it exports and what it keeps. A
# library given entry points later gets them in place of its first script. GCC
# makes no process-wide unique symbols for it (clang makes none), so nothing
# binds a library's statics to another's or keeps it mapped once freed.
function(keldara_version_script target)
  cmake_parse_arguments(K "" "" "GLOBAL;LOCAL" ${ARGN})
  list(JOIN K_GLOBAL ";\n    " global)
  list(JOIN K_LOCAL ";\n    " local)
  get_target_property(map ${target} KELDARA_VERSION_SCRIPT)
  if(NOT map)
    set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
    set_target_properties(${target} PROPERTIES KELDARA_VERSION_SCRIPT ${map})
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_compile_options(${target} PRIVATE -fno-gnu-unique)
    endif()
    target_link_options(${target} PRIVATE -Wl,--version-script=${map})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
  file(CONFIGURE OUTPUT ${map} CONTENT "{\n  global:\n    ${global};\n  local:\n    ${local};\n};\n")
endfunction()

# keldara_entry_points(TARGET SYMBOL...)
# A library loaded by name exports its entry points (names or globs) and
# nothing else: the layers linked into it stay private, so they never bind to
# the host's copies, and every reference is resolved when it links.
function(keldara_entry_points target)
  keldara_version_script(${target} GLOBAL ${ARGN} LOCAL "*")
  target_link_options(${target} PRIVATE -Wl,--no-undefined)
endfunction()
