#include "windows/run_entry.h"

#include <array>
#include <optional>

#include "startup/run_value.h"
#include "windows/handles.h"

namespace clep::win {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr wchar_t kName[] = L"Clepsydrium";
// What the start-up list writes for a value switched on.
constexpr std::array<BYTE, 12> kSwitchedOn = {2};

struct Value {
  DWORD type = REG_NONE;
  std::array<BYTE, 4096> data{};  // a long path and its quotes
  DWORD size = 0;
};

// RegOpenKeyExW and RegQueryValueExW, not RegGetValueW: Windows XP has none.
std::optional<Value> ReadValue(const wchar_t* key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const OwnedKey owned(opened);
  Value value;
  value.size = static_cast<DWORD>(value.data.size() - sizeof(wchar_t));  // room for an end
  const LSTATUS status =
      RegQueryValueExW(opened, kName, nullptr, &value.type, value.data.data(), &value.size);
  if (status != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

WideView TextOf(const Value& value) {
  WideView text(reinterpret_cast<const wchar_t*>(value.data.data()), value.size / sizeof(wchar_t));
  return text.substr(0, text.find(L'\0'));
}

// A path as the file system spells it: a short 8.3 name in its long form.
WideString LongPath(WideView path) {
  WideString given(path);
  WideString found(MAX_PATH, L'\0');
  const DWORD length =
      GetLongPathNameW(given.c_str(), found.data(), static_cast<DWORD>(found.size()));
  if (length == 0 || length >= found.size()) {
    return given;
  }
  found.resize(length);
  return found;
}

LSTATUS SetValue(const wchar_t* key, DWORD type, const BYTE* data, DWORD size) {
  HKEY opened = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                   &opened, nullptr);
  if (status == ERROR_SUCCESS) {
    const OwnedKey owned(opened);
    status = RegSetValueExW(opened, kName, 0, type, data, size);
  }
  return status;
}

LSTATUS DeleteValue(const wchar_t* key) {
  HKEY opened = nullptr;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &opened);
  if (status == ERROR_SUCCESS) {
    const OwnedKey owned(opened);
    status = RegDeleteValueW(opened, kName);
  }
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

}  // namespace

RunEntry::RunEntry() : exe_(MAX_PATH, L'\0') {
  DWORD length = 0;
  while ((length = GetModuleFileNameW(nullptr, exe_.data(), static_cast<DWORD>(exe_.size()))) ==
         exe_.size()) {
    exe_.resize(exe_.size() * 2);
  }
  exe_.resize(length);
}

bool RunEntry::Starts() const {
  if (!NamesThisExe()) {
    return false;
  }
  const std::optional<Value> approved = ReadValue(kApprovedKey);
  return !approved || approved->type != REG_BINARY ||
         !SwitchedOff(approved->data.data(), approved->size);
}

bool RunEntry::NamesThisExe() const {
  const std::optional<Value> run = ReadValue(kRunKey);
  if (!run || (run->type != REG_SZ && run->type != REG_EXPAND_SZ)) {
    return false;
  }
  WideString value(TextOf(*run));
  if (run->type == REG_EXPAND_SZ) {
    WideString expanded(std::size_t{2} * MAX_PATH, L'\0');
    const DWORD length = ExpandEnvironmentStringsW(value.c_str(), expanded.data(),
                                                   static_cast<DWORD>(expanded.size()));
    if (length > 0 && length <= expanded.size()) {
      expanded.resize(length - 1);
      value = expanded;
    }
  }
  const std::wstring_view named = RunValuePath({value.data(), value.size()});
  const WideString path = LongPath({named.data(), named.size()});
  const WideString exe = LongPath(exe_);
  return SamePath({path.data(), path.size()}, {exe.data(), exe.size()});
}

LSTATUS RunEntry::Write() const {
  const std::optional<Value> before = ReadValue(kRunKey);
  const WideString value = L"\"" + exe_ + L"\"";
  LSTATUS status = SetValue(kRunKey, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  const std::optional<Value> approved = ReadValue(kApprovedKey);
  if (status != ERROR_SUCCESS || !approved || !SwitchedOff(approved->data.data(), approved->size)) {
    return status;
  }
  status = SetValue(kApprovedKey, REG_BINARY, kSwitchedOn.data(), kSwitchedOn.size());
  if (status != ERROR_SUCCESS) {
    // Back as it was: a value pointed here but still off would change the
    // user's start-up and still not start the clock.
    if (before) {
      SetValue(kRunKey, before->type, before->data.data(), before->size);
    } else {
      DeleteValue(kRunKey);
    }
  }
  return status;
}

LSTATUS RunEntry::Remove() const {
  const LSTATUS status = DeleteValue(kRunKey);
  if (status == ERROR_SUCCESS) {
    DeleteValue(kApprovedKey);  // a leftover mark would only mislead
  }
  return status;
}

void RunEntry::Switch() const {
  LSTATUS status = ERROR_ACCESS_DENIED;
#ifdef CLEP_FAULTABLE
  // Only in the end-to-end tests' build: a file "deny-run" beside the exe
  // stands for a policy or a locked key.
  const WideString denied = exe_.substr(0, exe_.find_last_of(L'\\')) + L"\\deny-run";
  if (GetFileAttributesW(denied.c_str()) == INVALID_FILE_ATTRIBUTES)
#endif
    status = Starts() ? Remove() : Write();
  if (status == ERROR_SUCCESS) {
    return;
  }
  wchar_t reason[256] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(status), 0, reason, 256, nullptr);
  const WideString text =
      L"Clepsydrium cannot change whether it starts with Windows: the value "
      L"Clepsydrium under\r\nHKEY_CURRENT_USER\\" +
      WideString(kRunKey) + L"\r\ncannot be written.\r\n\r\n" + reason;
  MessageBoxW(nullptr, text.c_str(), L"Clepsydrium", MB_OK | MB_ICONWARNING);
}

}  // namespace clep::win
