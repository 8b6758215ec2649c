// The text of a settings file, read and rewritten by the rules of Windows'
// profile functions (GetPrivateProfileString, WritePrivateProfileString), so
// that a file written by either program reads the same in both.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace clep {

// The value of `key` in `section`. Section and key are matched without regard
// to case, the first match wins; blanks around names and values are trimmed,
// matching quotes around a value stripped, and the value cut at 254
// characters. CR LF or LF line ends, and a NUL ends its line; a UTF-8
// byte-order mark is skipped. Nothing for a missing or empty value.
std::optional<std::string> IniValue(std::string_view text, std::string_view section,
                                    std::string_view key);

// The text with `key` set to `value`, or its first line removed for no
// value, rewritten as Windows does (CR LF line ends, no blank lines, names
// and values trimmed) so that every other key reads as before; a missing
// section is added at the end. Nothing when the key already holds the value,
// or has none to remove: the file is then left as it is.
std::optional<std::string> IniWithValue(std::string_view text, std::string_view section,
                                        std::string_view key,
                                        std::optional<std::string_view> value);

}  // namespace clep
