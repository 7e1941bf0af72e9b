# Writes the manual page of a program with help2man, at build time:
#   cmake -DHELP2MAN=... -DPROGRAM=... -DNAME=... -DPACKAGE=... -DVERSION=...
#         -DINCLUDE=file.h2m -DOUTPUT=page.1 -P ManPage.cmake
# The one-line description of the NAME section is the first sentence of the
# paragraph under "Usage:" in --help, so a new program needs nothing more.
execute_process(COMMAND ${PROGRAM} --help
                OUTPUT_VARIABLE help ERROR_VARIABLE errors RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NAME} --help ended with ${status}: ${errors}")
endif()

# Further usage lines ("  or:  ...") belong to the synopsis too.
string(REGEX REPLACE "^Usage:[^\n]*\n([ \t][^\n]*\n)*\n*" "" about "${help}")
string(FIND "${about}" "\n\n" end)
if(end GREATER 0)
  string(SUBSTRING "${about}" 0 ${end} about)
endif()
string(REPLACE "\n" " " about "${about}")
string(REGEX REPLACE "[.:]( .*)?$" "" about "${about}")
string(STRIP "${about}" about)
if(about STREQUAL "" OR about MATCHES "^Usage:")
  message(FATAL_ERROR "${NAME} --help has no sentence under its Usage line to describe it")
endif()
# Lower case as NAME lines are, unless the first word is an abbreviation (CSV).
string(SUBSTRING "${about}" 0 1 first)
string(SUBSTRING "${about}" 1 1 second)
if(second MATCHES "[a-z]")
  string(TOLOWER "${first}" first)
  string(SUBSTRING "${about}" 1 -1 rest)
  set(about "${first}${rest}")
endif()

get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
set(include_option "")
if(EXISTS "${INCLUDE}")
  set(include_option "--include=${INCLUDE}")
endif()
execute_process(
  COMMAND ${HELP2MAN} --no-info --section=1 "--name=${about}" "--source=${PACKAGE} ${VERSION}"
          "--manual=${PACKAGE} Manual" ${include_option} --output=${OUTPUT}.new ${PROGRAM}
  RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  file(REMOVE ${OUTPUT}.new)
  message(FATAL_ERROR "help2man failed for ${NAME} (${status}): ${errors}")
endif()
# Written aside and renamed: a failed run leaves no half page for the next build.
file(RENAME ${OUTPUT}.new ${OUTPUT})
