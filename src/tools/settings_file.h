// Where clepsydrium-print finds its settings, and how it shows them.
#pragma once

#include <string>

#include "settings/clock_settings.h"

namespace clep::print {

// The user's own file, by the XDG rules (a relative XDG_CONFIG_HOME is ignored);
// empty with no home at all.
std::string UserSettingsPath();

// The error that keeps the settings file from being read; 0 for a readable
// file, and for a missing one that need not be there.
int ReadError(const std::string& path, bool mustExist);

// The settings in the file; the defaults for no path or no file.
ClockSettings LoadFrom(const std::string& path);

// The settings as an INI file of their own, with where they came from.
void PrintSettings(const std::string& path, const ClockSettings& settings);

}  // namespace clep::print
