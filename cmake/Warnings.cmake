# Warnings for every target of ours; third-party code is built without them.
function(clep_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                           -Wconversion -Wno-sign-conversion)
  if(CLEP_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
