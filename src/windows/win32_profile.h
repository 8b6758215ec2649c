// The settings file: read by Windows' own profile reader, written by the
// same rules through a file beside it that replaces it in one step. The path
// is wide, so any folder name works; the file stays ANSI text.
#pragma once

#include <string>

#include "settings/clock_settings.h"

namespace clep::win {

class Win32Profile : public Profile {
 public:
  Win32Profile(std::wstring path, std::string section);
  std::optional<std::string> Read(std::string_view key) const override;
  // False, with the old file whole, when any step fails.
  bool Write(std::string_view key, std::string_view value) override;

 private:
  std::wstring path_;
  std::string section_;
};

}  // namespace clep::win
