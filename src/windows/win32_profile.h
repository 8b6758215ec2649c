// The settings file through Windows' own profile functions.
#pragma once

#include <string>

#include "settings/clock_settings.h"

namespace clep::win {

class Win32Profile : public Profile {
 public:
  Win32Profile(std::string path, std::string section);
  std::optional<std::string> Read(std::string_view key) const override;
  bool Write(std::string_view key, std::string_view value) override;

 private:
  std::string path_;
  std::string section_;
};

}  // namespace clep::win
