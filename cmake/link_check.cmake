# cmake -DLINK_FILE=... -DPROGRAM=... -DNOT_LINKED="a;b" -DLINKED="c" -P link_check.cmake
# Fails when the link line of PROGRAM names a library of NOT_LINKED, or
# misses one of LINKED.
file(READ ${LINK_FILE} line)
foreach(lib ${NOT_LINKED})
  if(line MATCHES "lib${lib}\\.a")
    message(FATAL_ERROR "${PROGRAM} links ${lib}:\n${line}")
  endif()
endforeach()
foreach(lib ${LINKED})
  if(NOT line MATCHES "lib${lib}\\.a")
    message(FATAL_ERROR "${PROGRAM} does not link ${lib}:\n${line}")
  endif()
endforeach()
