#include "menu/menu.h"

#ifndef CLEP_HOME_URL
#error "CLEP_HOME_URL names the maker's home page"
#endif
#ifndef CLEP_VERSION
#error "CLEP_VERSION is the program's version"
#endif

namespace clep {

namespace {
using Kind = MenuEntry::Kind;
using S = ClockSettings;
constexpr MenuEntry Action(Command id, const char* caption) {
  return {id, caption, Kind::kAction, nullptr, Key::kDisplaySeconds};
}
constexpr MenuEntry Separator() {
  return {Command::kNone, "-", Kind::kSeparator, nullptr, Key::kDisplaySeconds};
}
}  // namespace

constexpr std::array<MenuEntry, 24> kMenu = {{
    Action(Command::kDateTime, "Set Date/Time"),
    Action(Command::kCalendar, "Calendar"),
    Action(Command::kHomePage, CLEP_HOME_URL),
    Action(Command::kAbout, "About Clepsydrium " CLEP_VERSION),
    {Command::kStartWithWindows, "Start with Windows", Kind::kSignIn, nullptr,
     Key::kDisplaySeconds},
    Separator(),
    {Command::kToolTip, "Roman date in Tooltip", Kind::kToggle, &S::toolTip, Key::kToolTip},
    {Command::kRomanYear, "Use Roman year (from 753 BC)", Kind::kToggle, &S::romanYear,
     Key::kRomanYear},
    {Command::kRomanFeasts, "Show Roman feasts", Kind::kToggle, &S::romanFeasts, Key::kRomanFeasts},
    {Command::kMedievalScript, "Medieval script (4=IV, 9=IX, etc.)", Kind::kToggle,
     &S::medievalScript, Key::kMedievalScript},
    {Command::kZeroAsDash, "Display 0 as dash", Kind::kToggle, &S::zeroAsDash, Key::kZeroAsDash},
    Separator(),
    {Command::kLowercase, "Lowercase", Kind::kToggle, &S::lowercase, Key::kLowercase},
    {Command::kBorders, "Borders", Kind::kEdge, nullptr, Key::kBorders},
    Separator(),
    Action(Command::kColourText, "Text colour"),
    Action(Command::kColourBack, "Background colour"),
    {Command::kTaskbarColours, "Taskbar colours", Kind::kFollow, nullptr, Key::kColourText},
    Action(Command::kFont, "Set font"),
    Separator(),
    {Command::kWithSeconds, "Hours, minutes, seconds", Kind::kSetOn, &S::displaySeconds,
     Key::kDisplaySeconds},
    {Command::kWithoutSeconds, "Hours and minutes", Kind::kSetOff, &S::displaySeconds,
     Key::kDisplaySeconds},
    Separator(),
    Action(Command::kExit, "Exit"),
}};

const MenuEntry* FindMenuEntry(Command id) {
  for (const MenuEntry& entry : kMenu) {
    if (entry.id == id && id != Command::kNone) {
      return &entry;
    }
  }
  return nullptr;
}

std::optional<bool> IsChecked(const MenuEntry& entry, const ClockSettings& settings) {
  switch (entry.kind) {
    case Kind::kToggle:
    case Kind::kSetOn:
      return settings.*entry.option;
    case Kind::kSetOff:
      return !(settings.*entry.option);
    case Kind::kEdge:
      return settings.borders.value_or(true);
    case Kind::kFollow:
      return !settings.colourText && !settings.colourBack;
    default:
      return std::nullopt;
  }
}

ClockSettings ApplyCommand(ClockSettings settings, Command id) {
  if (const MenuEntry* entry = FindMenuEntry(id)) {
    switch (entry->kind) {
      case Kind::kToggle:
        settings.*entry->option = !(settings.*entry->option);
        break;
      case Kind::kSetOn:
        settings.*entry->option = true;
        break;
      case Kind::kSetOff:
        settings.*entry->option = false;
        break;
      case Kind::kEdge:
        settings.borders = !settings.borders.value_or(true);
        break;
      case Kind::kFollow:
        settings.colourText.reset();
        settings.colourBack.reset();
        break;
      default:
        break;
    }
  }
  return settings;
}

}  // namespace clep
