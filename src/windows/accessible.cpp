#include "windows/accessible.h"

#include <oleacc.h>

#include <new>

namespace clep::win {

namespace {

// Defined here: the import library's IID_IAccessible is oleacc.dll's data,
// which would put the DLL in the import table, and libuuid's IIDs come with
// 6 KB of others.
constexpr IID kIidAccessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
constexpr IID kIidUnknown = {0, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID kIidDispatch = {0x00020400, 0, 0, {0xc0, 0, 0, 0, 0, 0, 0, 0x46}};

// From the system folder alone, never the exe's, where anyone may put a DLL.
OwnedLibrary LoadSystemLibrary(const char* name) {
  char path[MAX_PATH + 16] = {};
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return OwnedLibrary();
  }
  lstrcatA(path, "\\");
  lstrcatA(path, name);
  return OwnedLibrary(LoadLibraryA(path));
}

template <typename Function>
Function Find(const OwnedLibrary& library, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library.Get(), name)));
}

using LresultFromObjectFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using AccessibleObjectFromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
using SysAllocStringFn = BSTR(WINAPI*)(const OLECHAR*);
using CoInitializeExFn = HRESULT(WINAPI*)(void*, DWORD);
using CoUninitializeFn = void(WINAPI*)();

bool IsSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

}  // namespace

// The clock, one object without children; its parent is the window's own.
class AccessibleClock::Clock final : public IAccessible {
 public:
  Clock(AccessibleOwner& owner, HWND window, AccessibleObjectFromWindowFn parentOf,
        SysAllocStringFn allocate)
      : owner_(&owner), window_(window), parentOf_(parentOf), allocate_(allocate) {}
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;

  void Forget() { owner_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == kIidUnknown || iid == kIidDispatch || iid == kIidAccessible) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&refs_);
    if (left == 0) {
      Forget();
      delete this;
    }
    return static_cast<ULONG>(left);
  }

  // No type information: clients call IAccessible directly.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return Text(child, kName, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Text(child, kValue, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return Text(child, kAction, action);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    role->vt = VT_EMPTY;
    if (!IsSelf(child)) {
      return E_INVALIDARG;
    }
    role->vt = VT_I4;
    role->lVal = ROLE_SYSTEM_CLOCK;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!IsSelf(child)) {
      return E_INVALIDARG;
    }
    if (owner_ == nullptr) {
      return E_FAIL;
    }
    owner_->OnDefaultAction();
    return S_OK;
  }
  // The face inside is this same clock, not a child of it.
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
    *child = nullptr;
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    *parent = nullptr;
    return owner_ != nullptr
               ? parentOf_(window_, OBJID_WINDOW, kIidDispatch, reinterpret_cast<void**>(parent))
               : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    state->vt = VT_EMPTY;
    if (!IsSelf(child)) {
      return E_INVALIDARG;
    }
    state->vt = VT_I4;
    state->lVal = STATE_SYSTEM_READONLY | (IsWindowVisible(window_) ? 0 : STATE_SYSTEM_INVISIBLE);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT child) override {
    RECT place{};
    if (!IsSelf(child) || !GetWindowRect(window_, &place)) {
      return E_INVALIDARG;
    }
    *left = place.left;
    *top = place.top;
    *width = place.right - place.left;
    *height = place.bottom - place.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* found) override {
    RECT place{};
    GetWindowRect(window_, &place);
    const bool inside = PtInRect(&place, POINT{x, y}) != FALSE;
    found->vt = inside ? VT_I4 : VT_EMPTY;
    found->lVal = CHILDID_SELF;
    return inside ? S_OK : S_FALSE;
  }
  // Nothing more to tell, and nothing inside to move to or select.
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR* text) override {
    *text = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR* text) override {
    *text = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) override {
    *file = nullptr;
    *topic = -1;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR* text) override {
    *text = nullptr;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    focus->vt = VT_EMPTY;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    selection->vt = VT_EMPTY;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT* end) override {
    end->vt = VT_EMPTY;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~Clock() = default;

  enum Said { kName, kValue, kAction };
  HRESULT Text(const VARIANT& child, Said said, BSTR* out) const {
    *out = nullptr;
    if (!IsSelf(child)) {
      return E_INVALIDARG;
    }
    if (owner_ == nullptr) {
      return E_FAIL;
    }
    wchar_t wide[256] = {};
    try {  // nothing may be thrown back through COM
      const std::string text = said == kName    ? owner_->SpokenName()
                               : said == kValue ? owner_->SpokenValue()
                                                : std::string("Open the menu");
      MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 255);
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    *out = allocate_(wide);
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  LONG refs_ = 1;
  AccessibleOwner* owner_;
  HWND window_;
  AccessibleObjectFromWindowFn parentOf_;
  SysAllocStringFn allocate_;
};

AccessibleClock::~AccessibleClock() {
  Forget();
  if (comStarted_) {
    const OwnedLibrary ole = LoadSystemLibrary("ole32.dll");
    if (const auto stop = Find<CoUninitializeFn>(ole, "CoUninitialize")) {
      stop();  // disconnects the clients still holding a clock
    }
  }
}

void AccessibleClock::Forget() {
  if (clock_ != nullptr) {
    clock_->Forget();
    clock_->Release();
    clock_ = nullptr;
  }
}

bool AccessibleClock::Start() {
  if (oleacc_ || failed_) {
    return !failed_;
  }
  const OwnedLibrary ole = LoadSystemLibrary("ole32.dll");
  const auto start = Find<CoInitializeExFn>(ole, "CoInitializeEx");
  // A thread already in COM (another mode) can still hand out the object.
  comStarted_ = start != nullptr && SUCCEEDED(start(nullptr, COINIT_APARTMENTTHREADED));
  oleacc_ = LoadSystemLibrary("oleacc.dll");
  oleaut_ = LoadSystemLibrary("oleaut32.dll");
  failed_ = !oleacc_ || !oleaut_;
  return !failed_;
}

LRESULT AccessibleClock::Answer(HWND window, WPARAM wParam, LPARAM lParam) {
  if (static_cast<LONG>(lParam) != OBJID_CLIENT || !Start()) {
    return 0;
  }
  const auto answer = Find<LresultFromObjectFn>(oleacc_, "LresultFromObject");
  const auto parentOf = Find<AccessibleObjectFromWindowFn>(oleacc_, "AccessibleObjectFromWindow");
  const auto allocate = Find<SysAllocStringFn>(oleaut_, "SysAllocString");
  if (answer == nullptr || parentOf == nullptr || allocate == nullptr) {
    return 0;
  }
  if (clock_ == nullptr) {
    clock_ = new (std::nothrow) Clock(owner_, window, parentOf, allocate);
    if (clock_ == nullptr) {
      return 0;
    }
  }
  const LRESULT result = answer(kIidAccessible, wParam, clock_);
  return result > 0 ? result : 0;
}

}  // namespace clep::win
