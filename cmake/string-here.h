// Read first by every C++ file of the Windows builds (see CMakeLists.txt).
// libstdc++ declares std::string as instantiated inside the library, so the
// first member the program calls links all of them, 33 KB of the exe;
// instantiated in the program's own files instead, the whole-program link
// keeps only the members called. This is the library's own switch for it,
// the one its assertion mode sets, and it must come before any other header.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1
