#include "windows/trace.h"

#include <string>

#include "trace/trace_text.h"
#include "windows/handles.h"

namespace clep::win {

namespace {

// The log's bound; once over it, a quarter is dropped, the oldest lines
// first, so that it is not rewritten at each line.
constexpr std::size_t kMostLog = std::size_t{64} * 1024;

void Append(const WideString& path, const std::string& line) {
  const OwnedFile file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size)) {
    return;
  }
  std::string text;
  if (static_cast<std::size_t>(size.QuadPart) + line.size() <= kMostLog) {
    SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    text = line;
  } else {
    text.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &got, nullptr)) {
      return;
    }
    text.resize(got);
    text = std::string(NewestLines(text + line, kMostLog / 4 * 3));
    SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
    SetEndOfFile(file.Get());
  }
  DWORD written = 0;
  WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

Trace::Trace(const WideString& folder) {
  const WideString ini = folder + L"\\Clepsydrium.ini";
  wchar_t on[4] = L"";
  GetPrivateProfileStringW(L"Configuration", L"Trace", L"", on, 4, ini.c_str());
  if (lstrcmpW(on, L"1") == 0) {  // on as every switch is: exactly 1
    log_ = folder + L"\\Clepsydrium.log";
  }
}

void Trace::Failed(std::string_view what, DWORD error) const {
  const DWORD last = GetLastError();
  char reason[256] = "";
  if (error != 0) {
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   reason, sizeof reason, nullptr);
  }
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char stamp[40];
  wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u Clepsydrium:", now.wYear, now.wMonth, now.wDay,
            now.wHour, now.wMinute, now.wSecond);
  const std::string line = TraceLine(stamp, what, reason, error);
  OutputDebugStringA(line.c_str());
  if (!log_.empty()) {
    Append(log_, line);
  }
  SetLastError(last);
}

}  // namespace clep::win
