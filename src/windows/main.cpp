// The entry point: one instance at a time, the program's run, and the report
// of an error, shown only after the ticker is hidden and the taskbar given back.
#include <windows.h>

#include <optional>
#include <string>

#include "windows/handles.h"
#include "windows/program.h"
#include "windows/run_entry.h"
#include "windows/run_state.h"
#include "windows/shell_wait.h"
#include "windows/trace.h"
#include "windows/window_class.h"

namespace {

using clep::win::WideString;

constexpr char kTitle[] = "Clepsydrium";

// Wide: an ANSI path cannot spell every folder name, and in a double-byte code
// page a trail byte can read as a backslash.
WideString ExeFolder() {
  WideString path(MAX_PATH, L'\0');
  DWORD length = 0;
  while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
         path.size()) {
    path.resize(path.size() * 2);
  }
  path.resize(length);
  const std::size_t slash = path.find_last_of(L"\\/");
  return path.substr(0, slash == WideString::npos ? 0 : slash);
}

// "/unregister": the uninstaller's question, answered without a window.
bool AskedToUnregister(const char* line) {
  while (*line == ' ') {
    ++line;
  }
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, line, -1, "/unregister", -1) ==
         CSTR_EQUAL;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (AskedToUnregister(commandLine)) {
    return clep::win::RunEntry().Unregister() == ERROR_SUCCESS ? 0 : 1;
  }
  // Held until the process ends; the system then frees the name.
  const clep::win::OwnedKernelHandle instance(
      CreateMutexA(nullptr, FALSE, "Local\\Clepsydrium-single-instance"));
  if (instance && GetLastError() == ERROR_ALREADY_EXISTS) {
    MessageBoxA(nullptr, "Clepsydrium already running", kTitle, MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  std::optional<std::string> report;
  const WideString folder = ExeFolder();
  const clep::win::Trace trace(folder);
  try {
    if (clep::win::WaitForShell(trace) == clep::win::ShellWait::kClosed) {
      return 0;
    }
    // Ending, the program hides the ticker and gives the taskbar back,
    // whatever way it leaves; only then is an error reported.
    clep::win::Program program(folder, trace);
    report = program.Run();
  } catch (...) {
    report = clep::win::CurrentErrorReport();
  }
  if (!report) {
    return 0;
  }
  trace.Failed("the run ended: " + *report, 0);
  MessageBoxA(nullptr, report->c_str(), kTitle, MB_OK | MB_ICONERROR);
  return 1;
}
