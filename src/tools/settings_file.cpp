#include "tools/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "posix/ini_file.h"

namespace clep::print {

namespace {

bool UsedHere(Key key) {
  return key == Key::kDisplaySeconds || key == Key::kLowercase || key == Key::kToolTip ||
         key == Key::kMedievalScript || key == Key::kRomanYear || key == Key::kZeroAsDash ||
         key == Key::kRomanFeasts || key == Key::kRomanHours || key == Key::kLatitude ||
         key == Key::kLongitude;
}

}  // namespace

std::string UserSettingsPath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') {
    return std::string(config) + "/clepsydrium/Clepsydrium.ini";
  }
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') {
    return std::string(home) + "/.config/clepsydrium/Clepsydrium.ini";
  }
  return {};
}

int ReadError(const std::string& path, bool mustExist) {
  const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO too
  if (file < 0) {
    return errno == ENOENT && !mustExist ? 0 : errno;
  }
  struct stat status {};
  const int error = fstat(file, &status) != 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
  close(file);
  return error;
}

ClockSettings LoadFrom(const std::string& path) {
  return path.empty() ? ClockSettings() : LoadSettings(IniFile(path, "Configuration"));
}

void PrintSettings(const std::string& path, const ClockSettings& settings) {
  struct stat status {};
  if (path.empty()) {
    std::printf("; no settings file (no home folder): the defaults\n");
  } else if (stat(path.c_str(), &status) != 0) {
    std::printf("; no settings file %s: the defaults\n", path.c_str());
  } else {
    std::printf("; read from %s\n", path.c_str());
  }
  std::printf("[Configuration]\n");
  std::string ignored;
  for (int i = 0; i < kKeyCount; ++i) {
    const auto key = static_cast<Key>(i);
    const std::string name(KeyName(key));
    if (UsedHere(key)) {
      std::printf("%s=%s\n", name.c_str(), ValueText(settings, key).c_str());
    } else {
      ignored += ' ' + name;
    }
  }
  std::printf("; not used here, only by the Windows ticker:%s\n", ignored.c_str());
}

}  // namespace clep::print
