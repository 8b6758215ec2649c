// The process: one instance per session, the exe's folder and version, and
// starting other programs.
#include <windows.h>
// After windows.h, which they need.
#include <shellapi.h>
#include <winver.h>

#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace {

constexpr char kInstanceMutex[] = "Local\\Clepsydrium-single-instance";

std::string ExePath() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return {};
    }
    if (length < path.size()) {
      return std::string(path.data(), length);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

namespace platform {

bool PreviousInstance() {
  // Held until the process ends; the system then frees the name.
  static HANDLE mutex = nullptr;
  if (mutex != nullptr) {
    return false;
  }
  mutex = CreateMutexA(nullptr, FALSE, kInstanceMutex);
  return mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string ExeFolder() {
  const std::string path = ExePath();
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

Version ExeVersion() {
  Version version;
  const std::string path = ExePath();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) {
    return version;
  }
  std::vector<char> data(size);
  void* fixed = nullptr;
  UINT fixedSize = 0;
  if (GetFileVersionInfoA(path.c_str(), 0, size, data.data()) &&
      VerQueryValueA(data.data(), "\\", &fixed, &fixedSize) &&
      fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    version.major = HIWORD(info->dwFileVersionMS);
    version.minor = LOWORD(info->dwFileVersionMS);
    version.revision = HIWORD(info->dwFileVersionLS);
  }
  return version;
}

bool StartCommand(const std::string& commandLine, std::int32_t show) {
  try {
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');  // CreateProcessA may write into it
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  } catch (...) {
    return false;
  }
}

std::intptr_t ShellExecuteOpen(const std::string& operation, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               std::int32_t show) {
  HINSTANCE result = ShellExecuteA(GetDesktopWindow(), operation.c_str(), file.c_str(),
                                   parameters.c_str(), directory.c_str(), show);
  return reinterpret_cast<std::intptr_t>(result);
}

}  // namespace platform
