# Records a target's seeds afresh into a scratch folder and compares them byte for byte with the
# committed ones, so that seeds recorded against an older library (whose session no longer lines
# up with theirs) are noticed. Every seed must also fit the max_len of the target's .options file,
# or the fuzzer would cut it short.
#   cmake -DRECORDER=<program> -DCORPUS=<folder> -DSCRATCH=<folder> [-DOPTIONS=<file>]
#         -P check_seeds.cmake
foreach(var RECORDER CORPUS SCRATCH)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_seeds.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}")
execute_process(COMMAND "${RECORDER}" "${SCRATCH}" RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "The seed recorder ${RECORDER} failed (${rc})")
endif()

set(max_len 0)
if(DEFINED OPTIONS)
  file(STRINGS "${OPTIONS}" lines REGEX "^[ \t]*max_len[ \t]*=")
  if(lines MATCHES "=[ \t]*([0-9]+)")
    set(max_len ${CMAKE_MATCH_1})
  endif()
endif()

file(GLOB recorded RELATIVE "${SCRATCH}" "${SCRATCH}/*")
list(SORT recorded)
if(NOT recorded)
  message(FATAL_ERROR "The seed recorder ${RECORDER} wrote no seed")
endif()
set(differ)
set(too_long)
foreach(name IN LISTS recorded)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${SCRATCH}/${name}" "${CORPUS}/${name}"
                  RESULT_VARIABLE same OUTPUT_QUIET ERROR_QUIET)
  if(NOT same EQUAL 0)
    list(APPEND differ "${name}")
  endif()
  file(SIZE "${SCRATCH}/${name}" size)
  if(max_len GREATER 0 AND size GREATER max_len)
    list(APPEND too_long "${name} (${size} bytes)")
  endif()
endforeach()

set(problems "")
if(differ)
  list(JOIN differ ", " names)
  string(APPEND problems "Seeds that differ from what the recorder writes today (or are missing): "
         "${names}.\nRecord them again and commit them:\n  ${RECORDER} ${CORPUS}\n")
endif()
if(too_long)
  list(JOIN too_long ", " names)
  string(APPEND problems "Seeds longer than max_len = ${max_len} of ${OPTIONS}: ${names}.\n"
         "Raise max_len (its comment tells how it is made up) or shorten the seeds.\n")
endif()
if(problems)
  message(FATAL_ERROR "${problems}")
endif()
list(LENGTH recorded count)
message(STATUS "The ${count} recorded seeds match ${CORPUS}")
