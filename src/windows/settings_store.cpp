#include "windows/settings_store.h"

#include <utility>

namespace clep::win {

SettingsStore::SettingsStore(const WideString& folder)
    : profile_((folder + L"\\Clepsydrium.ini").c_str(), "Configuration"),
      settings_(LoadSettings(profile_)) {}

bool SettingsStore::Change(const ClockSettings& changed, KeySet keys) {
  settings_ = changed;
  unsaved_ |= keys;
  return SaveUnsaved() || std::exchange(told_, true);
}

bool SettingsStore::SaveUnsaved() {
  for (int key = 0; key < kKeyCount; ++key) {
    if ((unsaved_ >> key & 1U) != 0) {
      if (!WriteSetting(profile_, settings_, static_cast<Key>(key))) {
        return false;
      }
      unsaved_ &= ~(1U << key);
    }
  }
  return true;
}

WideString SettingsStore::FailureText() const {
  wchar_t reason[256] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 profile_.LastError(), 0, reason, 256, nullptr);
  return L"Clepsydrium cannot save its settings in\r\n" + profile_.Path() + L"\r\n\r\n" + reason +
         L"\r\n\r\nThe choice holds until Clepsydrium ends; it is saved as soon as the file can "
         L"be written.";
}

}  // namespace clep::win
