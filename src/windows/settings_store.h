// The settings of the run and the file they live in: read at start-up, each
// change written at once, key by key; the keys a failed write left wait for
// the next write that succeeds, or the way out.
#pragma once

#include <initializer_list>

#include "settings/clock_settings.h"
#include "windows/handles.h"
#include "windows/win32_profile.h"

namespace clep::win {

class SettingsStore {
 public:
  // Reads Clepsydrium.ini in `folder`.
  explicit SettingsStore(const WideString& folder);
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // The same object for the whole run: windows may keep a reference.
  const ClockSettings& Settings() const { return settings_; }
  // Takes the change for the run whatever the file does, and writes its
  // keys and every one not yet saved. False only at the run's first failed
  // write: the user is then told, once, with FailureText.
  bool Change(const ClockSettings& changed, KeySet keys);
  bool SaveUnsaved();
  bool Unsaved() const { return unsaved_ != 0; }
  // Why the last failed write did, and its message for the user.
  unsigned long LastError() const { return profile_.LastError(); }
  WideString FailureText() const;

 private:
  Win32Profile profile_;
  ClockSettings settings_;
  KeySet unsaved_ = 0;
  bool told_ = false;
};

}  // namespace clep::win
