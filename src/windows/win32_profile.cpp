#include "windows/win32_profile.h"

#include <windows.h>

#include <utility>

namespace clep::win {

Win32Profile::Win32Profile(std::string path, std::string section)
    : path_(std::move(path)), section_(std::move(section)) {}

std::optional<std::string> Win32Profile::Read(std::string_view key) const {
  // 255 with the NUL: longer values are cut at 254 characters.
  char buffer[255] = {};
  const std::string name(key);
  const DWORD count = GetPrivateProfileStringA(section_.c_str(), name.c_str(), "", buffer,
                                               sizeof buffer, path_.c_str());
  if (count == 0) {
    return std::nullopt;
  }
  return std::string(buffer, count < sizeof buffer ? count : sizeof buffer - 1);
}

bool Win32Profile::Write(std::string_view key, std::string_view value) {
  return WritePrivateProfileStringA(section_.c_str(), std::string(key).c_str(),
                                    std::string(value).c_str(), path_.c_str()) != FALSE;
}

}  // namespace clep::win
