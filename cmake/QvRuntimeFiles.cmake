# The directory the program runs in during development and tests, and the files it reads from its
# working directory (fonts, and later the simulator spectra and the table style sheet).
#
#   qv_add_runtime_file(<name in the run dir> <source file> [<source file> ...])
#     copies the first source that exists to ${QV_RUNTIME_DIR}/<name> as part of the target
#     `qv_runtime_files`; the candidates let one call cover the different packagings of a file.
#
# Targets that need the files at run time (tests, the program) add_dependencies(... qv_runtime_files).
include_guard(GLOBAL)

set(QV_RUNTIME_DIR "${PROJECT_BINARY_DIR}/run" CACHE INTERNAL "Working directory of the program in the build tree")
file(MAKE_DIRECTORY "${QV_RUNTIME_DIR}")

if(NOT TARGET qv_runtime_files)
  add_custom_target(qv_runtime_files ALL)
endif()

function(qv_add_runtime_file name)
  set(found "")
  foreach(candidate ${ARGN})
    if(EXISTS "${candidate}")
      set(found "${candidate}")
      break()
    endif()
  endforeach()
  if(NOT found)
    message(WARNING "Runtime file ${name}: none of ${ARGN} exists (run scripts/deps); the program falls back without it")
    return()
  endif()
  set(dest "${QV_RUNTIME_DIR}/${name}")
  string(MAKE_C_IDENTIFIER "${name}" id)
  add_custom_command(OUTPUT "${dest}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${found}" "${dest}"
    DEPENDS "${found}"
    COMMENT "Runtime file ${name} from ${found}")
  add_custom_target(qv_runtime_${id} DEPENDS "${dest}")
  add_dependencies(qv_runtime_files qv_runtime_${id})
endfunction()
