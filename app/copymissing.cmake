# cmake -DSOURCE=... -DTARGET=... -P copymissing.cmake: copies only when TARGET does not exist.
if(NOT EXISTS "${TARGET}")
  configure_file("${SOURCE}" "${TARGET}" COPYONLY)
endif()
