// libFuzzer: arbitrary bytes as the settings file, through the load, a write
// and a second load.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "posix/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // One file per process: libFuzzer may run several.
  static const std::string path = "Clepsydrium-" + std::to_string(getpid()) + ".ini";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::abort();
  }
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  clep::IniFile profile(path, "Configuration");
  clep::ClockSettings settings = clep::LoadSettings(profile);
  settings.fontSize = static_cast<std::int32_t>(size);
  // A face name as the font dialog gives it: one line, however odd its bytes.
  settings.fontName.assign(reinterpret_cast<const char*>(data), size < 40 ? size : 40);
  std::replace_if(
      settings.fontName.begin(), settings.fontName.end(),
      [](char c) { return c == '\r' || c == '\n'; }, ' ');
  if (!clep::WriteSetting(profile, settings, clep::Key::kFontSize) ||
      !clep::WriteSetting(profile, settings, clep::Key::kFontName)) {
    std::abort();
  }
  // A written number reads back, unless a damaged line "FontSize" without
  // "=" hides the key, as it does on Windows.
  const clep::ClockSettings again = clep::LoadSettings(profile);
  if (again.fontSize != settings.fontSize && again.fontSize != 8) {
    std::abort();
  }
  return 0;
}
