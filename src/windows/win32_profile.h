// The settings file: read by Windows' own profile reader, edited in place by
// the same rules through a file beside it that replaces it in one step (the
// profile writer would rewrite the file where it lies). The path is wide, so
// any folder name works; the file keeps its encoding, ANSI or UTF-16.
#pragma once

#include <string>
#include <string_view>

#include "settings/clock_settings.h"
#include "windows/wide_string.h"

namespace clep::win {

class Win32Profile : public Profile {
 public:
  Win32Profile(const wchar_t* path, std::string section);
  std::optional<std::string> Read(std::string_view key) const override;
  // False, with the old file whole, when any step fails.
  bool Write(std::string_view key, std::optional<std::string_view> value) override;
  // Why the last write that failed did.
  unsigned long LastError() const { return lastError_; }
  const WideString& Path() const { return path_; }

 private:
  unsigned long lastError_ = 0;
  WideString path_;
  std::string section_;
};

}  // namespace clep::win
