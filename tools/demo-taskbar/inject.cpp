// Starts an unmodified exe with the test shell's DLL inside it:
//   demo_inject.exe SHELL.dll PROGRAM.exe
// The program is created suspended, loads the DLL through a remote thread,
// and runs once the shell's thread says it is ready. Exits with the
// program's exit code, or 3 when the shell could not start.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Fail(const char* what, HANDLE process) {
  std::fprintf(stderr, "demo_inject: %s (error %lu)\n", what, GetLastError());
  if (process != nullptr) {
    TerminateProcess(process, 3);
  }
  return 3;
}

}  // namespace

// Wide: the program's path may hold names the ANSI code page cannot spell.
int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: demo_inject SHELL.dll PROGRAM.exe\n");
    return 2;
  }
  char dllPath[MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, argv[1], -1, dllPath, MAX_PATH, nullptr, nullptr);
  const std::string dll = dllPath;
  std::wstring commandLine = std::wstring(L"\"") + argv[2] + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(argv[2], commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                      nullptr, nullptr, &startup, &info)) {
    return Fail("cannot start the program", nullptr);
  }
  const std::string pid = std::to_string(info.dwProcessId);
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, ("ClepShellReady-" + pid).c_str());
  HANDLE failed = CreateEventA(nullptr, TRUE, FALSE, ("ClepShellFailed-" + pid).c_str());

  void* remote = VirtualAllocEx(info.hProcess, nullptr, dll.size() + 1, MEM_COMMIT | MEM_RESERVE,
                                PAGE_READWRITE);
  if (remote == nullptr ||
      !WriteProcessMemory(info.hProcess, remote, dll.c_str(), dll.size() + 1, nullptr)) {
    return Fail("cannot write the DLL's path", info.hProcess);
  }
  // kernel32 sits at the same address in every process.
  auto loadLibrary = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")));
  HANDLE thread = CreateRemoteThread(info.hProcess, nullptr, 0, loadLibrary, remote, 0, nullptr);
  if (thread == nullptr) {
    return Fail("cannot start the remote thread", info.hProcess);
  }
  if (WaitForSingleObject(thread, 20000) != WAIT_OBJECT_0) {
    return Fail("LoadLibraryA did not return", info.hProcess);
  }
  DWORD loaded = 0;
  GetExitCodeThread(thread, &loaded);
  CloseHandle(thread);
  if (loaded == 0) {
    return Fail("LoadLibraryA failed", info.hProcess);
  }
  HANDLE events[2] = {ready, failed};
  if (WaitForMultipleObjects(2, events, FALSE, 20000) != WAIT_OBJECT_0) {
    return Fail("the shell did not become ready", info.hProcess);
  }
  ResumeThread(info.hThread);
  std::printf("pid=%lu\n", info.dwProcessId);
  std::fflush(stdout);
  WaitForSingleObject(info.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  return static_cast<int>(code);
}
