// clepsydrium-print --follow: the line again at each change, until its reader goes.
#pragma once

#include <string>

#include "tools/line.h"

namespace clep::print {

// Prints the line now and again each time it, the clock or the settings file
// at `path` changes; gives the exit code.
int Follow(const std::string& path, const Shape& shape);

}  // namespace clep::print
