#include "windows/calendar_window.h"

#include <commctrl.h>

#include <algorithm>

#include "calendar/place.h"
#include "settings/clock_settings.h"
#include "windows/local_clock.h"
#include "windows/metrics.h"
#include "windows/window_class.h"

namespace clep::win {

namespace {

constexpr char kClass[] = "ClepsydriumCalendar";
constexpr int kTitle = 1;
constexpr int kBack = 2;
constexpr int kForward = 3;
constexpr int kLegend = 4;
constexpr int kFirstHead = 10;
constexpr int kFirstDay = CalendarWindow::kFirstDayId;  // six weeks of seven cells
constexpr int kCells = 42;
constexpr int kMargin = 4;
constexpr UINT_PTR kDayTimer = 1;

// A day's Latin date and feasts.
std::string DayTip(const MonthDay& day) {
  return day.feast.empty() ? day.latin : day.latin + ", " + day.feast;
}

int DayOf(const LocalTime& time) {
  return (time.year * 100 + time.month) * 100 + time.day;
}

// A control the calendar can show without, if Windows will not make it.
void Control(const RunState& run, HWND parent, int id, const char* kind, DWORD style,
             const char* text = "") {
  if (CreateWindowExA(0, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                      nullptr) == nullptr) {
    run.Log().Failed(std::string("CreateWindowEx of a calendar control, ").append(kind));
  }
}

}  // namespace

CalendarWindow::CalendarWindow(const ClockSettings& settings, RunState& run)
    : settings_(settings), run_(run) {
  RegisterWindowClass(kClass, WindowProcOf<CalendarWindow>, 0, nullptr);
}

void CalendarWindow::Toggle(HWND ticker, COLORREF text, COLORREF back, const std::string& face) {
  if (IsOpen()) {
    Close();
    return;
  }
  ticker_ = ticker;
  text_ = text;
  back_ = back;
  // At the DPI of the ticker's bar, on whose monitor it opens.
  const Scale scale = ScaleOf(ticker);
  MakeFonts(face, scale);
  if (!MakeControls()) {
    return;
  }
  PlaceBesideTicker(LayOut(scale), scale.Px(kMargin));
  AddDayTips();
  Move(0);
  FollowDay();
  ShowWindow(window_.Get(), SW_SHOW);
  SetForegroundWindow(window_.Get());
  SetFocus(window_.Get());
}

void CalendarWindow::MakeFonts(const std::string& face, const Scale& scale) {
  LOGFONTA logFont{};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof logFont, &logFont);
  logFont.lfHeight = MulDiv(logFont.lfHeight, scale.dpi, SystemDpi());
  lstrcpynA(logFont.lfFaceName, face.c_str(), LF_FACESIZE);
  font_.Reset(CreateFontIndirectA(&logFont));
  // Underlined too: a bitmap face's bold is barely bolder.
  logFont.lfWeight = FW_BOLD;
  logFont.lfUnderline = TRUE;
  bold_.Reset(CreateFontIndirectA(&logFont));
}

bool CalendarWindow::MakeControls() {
  window_.Reset(CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClass, "",
                                WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, 0, 0, 0, 0, nullptr,
                                nullptr, GetModuleHandleA(nullptr), this));
  if (!window_) {
    run_.Log().Failed("CreateWindowEx of the calendar");
    return false;
  }
  Control(run_, window_.Get(), kTitle, "STATIC", SS_CENTER | SS_CENTERIMAGE);
  Control(run_, window_.Get(), kBack, "BUTTON", BS_PUSHBUTTON, "<");
  Control(run_, window_.Get(), kForward, "BUTTON", BS_PUSHBUTTON, ">");
  for (int i = 0; i < 7; ++i) {
    Control(run_, window_.Get(), kFirstHead + i, "STATIC", SS_CENTER);
  }
  for (int i = 0; i < kCells; ++i) {
    Control(run_, window_.Get(), kFirstDay + i, "STATIC", SS_OWNERDRAW | SS_NOTIFY);
  }
  Control(run_, window_.Get(), kLegend, "STATIC", SS_LEFT | SS_NOPREFIX);
  return true;
}

Size CalendarWindow::LayOut(const Scale& scale) {
  // Cells as wide as the widest day numeral of either style, and a little more.
  SIZE widest{};
  TEXTMETRICA metrics{};
  const WindowDc screenDc;
  const HDC screen = screenDc.Get();
  {
    const Selected fontIn(screen, bold_.Get());
    GetTextExtentPoint32A(screen, "XXVIIII", 7, &widest);
    GetTextMetricsA(screen, &metrics);
  }
  // A feast's dot is a square under the numeral, in the text's colour: it
  // reads in a bitmap face and in high contrast, where a colour would not.
  dot_ = std::max(scale.Px(3), static_cast<int>(metrics.tmHeight) / 5);
  lineHeight_ = metrics.tmHeight;
  const int margin = scale.Px(kMargin);
  const int width = widest.cx + scale.Px(8);
  const int height = metrics.tmHeight + dot_ + scale.Px(6);
  // Room under the grid for the longest line of feasts, in any style.
  RECT legend{0, 0, 7 * width, 0};
  {
    const Selected fontIn(screen, font_.Get());
    for (int month = 1; month <= 12; ++month) {
      for (int style = 0; style < 4; ++style) {
        const std::string line = FeriaeOf(month, {style < 2, false, style % 2 == 1});
        RECT need{0, 0, legend.right, 0};
        DrawTextA(screen, line.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        legend.bottom = std::max(legend.bottom, need.bottom);
      }
    }
  }
  const auto place = [&](int id, int column, int row, int columns) {
    SetWindowPos(GetDlgItem(window_.Get(), id), nullptr, margin + column * width,
                 margin + row * height, columns * width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SendDlgItemMessageA(window_.Get(), id, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), 0);
  };
  place(kBack, 0, 0, 1);
  place(kTitle, 1, 0, 5);
  place(kForward, 6, 0, 1);
  for (int i = 0; i < 7; ++i) {
    place(kFirstHead + i, i, 1, 1);
  }
  for (int i = 0; i < kCells; ++i) {
    place(kFirstDay + i, i % 7, 2 + i / 7, 1);
  }
  SetWindowPos(GetDlgItem(window_.Get(), kLegend), nullptr, margin, margin * 2 + 8 * height,
               legend.right, legend.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
  SendDlgItemMessageA(window_.Get(), kLegend, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), 0);
  RECT frame{0, 0, 7 * width + 2 * margin, 8 * height + legend.bottom + 3 * margin};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

void CalendarWindow::PlaceBesideTicker(Size size, int gap) {
  // On the ticker's monitor, beside its bar.
  RECT tickerRect{};
  RECT barRect{};
  GetWindowRect(ticker_, &tickerRect);
  GetWindowRect(GetAncestor(ticker_, GA_ROOT), &barRect);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoA(MonitorFromRect(&barRect, MONITOR_DEFAULTTONEAREST), &monitor);
  const auto rect = [](const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; };
  const Rect at =
      CalendarPlace(rect(tickerRect), rect(barRect), rect(monitor.rcMonitor), size, gap);
  SetWindowPos(window_.Get(), HWND_TOPMOST, at.left, at.top, size.width, size.height,
               SWP_NOACTIVATE);
}

void CalendarWindow::AddDayTips() {
  if (!commonControls_) {
    commonControls_ = LoadCommonControls();
  }
  toolTip_.Reset(MakeToolTip(window_.Get()));
  if (!toolTip_) {
    run_.Log().Failed("CreateWindowEx of the calendar's day tips");
    return;
  }
  for (int i = 0; i < kCells; ++i) {
    TTTOOLINFOA tool =
        ToolOf(window_.Get(), GetDlgItem(window_.Get(), kFirstDay + i), LPSTR_TEXTCALLBACKA);
    SendMessageA(toolTip_.Get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void CalendarWindow::Move(int months) {
  const LocalTime today = LocalNow();
  if (months == 0) {
    year_ = 0;  // shown anew: today's frame may have moved
    Select({today.year, today.month, today.day});
  } else {
    Select(StepMonths({year_, month_, selected_}, months));
  }
}

void CalendarWindow::Select(const CalendarDay& day) {
  const HWND window = window_.Get();
  const HWND old = GetDlgItem(window, kFirstDay + CellOf(selected_));
  selected_ = day.day;
  if (day.year != year_ || day.month != month_) {
    year_ = day.year;
    month_ = day.month;
    ShowMonth(year_, month_);
  } else {
    InvalidateRect(old, nullptr, FALSE);
  }
  InvalidateRect(SelectedCell(), nullptr, FALSE);
  NotifyWinEvent(EVENT_OBJECT_FOCUS, SelectedCell(), OBJID_CLIENT, CHILDID_SELF);
}

int CalendarWindow::CellOf(int day) const {
  int cell = 0;
  while (cell < kCells - 1 && DayAt(cell).day != day) {
    ++cell;
  }
  return cell;
}

void CalendarWindow::Restyle() {
  if (IsOpen()) {
    ShowMonth(year_, month_);
  }
}

void CalendarWindow::SetColours(COLORREF text, COLORREF back) {
  if (IsOpen() && (text != text_ || back != back_)) {
    text_ = text;
    back_ = back;
    RedrawWindow(window_.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
}

void CalendarWindow::FollowDay() {
  SetTimer(window_.Get(), kDayTimer, static_cast<UINT>(MillisecondsToNextChange(false) + 50),
           nullptr);
}

bool CalendarWindow::StaysOpen(HWND next) const {
  // The ticker's own menu, and the click on the ticker that opens it, leave
  // it open, so that the item chosen again can close it.
  DWORD process = 0;
  GetWindowThreadProcessId(next, &process);
  POINT pointer{};
  RECT ticker{};
  GetCursorPos(&pointer);
  GetWindowRect(ticker_, &ticker);
  return (next != nullptr && process == GetCurrentProcessId()) || PtInRect(&ticker, pointer);
}

void CalendarWindow::ShowMonth(int year, int month) {
  shown_ = BuildLatinMonth(year, month, FirstWeekday(), TipStyleOf(settings_));
  const LocalTime today = LocalNow();
  today_ = DayOf(today);
  const HWND window = window_.Get();
  SetWindowTextA(window, shown_.title.c_str());
  SetDlgItemTextA(window, kTitle, shown_.title.c_str());
  for (int i = 0; i < 7; ++i) {
    SetDlgItemTextA(window, kFirstHead + i, shown_.heads[static_cast<std::size_t>(i)].c_str());
  }
  SetDlgItemTextA(window, kLegend, shown_.feriae.c_str());
  for (int i = 0; i < kCells; ++i) {
    const HWND cell = GetDlgItem(window, kFirstDay + i);
    const MonthDay& day = DayAt(i);
    // Its name, as a screen reader says it: the day, then its Latin date.
    SetWindowTextA(cell, day.day == 0
                             ? ""
                             : (LongDateText({year, month, day.day}) + "; " + DayTip(day)).c_str());
    // Today in a frame.
    const bool isToday = day.day == today.day && month == today.month && year == today.year;
    const LONG style = GetWindowLongA(cell, GWL_STYLE);
    SetWindowLongA(cell, GWL_STYLE, isToday ? style | WS_BORDER : style & ~WS_BORDER);
    SetWindowPos(cell, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

const MonthDay& CalendarWindow::DayAt(int cell) const {
  const std::size_t week = static_cast<std::size_t>(cell / 7);
  return cell >= 0 && week < shown_.weeks.size() ? shown_.weeks[week][cell % 7] : noDay_;
}

void CalendarWindow::DrawDay(const DRAWITEMSTRUCT& item) const {
  const MonthDay& day = DayAt(static_cast<int>(item.CtlID) - kFirstDay);
  const HDC dc = item.hDC;
  SetDCBrushColor(dc, back_);
  const HBRUSH brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
  FillRect(dc, &item.rcItem, brush);
  // The numeral at the top, its dot close under it, and more room below the
  // dot than above, so that it reads as this day's and not the next row's.
  RECT text = item.rcItem;
  text.top += 1;
  text.bottom = text.top + lineHeight_;
  const Selected fontIn(dc, day.fixed != FixedDay::kNone ? bold_.Get() : font_.Get());
  SetTextColor(dc, text_);
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, day.numeral.c_str(), -1, &text, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  if (day.day == selected_ && day.day != 0) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -2, -2);
    DrawFocusRect(dc, &focus);
  }
  if (!day.feast.empty()) {
    const int left = (item.rcItem.left + item.rcItem.right - dot_) / 2;
    const RECT dot{left, text.bottom + 1, left + dot_, text.bottom + 1 + dot_};
    SetDCBrushColor(dc, text_);
    FillRect(dc, &dot, brush);
  }
}

void CalendarWindow::OnKey(WPARAM key) {
  switch (key) {
    case VK_ESCAPE:
      Close();
      break;
    case VK_PRIOR:
      Move(-1);
      break;
    case VK_NEXT:
      Move(1);
      break;
    case VK_HOME:
      Move(0);
      break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
      const int step = key == VK_LEFT ? -1 : key == VK_RIGHT ? 1 : key == VK_UP ? -7 : 7;
      Select(StepDays({year_, month_, selected_}, step));
      break;
    }
    default:
      break;
  }
}

void CalendarWindow::OnDayTimer() {
  if (DayOf(LocalNow()) != today_) {
    // Today's month follows into the next; another stays, its frame set anew.
    if (today_ / 100 == year_ * 100 + month_) {
      Move(0);
    } else {
      ShowMonth(year_, month_);
    }
  }
  FollowDay();
}

void CalendarWindow::OnTipText(NMHDR& notice) {
  if (notice.code == TTN_GETDISPINFOA) {
    auto& info = reinterpret_cast<NMTTDISPINFOA&>(notice);
    const MonthDay& day = DayAt(GetDlgCtrlID(reinterpret_cast<HWND>(info.hdr.idFrom)) - kFirstDay);
    tip_ = DayTip(day);
    if (settings_.romanHours && day.day != 0) {
      const SunDay sun = SunOn(year_, month_, day.day, UserPlace(settings_));
      tip_ += "; " + SunLine(sun, LocalAt(sun.rise), LocalAt(sun.set));
    }
    info.lpszText = tip_.data();
  }
}

LRESULT CalendarWindow::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      OnKey(wParam);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kBack || LOWORD(wParam) == kForward) {
        Move(LOWORD(wParam) == kBack ? -1 : 1);
        SetFocus(window);  // the keys again, not the button
      }
      return 0;
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
      // A click elsewhere closes it, also after a menu of ours took the
      // foreground from it.
      if (message == WM_ACTIVATE
              ? LOWORD(wParam) == WA_INACTIVE && !StaysOpen(reinterpret_cast<HWND>(lParam))
              : wParam == FALSE && !StaysOpen(nullptr)) {
        PostMessageA(window, WM_CLOSE, 0, 0);
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CLOSE:
      Close();
      return 0;
    case WM_SETFOCUS:  // the day with the focus is what a screen reader hears first
      NotifyWinEvent(EVENT_OBJECT_FOCUS, SelectedCell(), OBJID_CLIENT, CHILDID_SELF);
      return 0;
    case WM_TIMER:
      OnDayTimer();
      return 0;
    case WM_NOTIFY:
      OnTipText(*reinterpret_cast<NMHDR*>(lParam));
      return 0;
    case WM_DRAWITEM:
      DrawDay(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_ERASEBKGND: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, text_);
      SetBkColor(dc, back_);
      SetDCBrushColor(dc, back_);
      const HBRUSH brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
      if (message == WM_ERASEBKGND) {
        RECT client{};
        GetClientRect(window, &client);
        FillRect(dc, &client, brush);
        return 1;
      }
      return reinterpret_cast<LRESULT>(brush);
    }
    case WM_NCDESTROY:
      window_.Release();
      toolTip_.Release();  // owned by the calendar: gone with it
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace clep::win
