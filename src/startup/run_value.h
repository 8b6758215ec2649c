// The value under the user's Run key that starts the program at sign-in:
// what it names, read as Windows reads it, and whether the start-up list
// has switched it off.
#pragma once

#include <cstddef>
#include <string_view>

namespace clep {

// The program a Run value starts: the path in quotes, or else the text up
// to the first ".exe" that ends a word; arguments after it are not part.
std::wstring_view RunValuePath(std::wstring_view value);

// Whether two absolute paths name the same file as Windows reads them: in
// any case, with / or \, repeated separators, "." and ".." steps, a "\\?\"
// prefix, and dots or blanks that end the name.
bool SamePath(std::wstring_view a, std::wstring_view b);

// Whether the start-up list's entry for the value (its first byte odd: 01,
// 03, 07) has switched it off; none or an even first byte leaves it on.
bool SwitchedOff(const unsigned char* entry, std::size_t size);

}  // namespace clep
