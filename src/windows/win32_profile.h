// The settings file: read by Windows' own profile reader, edited in place by
// the same rules through a file beside it that replaces it in one step (the
// profile writer would rewrite the file where it lies). The path is wide, so
// any folder name works; the file keeps its encoding, ANSI or UTF-16.
#pragma once

#include <string>
#include <string_view>

#include "settings/clock_settings.h"

namespace clep::win {

// Wide text of our own type: std::wstring's members come ready-made from the
// runtime's wstring instantiation, which would add 28 KB to the static exe;
// these are made from the templates, only those used.
struct WideTraits : std::char_traits<wchar_t> {};
using WideString = std::basic_string<wchar_t, WideTraits>;
using WideView = std::basic_string_view<wchar_t, WideTraits>;

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
