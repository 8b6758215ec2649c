// The context menu: the one place its order, captions and meaning are
// written. The popup, its check marks, the dispatch of a chosen command and
// the end-to-end tests all read this table; items are found by id.
#pragma once

#include <array>
#include <optional>

#include "settings/clock_settings.h"

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
};

struct MenuEntry {
  // kEdge flips Borders as shown; kFollow forgets the chosen colours;
  // kSignIn is checked as the user's sign-in has it, not the settings.
  enum class Kind { kSeparator, kAction, kToggle, kSetOn, kSetOff, kEdge, kFollow, kSignIn };
  Command id;
  const char* caption;
  Kind kind;
  // For toggles and the seconds pair: the switch and its key.
  bool ClockSettings::*option;
  Key key;
};

// Defined constexpr: initialized before anything runs, whatever the
// compiler's guard of statics (the Windows build has none).
extern const std::array<MenuEntry, 24> kMenu;  // NOLINT(bugprone-dynamic-static-initializers)

// The entry of a command, or none.
const MenuEntry* FindMenuEntry(Command id);

// Whether the entry shows a check mark under these settings (Borders as the
// colour scheme shows it); none for actions, separators and kSignIn.
std::optional<bool> IsChecked(const MenuEntry& entry, const ClockSettings& settings);

// The settings after an option command (a toggle flips its switch; the
// seconds pair sets it). Actions leave them as they are.
ClockSettings ApplyCommand(ClockSettings settings, Command id);

}  // namespace clep
