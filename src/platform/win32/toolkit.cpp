// The form over Win32: a hidden popup window that Main re-parents into the
// notification area, the drawing surface as its child, two timers, the popup
// menu and the message loop of the modal show. The form's window dies with
// the shell it lives in; the form keeps its state and builds it anew.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>

#include <cmath>
#include <exception>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "platform/form_events.h"
#include "platform/toolkit.h"
#include "platform/win32/toolkit_win32.h"

namespace {

using toolkit_win32::ToHwnd;

constexpr char kFormClass[] = "ClepsydriumForm";
constexpr char kSurfaceClass[] = "ClepsydriumSurface";
constexpr char kSessionClass[] = "ClepsydriumSession";
constexpr UINT_PTR kTickerTimerId = 1;
constexpr UINT_PTR kCheckTimerId = 2;
// Posted to the session window: deliver a "TaskbarCreated" that came in.
constexpr UINT kDeliverTaskbarCreated = WM_APP + 1;
constexpr DWORD kFormStyle = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_TOOLWINDOW;

HINSTANCE instance = nullptr;
HWND form = nullptr;
HWND surface = nullptr;
HWND session = nullptr;  // top-level, so it hears of the session's end
HWND toolTip = nullptr;
HMENU menu = nullptr;
UINT tickerInterval = 0;
UINT checkInterval = 0;
UINT taskbarCreated = 0;  // the registered message

// What outlives the form's window, to build it anew.
DWORD formStyle = kFormStyle;
DWORD formExStyle = kFormExStyle;
bool tickerTimerOn = false;
bool checkTimerOn = false;
bool formShown = false;  // from the modal show until HideForm
bool taskbarCreatedPending = false;

// Events reach the form's handlers only from Form_Load on, and not after an
// error: the error is on its way out of ShowFormModal.
bool eventsOn = false;
bool modalRunning = false;
bool sessionEnded = false;
std::exception_ptr pendingError;

// What the surface shows: it repaints this itself, so a repaint of the
// taskbar never blanks the clock.
struct SurfaceState {
  std::vector<std::string> lines;  // printed since the last clear
  platform::Colour foreColour = static_cast<platform::Colour>(0x80000012);  // button text
  platform::Colour backColour = static_cast<platform::Colour>(0x8000000F);  // button face
  std::string fontName;
  float fontSize = 0;
  bool fontBold = false;
  bool fontItalic = false;
  HFONT font = nullptr;  // made again only after a change of the above
  bool fontStale = true;
  std::string toolTipText;
};
SurfaceState state;

// Wakes the modal loop to see that it must end.
void WakeLoop() {
  if (session != nullptr) {
    PostMessageA(session, WM_NULL, 0, 0);
  }
}

// Events that keep the program's books (the window lost, the session's end)
// reach the form even after an error: the error's report comes later, or,
// at the session's end, maybe never.
template <typename Handler>
void Raise(Handler handler, bool evenAfterError = false) {
  if (!eventsOn || (pendingError && !evenAfterError)) {
    return;
  }
  try {
    handler();
  } catch (...) {
    if (!pendingError) {
      pendingError = std::current_exception();
    }
    modalRunning = false;
    WakeLoop();
  }
}

std::int16_t Buttons(WPARAM keys) {
  std::int16_t buttons = 0;
  if ((keys & MK_LBUTTON) != 0) {
    buttons |= platform::kLeftButton;
  }
  if ((keys & MK_RBUTTON) != 0) {
    buttons |= platform::kRightButton;
  }
  if ((keys & MK_MBUTTON) != 0) {
    buttons |= platform::kMiddleButton;
  }
  return buttons;
}

std::int16_t Shift(WPARAM keys) {
  std::int16_t shift = 0;
  if ((keys & MK_SHIFT) != 0) {
    shift |= 1;
  }
  if ((keys & MK_CONTROL) != 0) {
    shift |= 2;
  }
  if (GetKeyState(VK_MENU) < 0) {
    shift |= 4;
  }
  return shift;
}

// Signed: left of or above the window is negative. (windowsx.h has these,
// but its SetWindowRedraw macro would clash with ours.)
float PointerX(LPARAM position) {
  return static_cast<float>(static_cast<short>(LOWORD(position)));
}
float PointerY(LPARAM position) {
  return static_cast<float>(static_cast<short>(HIWORD(position)));
}

HFONT SurfaceFont() {
  if (state.fontStale || state.font == nullptr) {
    LOGFONTA logFont{};
    logFont.lfHeight = toolkit_win32::FontHeight(state.fontSize);
    logFont.lfWeight = state.fontBold ? FW_BOLD : FW_NORMAL;
    logFont.lfItalic = state.fontItalic ? 1 : 0;
    logFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(logFont.lfFaceName, state.fontName.c_str(), LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&logFont);
    if (font != nullptr) {
      if (state.font != nullptr) {
        DeleteObject(state.font);
      }
      state.font = font;
    }
    state.fontStale = false;
  }
  return state.font;
}

// Double-buffered: the background and the text reach the screen in one blit.
void PaintSurface(HWND window) {
  PAINTSTRUCT paint;
  HDC screen = BeginPaint(window, &paint);
  RECT client;
  GetClientRect(window, &client);
  if (client.right > 0 && client.bottom > 0) {
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    SetDCBrushColor(memory, toolkit_win32::ToColorRef(state.backColour));
    FillRect(memory, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    HGDIOBJ oldFont = SelectObject(memory, SurfaceFont());
    SetTextColor(memory, toolkit_win32::ToColorRef(state.foreColour));
    SetBkMode(memory, TRANSPARENT);
    TEXTMETRICA metrics{};
    GetTextMetricsA(memory, &metrics);
    int y = 0;
    for (const std::string& line : state.lines) {
      TextOutA(memory, 0, y, line.c_str(), static_cast<int>(line.size()));
      y += metrics.tmHeight;
    }
    BitBlt(screen, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, oldFont);
    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
  }
  EndPaint(window, &paint);
}

void InvalidateSurface() {
  if (surface != nullptr) {
    InvalidateRect(surface, nullptr, FALSE);
  }
}

TTTOOLINFOA SurfaceTool() {
  TTTOOLINFOA tool{};
  tool.cbSize = TTTOOLINFOA_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = form;
  tool.uId = reinterpret_cast<UINT_PTR>(surface);
  return tool;
}

void AddSurfaceTool() {
  TTTOOLINFOA tool = SurfaceTool();
  tool.lpszText = const_cast<char*>(state.toolTipText.c_str());
  SendMessageA(toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

// The form's window and its surface, hidden and top-level, with the state
// the form holds: what Main embeds at start and what a lost window becomes.
void CreateFormWindow() {
  form = CreateWindowExA(formExStyle, kFormClass, "Clepsydrium ticker",
                         formStyle & ~static_cast<DWORD>(WS_VISIBLE | WS_DISABLED), 0, 0, 60, 14,
                         nullptr, nullptr, instance, nullptr);
  surface = CreateWindowExA(0, kSurfaceClass, "", WS_CHILD | WS_VISIBLE, 0, 0, 60, 14, form,
                            nullptr, instance, nullptr);
  if (!state.lines.empty()) {
    SetWindowTextA(surface, state.lines.back().c_str());
  }
  if (toolTip != nullptr && !state.toolTipText.empty()) {
    AddSurfaceTool();
  }
  if (tickerTimerOn) {
    SetTimer(form, kTickerTimerId, tickerInterval, nullptr);
  }
  if (checkTimerOn) {
    SetTimer(form, kCheckTimerId, checkInterval, nullptr);
  }
}

// The window was destroyed from outside, with the shell's windows (Wine sends
// it only WM_NCDESTROY). Its timers went with it.
void LoseFormWindow() {
  if (form == nullptr) {
    return;
  }
  if (toolTip != nullptr && !state.toolTipText.empty()) {
    TTTOOLINFOA tool = SurfaceTool();
    SendMessageA(toolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  form = nullptr;
  surface = nullptr;
  Raise([] { frmClepsydrium::Form_WindowLost(); }, true);
}

// For a window that died without a word.
void CheckFormWindow() {
  if (form != nullptr && IsWindow(form) == 0) {
    LoseFormWindow();
  }
}

void EndSession() {
  if (sessionEnded) {
    return;
  }
  sessionEnded = true;
  CheckFormWindow();
  Raise([] { frmClepsydrium::Form_EndSession(); }, true);
  modalRunning = false;
  WakeLoop();
}

// Runs from the loop, never inside a call into the shell, so the taskbar
// code it starts cannot run inside itself.
void DeliverTaskbarCreated() {
  if (!taskbarCreatedPending || !modalRunning) {
    return;
  }
  taskbarCreatedPending = false;
  CheckFormWindow();
  Raise([] { frmClepsydrium::Form_TaskbarCreated(); });
  if (form != nullptr && formShown && (GetWindowLongA(form, GWL_STYLE) & WS_VISIBLE) == 0) {
    ShowWindow(form, SW_SHOWNA);
  }
}

LRESULT CALLBACK SurfaceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint fills it, without a flash in between
    case WM_PAINT:
      PaintSurface(window);
      return 0;
    case WM_MOUSEMOVE:
      Raise([&] {
        frmClepsydrium::picTicker_MouseMove(Buttons(wParam), Shift(wParam), PointerX(lParam),
                                            PointerY(lParam));
      });
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const std::int16_t button = message == WM_LBUTTONUP   ? platform::kLeftButton
                                  : message == WM_RBUTTONUP ? platform::kRightButton
                                                            : platform::kMiddleButton;
      Raise([&] {
        frmClepsydrium::picTicker_MouseUp(button, Shift(wParam), PointerX(lParam),
                                          PointerY(lParam));
      });
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      Raise([] { frmClepsydrium::picTicker_DblClick(); });
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// WM_CLOSE and the session's end, to the form or to the session window:
// either ends the run the way Exit does.
void EndTheRun(UINT message, WPARAM wParam) {
  if (message == WM_CLOSE) {
    platform::HideForm();
  } else if (wParam != 0) {
    EndSession();
  }
}

LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kTickerTimerId) {
        Raise([] { frmClepsydrium::tmrTicker_Timer(); });
      } else if (wParam == kCheckTimerId) {
        Raise([] { frmClepsydrium::tmrCheck_Timer(); });
      }
      return 0;
    case WM_SIZE:
      Raise([] { frmClepsydrium::Form_Resize(); });
      return 0;
    case WM_MOUSEMOVE:
      // Also the blank icons' notifications: their callback message is this.
      Raise([&] {
        frmClepsydrium::Form_MouseMove(Buttons(wParam), Shift(wParam), PointerX(lParam),
                                       PointerY(lParam));
      });
      return 0;
    case WM_CLOSE:
    case WM_ENDSESSION:
      EndTheRun(message, wParam);
      return 0;
    case WM_NCDESTROY:
      // UnloadForm lets go of the window before it destroys it.
      if (window == form) {
        LoseFormWindow();
      }
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// Once embedded, the form is a child window and hears neither of the
// session's end nor of broadcasts; this hidden top-level window does. Its
// WM_CLOSE (taskkill sends it to top-level windows) ends the run as the
// form's does.
LRESULT CALLBACK SessionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == taskbarCreated && taskbarCreated != 0) {
    // Often sent while the program waits in a call into the shell: deliver
    // it from the loop.
    if (eventsOn && !taskbarCreatedPending) {
      taskbarCreatedPending = true;
      PostMessageA(window, kDeliverTaskbarCreated, 0, 0);
    }
    return 0;
  }
  switch (message) {
    case kDeliverTaskbarCreated:
      DeliverTaskbarCreated();
      return 0;
    case WM_CLOSE:
    case WM_ENDSESSION:
      EndTheRun(message, wParam);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RegisterClasses() {
  static bool registered = false;
  if (registered) {
    return;
  }
  WNDCLASSA formClass{};
  formClass.lpfnWndProc = FormProc;
  formClass.hInstance = instance;
  formClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  formClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  formClass.lpszClassName = kFormClass;
  RegisterClassA(&formClass);

  WNDCLASSA surfaceClass{};
  surfaceClass.style = CS_DBLCLKS;
  surfaceClass.lpfnWndProc = SurfaceProc;
  surfaceClass.hInstance = instance;
  surfaceClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  surfaceClass.lpszClassName = kSurfaceClass;
  RegisterClassA(&surfaceClass);

  WNDCLASSA sessionClass{};
  sessionClass.lpfnWndProc = SessionProc;
  sessionClass.hInstance = instance;
  sessionClass.lpszClassName = kSessionClass;
  RegisterClassA(&sessionClass);
  registered = true;
}

}  // namespace

namespace platform {

WindowHandle LoadForm(const FormDesign& design) {
  instance = GetModuleHandleA(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterClasses();

  taskbarCreated = RegisterWindowMessageA("TaskbarCreated");

  state = SurfaceState{};
  state.fontName = design.surfaceFontName;
  state.fontSize = design.surfaceFontSize;
  pendingError = nullptr;
  sessionEnded = false;
  formShown = false;
  taskbarCreatedPending = false;
  formStyle = kFormStyle;
  formExStyle = kFormExStyle;
  tickerInterval = design.tickerInterval;
  checkInterval = design.checkInterval;
  tickerTimerOn = true;
  checkTimerOn = true;

  session = CreateWindowExA(0, kSessionClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                            nullptr);
  toolTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                            WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, session, nullptr, instance, nullptr);
  CreateFormWindow();

  menu = CreatePopupMenu();
  for (std::size_t item = 0; item < design.menuCount; ++item) {
    const char* caption = design.menu[item].caption;
    if (std::string(caption) == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuA(menu, MF_STRING, item + 1, caption);
    }
  }

  eventsOn = true;
  frmClepsydrium::Form_Load();
  return FormWindow();
}

void ShowFormModal() {
  if (!pendingError) {
    formShown = true;
    if (form != nullptr) {
      ShowWindow(form, SW_SHOWNA);
    }
    modalRunning = true;
    MSG message;
    while (modalRunning && !pendingError) {
      const BOOL got = GetMessageA(&message, nullptr, 0, 0);
      if (got == 0) {
        PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
        break;
      }
      if (got == -1) {
        break;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    modalRunning = false;
  }
  CheckFormWindow();
  if (pendingError) {
    std::exception_ptr error = pendingError;
    pendingError = nullptr;
    eventsOn = false;
    std::rethrow_exception(error);
  }
}

void HideForm() {
  formShown = false;
  if (form != nullptr) {
    ShowWindow(form, SW_HIDE);
  }
  modalRunning = false;
  WakeLoop();
}

void UnloadForm() {
  eventsOn = false;
  if (form != nullptr) {
    KillTimer(form, kTickerTimerId);
    KillTimer(form, kCheckTimerId);
  }
  for (HWND* window : {&toolTip, &surface, &form, &session}) {
    const HWND dying = std::exchange(*window, nullptr);
    if (dying != nullptr) {
      DestroyWindow(dying);
    }
  }
  if (menu != nullptr) {
    DestroyMenu(menu);
    menu = nullptr;
  }
  if (state.font != nullptr) {
    DeleteObject(state.font);
  }
  state = SurfaceState{};
}

WindowHandle FormWindow() {
  return reinterpret_cast<WindowHandle>(form);
}

WindowHandle RebuildFormWindow() {
  if (form == nullptr && session != nullptr) {
    CreateFormWindow();
  }
  return FormWindow();
}

Rect FormClientRect() {
  RECT client{};
  GetClientRect(form, &client);
  return {static_cast<std::int32_t>(client.left), static_cast<std::int32_t>(client.top),
          static_cast<std::int32_t>(client.right), static_cast<std::int32_t>(client.bottom)};
}

std::int32_t GetWindowLongValue(WindowHandle window, std::int32_t index) {
  return static_cast<std::int32_t>(GetWindowLongA(ToHwnd(window), index));
}

void SetWindowLongValue(WindowHandle window, std::int32_t index, std::int32_t value) {
  const HWND target = ToHwnd(window);
  if (target != nullptr && target == form) {
    if (index == GWL_STYLE) {
      formStyle = static_cast<DWORD>(value);
    } else if (index == GWL_EXSTYLE) {
      formExStyle = static_cast<DWORD>(value);
    }
  }
  SetWindowLongA(target, index, value);
}

void RefreshFrame(WindowHandle window) {
  SetWindowPos(ToHwnd(window), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void MoveSurface(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  if (surface != nullptr) {
    MoveWindow(surface, left, top, width, height, TRUE);
  }
}

void SurfaceClear() {
  state.lines.clear();
  InvalidateSurface();
}

void SurfacePrint(const std::string& text) {
  state.lines.push_back(text);
  if (surface != nullptr) {
    SetWindowTextA(surface, text.c_str());
    RedrawWindow(surface, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
}

void SetSurfaceForeColour(Colour colour) {
  state.foreColour = colour;
  InvalidateSurface();
}

namespace {
// The font is made anew at the next paint, and only after a real change.
template <typename Part>
void SetFontPart(Part& part, const Part& value) {
  if (part != value) {
    part = value;
    state.fontStale = true;
    InvalidateSurface();
  }
}
}  // namespace

void SetSurfaceBackColour(Colour colour) {
  state.backColour = colour;
  RefreshSurface();
}

void SetSurfaceFontName(const std::string& name) {
  if (!name.empty()) {
    SetFontPart(state.fontName, name);
  }
}

void SetSurfaceFontSize(float points) {
  SetFontPart(state.fontSize, points);
}

void SetSurfaceFontBold(bool bold) {
  SetFontPart(state.fontBold, bold);
}

void SetSurfaceFontItalic(bool italic) {
  SetFontPart(state.fontItalic, italic);
}

void SetSurfaceToolTip(const std::string& text) {
  if (toolTip == nullptr || text == state.toolTipText) {
    return;  // the same text again would make the tip flicker
  }
  const bool hadTool = !state.toolTipText.empty();
  state.toolTipText = text;
  if (form == nullptr) {
    return;  // the rebuilt window gets the tool
  }
  TTTOOLINFOA tool = SurfaceTool();
  if (text.empty()) {
    SendMessageA(toolTip, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  } else if (hadTool) {
    tool.lpszText = const_cast<char*>(text.c_str());
    SendMessageA(toolTip, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  } else {
    AddSurfaceTool();
  }
}

void SetSurfaceDefaultPointer() {
  POINT pointer;
  if (surface != nullptr && GetCursorPos(&pointer) && WindowFromPoint(pointer) == surface) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  }
}

void RefreshSurface() {
  if (surface != nullptr) {
    RedrawWindow(surface, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
}

void EnableTimer(Timer timer, bool enabled) {
  const UINT_PTR id = timer == Timer::kTicker ? kTickerTimerId : kCheckTimerId;
  (timer == Timer::kTicker ? tickerTimerOn : checkTimerOn) = enabled;
  if (form == nullptr) {
    return;  // the rebuilt window starts it
  }
  if (enabled) {
    // Setting it again restarts the countdown from the full interval.
    SetTimer(form, id, timer == Timer::kTicker ? tickerInterval : checkInterval, nullptr);
  } else {
    KillTimer(form, id);
  }
}

void SetMenuChecked(std::size_t item, bool checked) {
  CheckMenuItem(menu, static_cast<UINT>(item),
                MF_BYPOSITION | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void SetMenuCaption(std::size_t item, const std::string& caption) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING;  // keeps the check mark
  info.dwTypeData = const_cast<char*>(caption.c_str());
  SetMenuItemInfoA(menu, static_cast<UINT>(item), TRUE, &info);
}

void PopupMenu(std::size_t defaultItem) {
  SetMenuDefaultItem(menu, static_cast<UINT>(defaultItem), TRUE);
  POINT pointer{};
  GetCursorPos(&pointer);
  // Without it the menu may not close on Escape or a click elsewhere.
  SetForegroundWindow(form);
  const BOOL chosen =
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                     pointer.x, pointer.y, 0, form, nullptr);
  PostMessageA(form, WM_NULL, 0, 0);
  if (chosen > 0) {
    frmClepsydrium::mnuCtx_Click(static_cast<std::size_t>(chosen - 1));
  }
}

}  // namespace platform

namespace toolkit_win32 {

COLORREF ToColorRef(platform::Colour colour) {
  const auto value = static_cast<std::uint32_t>(colour);
  if ((value & 0x80000000u) != 0) {
    return GetSysColor(static_cast<int>(value & 0xFFu));
  }
  return value & 0x00FFFFFFu;
}

LONG FontHeight(float points) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return -std::lround(static_cast<double>(points) * dpi / 72.0);
}

FormInputOff::FormInputOff()
    : form_(form), wasEnabled_(form != nullptr && IsWindowEnabled(form) != 0) {
  if (wasEnabled_) {
    EnableWindow(form_, FALSE);
  }
}

FormInputOff::~FormInputOff() {
  // Not a window that died with the shell meanwhile.
  if (wasEnabled_ && form_ == form) {
    EnableWindow(form_, TRUE);
  }
}

}  // namespace toolkit_win32
