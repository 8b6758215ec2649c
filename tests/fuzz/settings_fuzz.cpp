// libFuzzer: arbitrary bytes as the settings file, through the portable INI
// store, the settings load, a write and a second load.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "settings/settings.h"

namespace {

// In the working folder, one file per process: libFuzzer may run several.
std::string ScratchIni() {
  return (std::filesystem::current_path() /
          ("Clepsydrium-" + std::to_string(static_cast<long>(getpid())) + ".ini"))
      .string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = ScratchIni();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::abort();
  }
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  settings::IniPath = path;
  settings::LoadSettings();
  if (settings::TickerCells != settings::CellsFor(settings::Current.DisplaySeconds)) {
    std::abort();
  }

  // A written value need not read back here: a damaged file can hold a line
  // "FontSize" without "=" that hides the key, on Windows as in the store.
  settings::WriteSetting("FontSize", settings::NumberText(static_cast<std::int32_t>(size)));
  settings::WriteSetting("FontName",
                         std::string(reinterpret_cast<const char*>(data), size < 40 ? size : 40));
  settings::LoadSettings();
  return 0;
}
