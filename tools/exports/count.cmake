# cmake -DNM=nm -DLIBRARY=lib.so -DLIMIT=N -P count.cmake
# Counts the symbols a shared library exports (what `nm -D --defined-only`
# lists, less the sanitizers' own and the standard library's templates that
# the library's code instantiated: a Debug build, which inlines nothing, emits
# many more of those) and fails when they pass LIMIT, naming them.
execute_process(COMMAND ${NM} -D --defined-only -C ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
endif()
string(REPLACE ";" "," listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(symbols)
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* +[A-Za-z] (.*)$")
    set(name "${CMAKE_MATCH_1}")
    if(NOT name MATCHES "^_*(asan|odr_asan|ubsan|sanitizer|lsan)" AND NOT name MATCHES "^([^:(<]* )?(std|__gnu_cxx)::")
      list(APPEND symbols "${name}")
    endif()
  endif()
endforeach()
list(LENGTH symbols count)
get_filename_component(file ${LIBRARY} NAME)
if(count GREATER LIMIT)
  list(JOIN symbols "\n  " shown)
  message(FATAL_ERROR "${file} exports ${count} symbols, more than its ${LIMIT}:\n  ${shown}\n"
          "Mark only the public interface with the layer's export macro, or raise the limit "
          "in tools/exports/CMakeLists.txt if the interface really grew.")
endif()
message(STATUS "${file} exports ${count} symbols (at most ${LIMIT})")
