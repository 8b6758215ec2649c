#include "windows/win32_profile.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "settings/ini_text.h"
#include "windows/handles.h"

namespace clep::win {

namespace {

// The ANSI code page to UTF-16: never more characters than bytes.
WideString Wide(std::string_view text) {
  WideString wide(text.size(), L'\0');
  wide.resize(static_cast<std::size_t>(
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          static_cast<int>(wide.size()))));
  return wide;
}

std::string Narrow(WideView wide, UINT codePage = CP_ACP) {
  const int size = static_cast<int>(wide.size());
  std::string text(static_cast<std::size_t>(WideCharToMultiByte(codePage, 0, wide.data(), size,
                                                                nullptr, 0, nullptr, nullptr)),
                   '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, text.data(), static_cast<int>(text.size()),
                      nullptr, nullptr);
  return text;
}

OwnedFile OpenFile(const WideString& path, DWORD access, DWORD creation) {
  return OwnedFile(CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, creation,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The file's bytes: empty for no file, nothing when it cannot be read.
std::optional<std::string> ReadAll(const WideString& path) {
  const OwnedFile file = OpenFile(path, GENERIC_READ, OPEN_EXISTING);
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? std::optional<std::string>("") : std::nullopt;
  }
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  BOOL read = FALSE;
  while ((read = ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) && got > 0) {
    bytes.append(chunk, got);
  }
  return read ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
}

bool WriteWhole(const WideString& path, const std::string& bytes) {
  WideString temporary = path + L".new";
  OwnedFile file = OpenFile(temporary, GENERIC_WRITE, CREATE_ALWAYS);
  if (!file) {
    // A stray of that name that cannot be replaced (read-only, a folder): a
    // name of our own beside it, which the system makes unique.
    const WideString folder = path.substr(0, path.find_last_of(L"\\/") + 1);
    wchar_t unique[MAX_PATH + 1] = {};
    if (folder.empty() || !GetTempFileNameW(folder.c_str(), L"clp", 0, unique)) {
      return false;
    }
    temporary = unique;
    file = OpenFile(temporary, GENERIC_WRITE, CREATE_ALWAYS);
  }
  DWORD written = 0;
  const bool whole =
      file &&
      WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size() && FlushFileBuffers(file.Get());
  if (!file.Close() || !whole ||
      !MoveFileExW(temporary.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    DeleteFileW(temporary.c_str());
    SetLastError(error);
    return false;
  }
  return true;
}

}  // namespace

Win32Profile::Win32Profile(const wchar_t* path, std::string section)
    : path_(path), section_(std::move(section)) {}

std::optional<std::string> Win32Profile::Read(std::string_view key) const {
  // 255 with the NUL: longer values are cut at 254 characters.
  wchar_t buffer[255] = {};
  const DWORD count = GetPrivateProfileStringW(Wide(section_).c_str(), Wide(key).c_str(), L"",
                                               buffer, 255, path_.c_str());
  if (count == 0) {
    return std::nullopt;
  }
  return Narrow({buffer, count < 255 ? count : 254});
}

bool Win32Profile::Write(std::string_view key, std::optional<std::string_view> value) {
  // A read-only file is the user's to keep; the rename would not ask.
  const DWORD attributes = GetFileAttributesW(path_.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    lastError_ = ERROR_ACCESS_DENIED;
    return false;
  }
  const std::optional<std::string> bytes = ReadAll(path_);
  lastError_ = GetLastError();
  if (!bytes || EncodingOf(*bytes) == IniEncoding::kUnwritable) {
    lastError_ = bytes ? ERROR_UNSUPPORTED_TYPE : lastError_;
    return false;
  }
  // A Unicode file takes the value as UTF-8, every character of the code page kept.
  std::string utf8;
  if (value && EncodingOf(*bytes) != IniEncoding::kBytes) {
    utf8 = Narrow(Wide(*value), CP_UTF8);
    value = utf8;
  }
  const std::optional<std::string> text = IniWithValue(*bytes, section_, key, value);
  if (text && !WriteWhole(path_, *text)) {
    lastError_ = GetLastError();
    return false;
  }
  return true;
}

}  // namespace clep::win
