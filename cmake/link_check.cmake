# cmake -DBUILD_DIR=... -DPROGRAM=... -DMAKE_PROGRAM=... -DNOT_LINKED="a;b" -DLINKED="c"
#       -P link_check.cmake
# Fails when the link line of PROGRAM names a library of NOT_LINKED, or
# misses one of LINKED. The link line is read from where the build tool
# keeps it: make's link.txt, or the last of ninja's commands for PROGRAM.
set(link_file ${BUILD_DIR}/CMakeFiles/${PROGRAM}.dir/link.txt)
if(EXISTS ${link_file})
  file(READ ${link_file} line)
else()
  execute_process(COMMAND ${MAKE_PROGRAM} -C ${BUILD_DIR} -t commands ${PROGRAM}
                  OUTPUT_VARIABLE commands RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot read the link line of ${PROGRAM} (${MAKE_PROGRAM} -t commands)")
  endif()
  string(STRIP "${commands}" commands)
  string(REGEX REPLACE "^.*\n" "" line "${commands}")
endif()
if(NOT line MATCHES "-o ${PROGRAM}( |$)")
  message(FATAL_ERROR "no link line of ${PROGRAM} found:\n${line}")
endif()
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
