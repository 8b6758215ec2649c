// The text of a settings file, read by the rules of Windows' profile reader
// (GetPrivateProfileString), so that a file written by either program reads
// the same in both, and edited in place: a write changes the one line it must
// and leaves every other byte of the file as it was.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace clep {

// How a file's bytes are text: a byte each (ANSI, or UTF-8 without a mark),
// UTF-8 or UTF-16 after its byte-order mark (a Windows reader then gives
// values in Unicode, so they go in as UTF-8), or UTF-16 with an odd byte
// over, which no write can keep whole.
enum class IniEncoding { kBytes, kUtf8, kUtf16, kUnwritable };
IniEncoding EncodingOf(std::string_view file);

// The value of `key` in `section`. Section and key are matched without regard
// to case, the first match wins; blanks around names and values are trimmed,
// matching quotes around a value stripped, and the value cut at 254
// characters. CR, LF or CR LF end a line, and a NUL ends its text; a UTF-8
// byte-order mark is skipped. Nothing for a missing or empty value.
std::optional<std::string> IniValue(std::string_view file, std::string_view section,
                                    std::string_view key);

// The file with `key` set to `value`, or every line of the key removed for no
// value. A key's first line is rewritten as `Key=value` in its place; a new
// key follows the last line of its section, a missing section goes at the
// end; an added line ends as the file's first line does (CR LF in a file of
// one line). Nothing when the key already holds the value, or has none to
// remove, or the file is unwritable: the file is then left as it is.
std::optional<std::string> IniWithValue(std::string_view file, std::string_view section,
                                        std::string_view key,
                                        std::optional<std::string_view> value);

}  // namespace clep
