// A settings file read and written by the rules of Windows' profile functions
// (GetPrivateProfileStringA, WritePrivateProfileStringA), so that the file of
// the Windows program reads the same here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/clock_settings.h"

namespace clep {

class IniFile : public Profile {
 public:
  IniFile(std::string path, std::string section);

  // Section and key are matched without regard to case, the first match
  // wins; blanks around names and values are trimmed, matching quotes
  // around a value stripped, and the value cut at 254 characters. CR LF or
  // LF line ends, and a NUL ends its line; a UTF-8 byte-order mark is skipped.
  std::optional<std::string> Read(std::string_view key) const override;

  // Rewrites the file as Windows does (CR LF line ends, no blank lines, names
  // and values trimmed), but so that every other key reads as before, through
  // a temporary file and a rename, so a failed write leaves the old file
  // whole; false then. A missing file is created.
  bool Write(std::string_view key, std::string_view value) override;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string section_;
};

}  // namespace clep
