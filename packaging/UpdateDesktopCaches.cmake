# Run at install time: lets the desktop see the new menu entry, file type and
# icon at once. Skipped for staged installs (DESTDIR), where the packaging
# system's own triggers do it; a missing tool or a failure is only reported.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  return()
endif()
set(datadir "${TRELVANE_INSTALL_DATADIR}")
if(NOT IS_ABSOLUTE "${datadir}")
  set(datadir "${CMAKE_INSTALL_PREFIX}/${datadir}")
endif()
foreach(step
    "update-mime-database;${datadir}/mime"
    "update-desktop-database;-q;${datadir}/applications"
    "gtk-update-icon-cache;-q;-t;-f;${datadir}/icons/hicolor")
  list(POP_FRONT step tool)
  find_program(TRELVANE_${tool} ${tool})
  if(TRELVANE_${tool})
    execute_process(COMMAND ${TRELVANE_${tool}} ${step} RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
    if(NOT result EQUAL 0)
      message(STATUS "${tool} failed (${result}); the desktop picks the change up at the next login")
    endif()
  endif()
endforeach()
