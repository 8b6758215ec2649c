# Fails when C or C++ code outside the Win32 layer includes Windows' headers
# or tests for a Windows build: the rest of the program must build anywhere.
#   cmake -DROOT=<source dir> -P scripts/check-windows-h.cmake
if(NOT ROOT)
  message(FATAL_ERROR "ROOT is not set")
endif()

# Code that is Windows by nature: the platform layer and the tests that run
# under Wine. (The demo taskbar, under tools/, is not looked at.)
set(allowed "src/windows/" "src/platform/win32/" "tests/settings_table/")
set(headers "windows|windef|winbase|winuser|wingdi|shellapi|commdlg|commctrl|shlobj")

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${ROOT}" "${ROOT}/src/*" "${ROOT}/tests/*")
set(offences "")
foreach(file IN LISTS files)
  if(NOT file MATCHES "\\.(c|cc|cpp|cxx|h|hh|hpp|hxx|inl)$")
    continue()
  endif()
  set(skip FALSE)
  foreach(prefix IN LISTS allowed)
    string(FIND "${file}" "${prefix}" at)
    if(at EQUAL 0)
      set(skip TRUE)
    endif()
  endforeach()
  if(skip)
    continue()
  endif()
  file(STRINGS "${ROOT}/${file}" lines REGEX "^[ \t]*#[ \t]*(include|if|ifdef|ifndef|elif)")
  foreach(line IN LISTS lines)
    string(TOLOWER "${line}" lower)
    if(lower MATCHES "#[ \t]*include[ \t]*[<\"](${headers})\\.h[>\"]"
       OR lower MATCHES "#[ \t]*(if|ifdef|ifndef|elif).*_win(32|64)")
      list(APPEND offences "${file}: ${line}")
    endif()
  endforeach()
endforeach()

if(offences)
  list(JOIN offences "\n  " text)
  message(FATAL_ERROR "Windows-only code outside src/platform/win32/:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "No Windows headers outside src/platform/win32/ (${count} files looked at)")
