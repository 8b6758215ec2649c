// clepsydrium-print --follow: the line again at each change, until its reader goes.
#pragma once

#include <optional>
#include <string>

#include "clock/horae.h"

#include "tools/line.h"

namespace clep::print {

// Prints the line now and again each time it, the clock or the settings file
// at `path` changes; gives the exit code. The Roman hours are counted at
// `place`, else where the settings say.
int Follow(const std::string& path, const Shape& shape, const std::optional<Place>& place);

}  // namespace clep::print
