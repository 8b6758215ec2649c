// libFuzzer: arbitrary bytes as the settings file, through the load, a write
// and a second load.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "posix/ini_file.h"
#include "settings/ini_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One file per process, as libFuzzer may run several, and out of the way.
  static const std::string path = (std::filesystem::temp_directory_path() /
                                   ("Clepsydrium-fuzz-" + std::to_string(getpid()) + ".ini"))
                                      .string();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::abort();
  }
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  const clep::IniEncoding encoding = clep::EncodingOf({reinterpret_cast<const char*>(data), size});
  clep::IniFile profile(path, "Configuration");
  clep::ClockSettings settings = clep::LoadSettings(profile);
  settings.fontSize = static_cast<std::int32_t>(size);
  // A face name as the font dialog gives it: one line of no control
  // characters, not padded or quoted, however odd its other bytes.
  std::string name(reinterpret_cast<const char*>(data), size < 40 ? size : 40);
  // A UTF-16 file takes text, as the Windows program converts to it.
  const bool utf16 = encoding == clep::IniEncoding::kUtf16;
  std::replace_if(
      name.begin(), name.end(), [&](char c) { return (c >= 0 && c < ' ') || (utf16 && c < 0); },
      '_');
  name.erase(0, name.find_first_not_of(' '));
  name.erase(name.find_last_not_of(' ') + 1);
  if (!name.empty() && (name[0] == '"' || name[0] == '\'')) {
    name[0] = '_';
  }
  settings.fontName = name;
  if (encoding == clep::IniEncoding::kUnwritable) {
    if (clep::WriteSetting(profile, settings, clep::Key::kFontSize)) {
      std::abort();  // a file no write keeps whole is refused
    }
    return 0;
  }
  settings.colourText.reset();  // "Taskbar colours": a key removed, every line of it
  if (!clep::WriteSetting(profile, settings, clep::Key::kFontSize) ||
      !clep::WriteSetting(profile, settings, clep::Key::kFontName) ||
      !clep::WriteSetting(profile, settings, clep::Key::kColourText)) {
    std::abort();
  }
  // What was written reads back, and nothing else changed.
  if (!(clep::LoadSettings(profile) == settings)) {
    std::abort();
  }
  return 0;
}
