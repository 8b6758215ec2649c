// GoogleTest's port for mingw's win32 thread model, the shipped 32-bit exe's
// compiler, which has no std::mutex. GoogleTest needs it only for a
// notification in its own thread tests; here that is a Win32 event.
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
 public:
  Notification() = default;
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;
  ~Notification() { CloseHandle(event_); }
  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

}  // namespace testing::internal
