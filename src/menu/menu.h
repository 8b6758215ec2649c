// The context menu: the one place its order, captions and meaning are
// written. The popup, its check marks, the dispatch of a chosen command and
// the end-to-end tests all read this table; items are found by id.
#pragma once

#include "settings/clock_settings.h"

#ifndef CLEP_HOME_URL
#error "CLEP_HOME_URL names the maker's home page"
#endif
#ifndef CLEP_VERSION
#error "CLEP_VERSION is the program's version"
#endif

namespace clep {

enum class Command : unsigned {
  kNone = 0,  // a separator
  kDateTime,
  kHomePage,
  kAbout,
  kToolTip,
  kRomanYear,
  kMedievalScript,
  kZeroAsDash,
  kLowercase,
  kBorders,
  kColourText,
  kColourBack,
  kTaskbarColours,
  kFont,
  kWithSeconds,
  kWithoutSeconds,
  kExit,
  kCalendar,
  kRomanFeasts,
  kStartWithWindows,
  kRomanHours,
};

struct MenuEntry {
  // kEdge flips Borders as shown; kFollow forgets the chosen colours;
  // kSignIn is checked as the user's sign-in has it and is run, as the
  // actions are, by the program.
  enum class Kind { kSeparator, kAction, kToggle, kSetOn, kSetOff, kEdge, kFollow, kSignIn };
  Command id;
  const char* caption;
  Kind kind;
  // For toggles and the seconds pair: the switch.
  bool ClockSettings::*option;
  // The keys the command writes; none for what changes no setting.
  KeySet keys;
};

namespace menu_rows {
using Kind = MenuEntry::Kind;
using S = ClockSettings;
constexpr MenuEntry Action(Command id, const char* caption) {
  return {id, caption, Kind::kAction, nullptr, 0};
}
constexpr MenuEntry Separator() {
  return {Command::kNone, "-", Kind::kSeparator, nullptr, 0};
}
constexpr MenuEntry Toggle(Command id, const char* caption, bool S::*option, Key key) {
  return {id, caption, Kind::kToggle, option, KeysOf({key})};
}
}  // namespace menu_rows

inline constexpr MenuEntry kMenu[] = {
    menu_rows::Action(Command::kDateTime, "Set Date/Time"),
    menu_rows::Action(Command::kCalendar, "Calendar"),
    menu_rows::Action(Command::kHomePage, CLEP_HOME_URL),
    menu_rows::Action(Command::kAbout, "About Clepsydrium " CLEP_VERSION),
    {Command::kStartWithWindows, "Start with Windows", MenuEntry::Kind::kSignIn, nullptr, 0},
    menu_rows::Separator(),
    menu_rows::Toggle(Command::kToolTip, "Roman date in Tooltip", &ClockSettings::toolTip,
                      Key::kToolTip),
    menu_rows::Toggle(Command::kRomanYear, "Use Roman year (from 753 BC)",
                      &ClockSettings::romanYear, Key::kRomanYear),
    menu_rows::Toggle(Command::kRomanFeasts, "Show Roman feasts", &ClockSettings::romanFeasts,
                      Key::kRomanFeasts),
    menu_rows::Toggle(Command::kMedievalScript, "Medieval script (4=IV, 9=IX, etc.)",
                      &ClockSettings::medievalScript, Key::kMedievalScript),
    menu_rows::Toggle(Command::kZeroAsDash, "Display 0 as dash", &ClockSettings::zeroAsDash,
                      Key::kZeroAsDash),
    menu_rows::Separator(),
    menu_rows::Toggle(Command::kLowercase, "Lowercase", &ClockSettings::lowercase, Key::kLowercase),
    {Command::kBorders, "Borders", MenuEntry::Kind::kEdge, nullptr, KeysOf({Key::kBorders})},
    menu_rows::Separator(),
    menu_rows::Action(Command::kColourText, "Text colour"),
    menu_rows::Action(Command::kColourBack, "Background colour"),
    {Command::kTaskbarColours, "Taskbar colours", MenuEntry::Kind::kFollow, nullptr,
     KeysOf({Key::kColourText, Key::kColourBack})},
    menu_rows::Action(Command::kFont, "Set font"),
    menu_rows::Separator(),
    {Command::kWithSeconds, "Hours, minutes, seconds", MenuEntry::Kind::kSetOn,
     &ClockSettings::displaySeconds, KeysOf({Key::kDisplaySeconds})},
    {Command::kWithoutSeconds, "Hours and minutes", MenuEntry::Kind::kSetOff,
     &ClockSettings::displaySeconds, KeysOf({Key::kDisplaySeconds})},
    menu_rows::Toggle(Command::kRomanHours, "Roman hours", &ClockSettings::romanHours,
                      Key::kRomanHours),
    menu_rows::Separator(),
    menu_rows::Action(Command::kExit, "Exit"),
};

// The entry of a command, or none.
const MenuEntry* FindMenuEntry(Command id);

// What the check marks show beside the settings.
struct MenuState {
  const ClockSettings& settings;
  bool shownEdge;  // the edge as drawn, which may be the theme's
  bool startsWithWindows;
};

// Whether the entry shows a check mark; never for actions and separators.
bool IsChecked(const MenuEntry& entry, const MenuState& state);

// The settings after a command that changes them (a toggle flips its switch;
// the seconds pair sets it; Borders flips `shownEdge`). Others leave them.
ClockSettings ApplyCommand(ClockSettings settings, Command id, bool shownEdge);

}  // namespace clep
