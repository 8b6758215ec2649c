// The lines of the trace a user can send us when the clock does not appear
// or misbehaves, and the bound on the file they are kept in.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace clep {

// "2026-12-08 05:43:54 what was tried: Windows' text (error 5)" and a line
// break; without the error's part for error 0. The text loses its own line
// breaks, so that one failure is one line.
std::string TraceLine(std::string_view stamp, std::string_view what, std::string_view reason,
                      unsigned long error);

// The newest whole lines of `log` that fit in `most` bytes: the oldest go
// first.
std::string_view NewestLines(std::string_view log, std::size_t most);

}  // namespace clep
