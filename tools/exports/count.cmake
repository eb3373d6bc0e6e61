# cmake -DNM=nm -DLIBRARY=lib.so -DLIMIT=N -P count.cmake
# Counts the symbols a shared library exports (what `nm -D --defined-only`
# lists, less the sanitizers' own) and fails when they pass LIMIT, naming them.
# It fails as well on any export of the standard library's templates that the
# library's code instantiated, and on any process-wide unique symbol: its
# version script keeps them inside.
execute_process(COMMAND ${NM} -D --defined-only -C ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
endif()
string(REPLACE ";" "," listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(symbols)
set(strays)
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]* +([A-Za-z]) (.*)$")
    set(kind "${CMAKE_MATCH_1}")
    set(name "${CMAKE_MATCH_2}")
    if(name MATCHES "^_*(asan|odr_asan|ubsan|sanitizer|lsan)")
      continue()
    endif()
    list(APPEND symbols "${name}")
    if(kind STREQUAL "u")
      list(APPEND strays "unique: ${name}")
    elseif(name MATCHES "^(typeinfo for |typeinfo name for |vtable for |VTT for |guard variable for )?([^:(<]* )?(std|__gnu_cxx)::")
      list(APPEND strays "${name}")
    endif()
  endif()
endforeach()
list(LENGTH symbols count)
get_filename_component(file ${LIBRARY} NAME)
if(strays)
  list(JOIN strays "\n  " shown)
  message(FATAL_ERROR "${file} exports the standard library's own or process-wide unique symbols:\n  ${shown}\n"
          "Build it with keldara_library(... SHARED) or keldara_entry_points, whose version script keeps them.")
endif()
if(count GREATER LIMIT)
  list(JOIN symbols "\n  " shown)
  message(FATAL_ERROR "${file} exports ${count} symbols, more than its ${LIMIT}:\n  ${shown}\n"
          "Mark only the public interface with the layer's export macro, or raise the limit "
          "in tools/exports/CMakeLists.txt if the interface really grew.")
endif()
message(STATUS "${file} exports ${count} symbols (at most ${LIMIT})")
