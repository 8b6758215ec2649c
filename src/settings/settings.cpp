#include "settings/settings.h"

#include <charconv>

#include "platform/profile.h"

namespace settings {

ClockSettings Current;
std::string IniPath;
std::int32_t TickerCells = 0;

namespace {

constexpr const char* kSection = "Configuration";
// The profile reader's buffer: values longer than 254 characters are cut.
constexpr std::size_t kBufferSize = 255;

void LoadBool(const char* key, bool& field) {
  std::string value;
  if (ReadSetting(key, value) > 0) {
    field = value == "1";
  }
}

void LoadNumber(const char* key, std::int32_t& field) {
  std::string value;
  std::int32_t number = 0;
  if (ReadSetting(key, value) > 0 && ParseNumber(value, number)) {
    field = number;
  }
}

void LoadText(const char* key, std::string& field) {
  std::string value;
  if (ReadSetting(key, value) > 0) {
    field = value;
  }
}

}  // namespace

std::string NumberText(std::int32_t value) { return std::to_string(value); }

bool ParseNumber(std::string_view text, std::int32_t& value) {
  if (text.empty() || text.front() == '+') {
    return false;
  }
  std::int32_t parsed = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, parsed, 10);
  if (error != std::errc() || stop != end) {
    return false;
  }
  value = parsed;
  return true;
}

std::size_t ReadSetting(const char* key, std::string& value) {
  char buffer[kBufferSize] = {};
  std::size_t count =
      platform::ProfileRead(kSection, key, "", buffer, kBufferSize, IniPath.c_str());
  if (count >= kBufferSize) {
    count = kBufferSize - 1;
  }
  value.assign(buffer, count);
  return count;
}

void WriteSetting(const char* key, const std::string& value) {
  platform::ProfileWrite(kSection, key, value.c_str(), IniPath.c_str());
}

void LoadSettings() {
  Current = ClockSettings{};
  LoadBool("DisplaySeconds", Current.DisplaySeconds);
  TickerCells = CellsFor(Current.DisplaySeconds);
  LoadBool("Lowercase", Current.Lowercase);
  LoadBool("Borders", Current.Borders);
  LoadBool("ToolTip", Current.ToolTip);
  LoadBool("MedievalScript", Current.MedievalScript);
  LoadBool("RomanYear", Current.RomanYear);
  LoadBool("ZeroAsDash", Current.ZeroAsDash);
  LoadNumber("ColourText", Current.ColourText);
  LoadNumber("ColourBack", Current.ColourBack);
  LoadText("FontName", Current.FontName);
  LoadBool("FontBold", Current.FontBold);
  LoadBool("FontItalic", Current.FontItalic);
  LoadNumber("FontSize", Current.FontSize);
}

}  // namespace settings
