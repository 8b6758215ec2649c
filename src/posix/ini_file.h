// A settings file read and written by the rules of Windows' profile functions
// (see settings/ini_text.h), so that the file of the Windows program reads the
// same here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/clock_settings.h"

namespace clep {

class IniFile : public Profile {
 public:
  IniFile(std::string path, std::string section);

  std::optional<std::string> Read(std::string_view key) const override;

  // Rewrites the file through a temporary file and a rename, so a failed
  // write leaves the old file whole; false then, and for a file no write can
  // keep whole (see EncodingOf). A missing file is created.
  bool Write(std::string_view key, std::optional<std::string_view> value) override;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string section_;
};

}  // namespace clep
