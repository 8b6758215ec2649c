#include "menu/menu.h"

namespace clep {

using Kind = MenuEntry::Kind;

const MenuEntry* FindMenuEntry(Command id) {
  for (const MenuEntry& entry : kMenu) {
    if (entry.id == id && id != Command::kNone) {
      return &entry;
    }
  }
  return nullptr;
}

bool IsChecked(const MenuEntry& entry, const MenuState& state) {
  const ClockSettings& settings = state.settings;
  switch (entry.kind) {
    case Kind::kToggle:
    case Kind::kSetOn:
      return settings.*entry.option;
    case Kind::kSetOff:
      return !(settings.*entry.option);
    case Kind::kEdge:
      return state.shownEdge;
    case Kind::kFollow:
      return !settings.colourText && !settings.colourBack;
    case Kind::kSignIn:
      return state.startsWithWindows;
    default:
      return false;
  }
}

ClockSettings ApplyCommand(ClockSettings settings, Command id, bool shownEdge) {
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
        settings.borders = !shownEdge;
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
