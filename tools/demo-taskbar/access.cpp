// A screen reader's view of a window, through MSAA as Wine's oleacc gives it:
//   demo_access read HWND    its client object's role, name, value and default action
//   demo_access act HWND     its default action done
//   demo_access watch MS     each focus and name change for MS ms, a line each, as heard
// Texts are printed as UTF-8; a failed call prints its HRESULT and exits 1.
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const IID kAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

std::string Utf8(BSTR text) {
  if (text == nullptr) {
    return "";
  }
  char out[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out - 1, nullptr, nullptr);
  SysFreeString(text);
  return out;
}

VARIANT Self() {
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return self;
}

IAccessible* ObjectOf(const char* window) {
  const auto hwnd = reinterpret_cast<HWND>(std::strtoull(window, nullptr, 16));
  IAccessible* object = nullptr;
  const HRESULT result = AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                                    kAccessible, reinterpret_cast<void**>(&object));
  if (FAILED(result) || object == nullptr) {
    std::printf("error=AccessibleObjectFromWindow %08lx\n", static_cast<unsigned long>(result));
    std::exit(1);
  }
  return object;
}

void CALLBACK Heard(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                    DWORD) {
  IAccessible* found = nullptr;
  VARIANT which;
  VariantInit(&which);
  if (FAILED(AccessibleObjectFromEvent(window, static_cast<DWORD>(object),
                                       static_cast<DWORD>(child), &found, &which)) ||
      found == nullptr) {
    return;
  }
  BSTR name = nullptr;
  found->get_accName(which, &name);
  std::printf("%s\t%p\t%s\n", event == EVENT_OBJECT_FOCUS ? "focus" : "name",
              static_cast<void*>(window), Utf8(name).c_str());
  std::fflush(stdout);
  found->Release();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: demo_access read|act HWND, or watch MS\n");
    return 2;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const std::string mode = argv[1];
  if (mode == "watch") {
    SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_NAMECHANGE, nullptr, Heard, 0, 0,
                    WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    std::printf("watching\n");
    std::fflush(stdout);
    const DWORD end = GetTickCount() + static_cast<DWORD>(std::atoi(argv[2]));
    MSG message;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
      }
    }
    return 0;
  }
  IAccessible* object = ObjectOf(argv[2]);
  const VARIANT self = Self();
  if (mode == "act") {
    const HRESULT result = object->accDoDefaultAction(self);
    std::printf("act=%08lx\n", static_cast<unsigned long>(result));
    return FAILED(result) ? 1 : 0;
  }
  VARIANT role;
  VariantInit(&role);
  object->get_accRole(self, &role);
  BSTR name = nullptr;
  BSTR value = nullptr;
  BSTR action = nullptr;
  object->get_accName(self, &name);
  object->get_accValue(self, &value);
  object->get_accDefaultAction(self, &action);
  std::printf("role=%ld\nname=%s\nvalue=%s\naction=%s\n", role.vt == VT_I4 ? role.lVal : -1L,
              Utf8(name).c_str(), Utf8(value).c_str(), Utf8(action).c_str());
  object->Release();
  return 0;
}
