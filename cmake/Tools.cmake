# trelvane_tool(NAME SOURCES... [LIBS libs...] [NO_INSTALL] [HELPER_OF TOOL])
# A program: built beside the others, warnings on; unless NO_INSTALL, installed
# into bin with a manual page made from its --help, and checked by a test that
# it answers --help and --version. A HELPER_OF program does part of TOOL's work
# (TOOL runs it): it is installed into libexec/trelvane without a manual page,
# and TOOL finds it by TRELVANE_HELPER_DIR, the way from bin to there. Every program is made through here so that
# what programs share is added in one place.
#
# Manual pages: TRELVANE_MAN_PAGES=AUTO makes them when help2man is there,
# ON requires it (the package build), OFF never makes them.
set(TRELVANE_MAN_PAGES AUTO CACHE STRING "Manual pages from the programs' --help with help2man: AUTO, ON or OFF")
set_property(CACHE TRELVANE_MAN_PAGES PROPERTY STRINGS AUTO ON OFF)
set(trelvane_man_pages OFF)
if(TRELVANE_MAN_PAGES)
  find_program(TRELVANE_HELP2MAN help2man)
  if(CMAKE_CROSSCOMPILING)
    message(STATUS "Cross-compiling: no manual pages (the programs cannot run here)")
  elseif(TRELVANE_HELP2MAN)
    set(trelvane_man_pages ON)
  elseif(TRELVANE_MAN_PAGES STREQUAL "AUTO")
    message(STATUS "help2man not found: no manual pages (apt-get install help2man, "
                   "or -DTRELVANE_MAN_PAGES=OFF to say so)")
  else()
    message(FATAL_ERROR "TRELVANE_MAN_PAGES=${TRELVANE_MAN_PAGES} needs help2man (apt-get install help2man)")
  endif()
endif()

set(TRELVANE_MAN_PAGE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/ManPage.cmake)
set(TRELVANE_PROGRAM_CHECK_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/CheckProgramAnswers.cmake)

# The manual page of an installed program, from its --help and --version; an
# optional NAME.h2m beside its CMakeLists.txt adds sections (help2man --include).
function(trelvane_man_page name)
  if(NOT trelvane_man_pages)
    return()
  endif()
  set(page ${CMAKE_BINARY_DIR}/man/${name}.1)
  set(include ${CMAKE_CURRENT_SOURCE_DIR}/${name}.h2m)
  set(depends ${name} ${TRELVANE_MAN_PAGE_SCRIPT})
  if(EXISTS ${include})
    list(APPEND depends ${include})
  endif()
  add_custom_command(
    OUTPUT ${page}
    COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${TRELVANE_HELP2MAN} -DPROGRAM=$<TARGET_FILE:${name}>
            -DNAME=${name} -DPACKAGE=${PROJECT_NAME} -DVERSION=${PROJECT_VERSION} -DINCLUDE=${include}
            -DOUTPUT=${page} -P ${TRELVANE_MAN_PAGE_SCRIPT}
    DEPENDS ${depends}
    COMMENT "Writing the manual page of ${name}"
    VERBATIM)
  add_custom_target(${name}-man ALL DEPENDS ${page})
  install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()

function(trelvane_tool name)
  cmake_parse_arguments(TOOL "NO_INSTALL" "HELPER_OF" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${TOOL_SOURCES} ${TOOL_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${TOOL_LIBS})
  trelvane_warnings(${name})
  if(TOOL_HELPER_OF)
    # Built with its tool, so that the tool works in the build tree as installed.
    add_dependencies(${TOOL_HELPER_OF} ${name})
    file(RELATIVE_PATH helper_dir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBEXECDIR}/trelvane)
    target_compile_definitions(${TOOL_HELPER_OF} PRIVATE TRELVANE_HELPER_DIR="${helper_dir}")
  endif()
  if(TOOL_NO_INSTALL)
    return()
  endif()
  if(TOOL_HELPER_OF)
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/trelvane)
  else()
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    trelvane_man_page(${name})
  endif()
  if(TRELVANE_TESTS)
    # No display: --help and --version must not need one.
    add_test(NAME ${name}.AnswersHelpAndVersion
             COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${name}> -DNAME=${name}
                     -DVERSION=${PROJECT_VERSION} -P ${TRELVANE_PROGRAM_CHECK_SCRIPT})
    set_tests_properties(${name}.AnswersHelpAndVersion PROPERTIES
                         ENVIRONMENT "DISPLAY=;WAYLAND_DISPLAY=;QT_QPA_PLATFORM=xcb")
  endif()
endfunction()
