// Owners of Win32 handles: each frees what it holds on every way out.
#pragma once

#include <windows.h>

#include <utility>

namespace clep::win {

template <typename Handle, auto Free>
class Owned {
 public:
  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      Reset(std::exchange(other.handle_, nullptr));
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // The old handle is let go before it is freed, so a window being
  // destroyed here no longer counts as ours.
  void Reset(Handle handle = nullptr) {
    const Handle old = std::exchange(handle_, handle);
    if (old != nullptr) {
      Free(old);
    }
  }
  // Lets go without freeing: for a window that something else destroyed.
  Handle Release() { return std::exchange(handle_, nullptr); }

 private:
  Handle handle_ = nullptr;
};

using OwnedWindow = Owned<HWND, DestroyWindow>;
using OwnedFont = Owned<HFONT, DeleteObject>;
using OwnedBitmap = Owned<HBITMAP, DeleteObject>;
using OwnedMemoryDc = Owned<HDC, DeleteDC>;
using OwnedMenu = Owned<HMENU, DestroyMenu>;
using OwnedLibrary = Owned<HMODULE, FreeLibrary>;
using OwnedKernelHandle = Owned<HANDLE, CloseHandle>;

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
