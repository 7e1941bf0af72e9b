# Test: an installed program answers --help and --version as every program
# here must (status 0, on standard output, nothing on standard error), its
# help documents the exit statuses, and its version is the project's.
#   cmake -DPROGRAM=... -DNAME=... -DVERSION=... -P CheckProgramAnswers.cmake
set(failures "")
foreach(option --help --version)
  execute_process(COMMAND ${PROGRAM} ${option} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status
                  TIMEOUT 30)
  if(NOT status STREQUAL "0")
    string(APPEND failures "\n  ${NAME} ${option} ended with '${status}' (0 expected)")
  endif()
  if(NOT err STREQUAL "")
    string(APPEND failures "\n  ${NAME} ${option} wrote to standard error: ${err}")
  endif()
  if(option STREQUAL "--help")
    if(NOT out MATCHES "^Usage: ${NAME}[ \n]")
      string(APPEND failures "\n  ${NAME} --help does not start with 'Usage: ${NAME}'")
    endif()
    if(NOT out MATCHES "\nExit status:\n  0 ")
      string(APPEND failures "\n  ${NAME} --help does not document its exit statuses ('Exit status:' and 0 first)")
    endif()
  elseif(NOT out STREQUAL "${NAME} ${VERSION}\n")
    string(APPEND failures "\n  ${NAME} --version printed '${out}', not '${NAME} ${VERSION}'")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
