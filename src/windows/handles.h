// Owners of Win32 handles: each frees what it holds on every way out.
#pragma once

#include <windows.h>

#include <utility>

namespace clep::win {

template <typename Handle>
constexpr Handle NoHandle() {
  return nullptr;
}
inline HANDLE InvalidHandle() {
  return INVALID_HANDLE_VALUE;
}

// A handle freed by Free; Empty gives the value that holds none (nullptr,
// or a file's INVALID_HANDLE_VALUE).
template <typename Handle, auto Free, Handle (*Empty)() = NoHandle<Handle>>
class Owned {
 public:
  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, Empty())) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      Reset(std::exchange(other.handle_, Empty()));
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != Empty(); }
  // The old handle is let go before it is freed, so a window being
  // destroyed here no longer counts as ours.
  void Reset(Handle handle = Empty()) { Close(handle); }
  // Frees now; for a Free that returns BOOL, whether it did (a file's last
  // writes may fail as it closes).
  bool Close(Handle next = Empty()) {
    const Handle old = std::exchange(handle_, next);
    return old == Empty() || static_cast<bool>(Free(old));
  }
  // Lets go without freeing: for a window that something else destroyed.
  Handle Release() { return std::exchange(handle_, Empty()); }

 private:
  Handle handle_ = Empty();
};

using OwnedWindow = Owned<HWND, DestroyWindow>;
using OwnedFont = Owned<HFONT, DeleteObject>;
using OwnedBitmap = Owned<HBITMAP, DeleteObject>;
using OwnedMemoryDc = Owned<HDC, DeleteDC>;
using OwnedMenu = Owned<HMENU, DestroyMenu>;
using OwnedLibrary = Owned<HMODULE, FreeLibrary>;
using OwnedKernelHandle = Owned<HANDLE, CloseHandle>;
using OwnedFile = Owned<HANDLE, CloseHandle, InvalidHandle>;
using OwnedKey = Owned<HKEY, RegCloseKey>;

// A window's DC, the screen's for none, released at the end of the scope.
class WindowDc {
 public:
  explicit WindowDc(HWND window = nullptr) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) {
      ReleaseDC(window_, dc_);
    }
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A GDI object selected into a DC until the end of the scope.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(dc_, old_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace clep::win
