# Our own code builds warning-free; third-party headers come in as system includes.
# Warnings are errors only where we ask for it (scripts/build.sh, CI): a packager's
# or user's build must not fail on a warning that a newer compiler invents.
option(TRELVANE_WERROR "Treat compiler warnings as errors" OFF)
function(trelvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(TRELVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
