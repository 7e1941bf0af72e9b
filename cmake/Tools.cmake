# trelvane_tool(NAME SOURCES... [LIBS libs...] [NO_INSTALL])
# A command-line tool: built beside the program, warnings on, installed into
# bin unless NO_INSTALL. Every tool is made through here so that what tools
# share (installation, manual pages) is added in one place.
function(trelvane_tool name)
  cmake_parse_arguments(TOOL "NO_INSTALL" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${TOOL_SOURCES} ${TOOL_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${TOOL_LIBS})
  trelvane_warnings(${name})
  if(NOT TOOL_NO_INSTALL)
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endfunction()
