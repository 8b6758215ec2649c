// The simulated form toolkit. The form's window is a window of the simulated
// desktop, so the shell code moves and re-parents it like any other.
#include <algorithm>
#include <deque>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <utility>

#include "platform/form_events.h"
#include "platform/sim/desktop.h"
#include "platform/sim/form.h"
#include "platform/toolkit.h"

namespace {

using platform::Colour;
using platform::Timer;
using platform::WindowHandle;

// A VB form's window: WS_POPUP | WS_CLIPCHILDREN | WS_BORDER, a tool window.
constexpr std::uint32_t kFormStyle = 0x82800000;
constexpr std::uint32_t kFormExStyle = 0x00000080;
constexpr platform::Rect kFormPlace = {0, 0, 120, 30};
constexpr const char* kFormClass = "ThunderRT6FormDC";
constexpr std::uint32_t kPopupFlags = 0x2;  // TPM_LEFTALIGN | TPM_RIGHTBUTTON
constexpr std::int32_t kIdOk = 1;
constexpr std::intptr_t kShellOk = 42;

struct MenuItem {
  std::string caption;
  bool checked = false;
};

struct MenuAnswer {
  std::optional<std::size_t> item;  // none: Escape
  std::int16_t button = platform::kLeftButton;
};

struct WindowLongs {
  std::int32_t style = 0;
  std::int32_t exStyle = 0;
};

struct Toolkit {
  // The form. Loaded, it may still lose its window (form 0) with the shell
  // it lives in, and keep everything else until the window is built anew.
  bool loaded = false;
  WindowHandle form = 0;
  WindowLongs formLongs;  // while the window is lost
  bool shown = false;     // from the modal show until HideForm
  bool hideCalled = false;
  bool taskbarCreatedPending = false;
  bool modal = false;
  std::exception_ptr failure;  // a handler's exception, ending the show
  platform::Rect lastClient;   // the size Form_Resize last saw
  sim::Surface surface;
  std::map<Timer, sim::TimerState> timers;
  std::vector<MenuItem> menu;
  std::map<WindowHandle, WindowLongs> longs;
  // Scripts.
  std::deque<std::function<void()>> actions;
  std::deque<MenuAnswer> menuAnswers;
  std::deque<std::optional<Colour>> colorAnswers;
  std::deque<std::optional<sim::FontAnswer>> fontAnswers;
  std::deque<std::int32_t> boxAnswers;
  // Records.
  std::vector<sim::CallRecord> calls;
  std::vector<sim::Popup> popups;
  std::vector<sim::MessageBox> boxes;
  std::vector<platform::CommonDialog> colorDialogs;
  std::vector<platform::CommonDialog> fontDialogs;
  std::vector<sim::Command> commands;
  std::vector<sim::ShellCall> shellCalls;
  // The process.
  bool previousInstance = false;
  std::string exeFolder = std::filesystem::temp_directory_path().string();
  platform::Version version{CLEP_VERSION_MAJOR, CLEP_VERSION_MINOR, CLEP_VERSION_PATCH};
  bool startFails = false;
  std::intptr_t shellResult = kShellOk;
};

Toolkit toolkit;

void Record(sim::Call call) {
  toolkit.calls.push_back({call, sim::Log().size()});
}

bool Loaded() {
  return toolkit.loaded;
}

bool HasWindow() {
  return toolkit.form != 0;
}

// The window procedure's rule: no exception crosses it. Inside the modal
// show it is kept and ends the show; outside, the caller gets it. Events
// that keep the program's books reach the form even after such an error.
template <typename Handler>
void Dispatch(Handler handler, bool evenAfterError = false) {
  if (!Loaded() || (toolkit.failure && !evenAfterError)) {
    return;
  }
  if (!toolkit.modal) {
    handler();
    sim::PumpMessages();
    return;
  }
  try {
    handler();
    sim::PumpMessages();
  } catch (...) {
    if (!toolkit.failure) {
      toolkit.failure = std::current_exception();
    }
  }
}

// Events of the form's own window: none while it is lost.
template <typename Handler>
void DispatchToWindow(Handler handler) {
  sim::PumpMessages();
  if (HasWindow()) {
    Dispatch(handler);
  }
}

// The window's last message: it went with the shell's windows.
void NoticeLostWindow() {
  if (!Loaded() || !HasWindow() || sim::WindowExists(toolkit.form)) {
    return;
  }
  toolkit.formLongs = toolkit.longs[toolkit.form];
  toolkit.longs.erase(toolkit.form);
  toolkit.form = 0;
  Dispatch(frmClepsydrium::Form_WindowLost, true);
}

void DeliverTaskbarCreated() {
  toolkit.taskbarCreatedPending = false;
  NoticeLostWindow();
  Dispatch(frmClepsydrium::Form_TaskbarCreated);
  if (HasWindow() && toolkit.shown) {
    sim::SetWindowShown(toolkit.form, true);
  }
}

// A thin border for WS_BORDER or WS_EX_STATICEDGE, as the frame is drawn.
void ApplyFrame() {
  const WindowLongs& longs = toolkit.longs[toolkit.form];
  const bool framed =
      (static_cast<std::uint32_t>(longs.style) & platform::kStyleBorder) != 0 ||
      (static_cast<std::uint32_t>(longs.exStyle) & platform::kExStyleStaticEdge) != 0;
  sim::SetWindowBorder(toolkit.form, framed ? 1 : 0);
}

template <typename T>
T Next(std::deque<T>& answers, const char* what) {
  if (answers.empty()) {
    throw std::logic_error(std::string("no answer queued for the ") + what);
  }
  T answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

void Tick(Timer timer) {
  sim::TimerState& state = toolkit.timers[timer];
  state.elapsed = 0;
  ++state.ticks;
  Dispatch(timer == Timer::kTicker ? frmClepsydrium::tmrTicker_Timer
                                   : frmClepsydrium::tmrCheck_Timer);
}

}  // namespace

namespace platform {

WindowHandle LoadForm(const FormDesign& design) {
  if (Loaded()) {
    throw std::logic_error("the form is already loaded");
  }
  toolkit.loaded = true;
  toolkit.shown = false;
  toolkit.hideCalled = false;
  toolkit.taskbarCreatedPending = false;
  toolkit.form = sim::AddWindow(kFormClass, 0, kFormPlace, false);
  toolkit.longs[toolkit.form] = {static_cast<std::int32_t>(kFormStyle),
                                 static_cast<std::int32_t>(kFormExStyle)};
  ApplyFrame();
  toolkit.lastClient = ClientRect(toolkit.form);
  toolkit.surface = {};
  toolkit.surface.fontName = design.surfaceFontName;
  toolkit.surface.fontSize = design.surfaceFontSize;
  toolkit.surface.place = toolkit.lastClient;
  toolkit.timers[Timer::kTicker] = {design.tickerInterval, true, 0, 0};
  toolkit.timers[Timer::kCheck] = {design.checkInterval, true, 0, 0};
  toolkit.menu.clear();
  for (std::size_t i = 0; i < design.menuCount; ++i) {
    toolkit.menu.push_back({design.menu[i].caption, false});
  }
  Record(sim::Call::kLoadForm);
  frmClepsydrium::Form_Load();
  return toolkit.form;
}

void ShowFormModal() {
  if (!Loaded()) {
    throw std::logic_error("no form to show");
  }
  Record(sim::Call::kShowForm);
  toolkit.shown = true;
  if (HasWindow()) {
    sim::SetWindowShown(toolkit.form, true);
  }
  toolkit.modal = true;
  toolkit.failure = nullptr;
  // Scripted actions run as messages would: their exceptions end the show.
  Dispatch([] {});
  if (toolkit.taskbarCreatedPending) {
    DeliverTaskbarCreated();
  }
  // The show lasts until HideForm, with or without a window.
  while (Loaded() && toolkit.shown && !toolkit.failure) {
    if (toolkit.actions.empty()) {
      toolkit.modal = false;
      throw std::logic_error("the form is still shown and no action is left");
    }
    std::function<void()> action = std::move(toolkit.actions.front());
    toolkit.actions.pop_front();
    Dispatch(action);
  }
  toolkit.modal = false;
  NoticeLostWindow();
  if (std::exception_ptr failure = std::exchange(toolkit.failure, nullptr)) {
    std::rethrow_exception(failure);
  }
}

void HideForm() {
  if (Loaded()) {
    Record(sim::Call::kHideForm);
    toolkit.shown = false;
    toolkit.hideCalled = true;
    if (HasWindow()) {
      sim::SetWindowShown(toolkit.form, false);
    }
  }
}

void UnloadForm() {
  if (!Loaded()) {
    return;
  }
  Record(sim::Call::kUnloadForm);
  if (HasWindow() && sim::WindowExists(toolkit.form)) {
    sim::RemoveWindow(toolkit.form);
  }
  toolkit.longs.erase(toolkit.form);
  toolkit.form = 0;
  toolkit.loaded = false;
  toolkit.shown = false;
  toolkit.taskbarCreatedPending = false;
  toolkit.timers.clear();
}

WindowHandle FormWindow() {
  return toolkit.form;
}

WindowHandle RebuildFormWindow() {
  if (!Loaded() || HasWindow()) {
    return toolkit.form;
  }
  Record(sim::Call::kRebuildForm);
  toolkit.form = sim::AddWindow(kFormClass, 0, kFormPlace, false);
  toolkit.longs[toolkit.form] = toolkit.formLongs;
  ApplyFrame();
  toolkit.lastClient = ClientRect(toolkit.form);
  for (auto& [timer, state] : toolkit.timers) {
    state.elapsed = 0;
  }
  return toolkit.form;
}

Rect FormClientRect() {
  return ClientRect(toolkit.form);
}

std::int32_t GetWindowLongValue(WindowHandle window, std::int32_t index) {
  auto found = toolkit.longs.find(window);
  if (found == toolkit.longs.end()) {
    return 0;
  }
  return index == kExStyleIndex ? found->second.exStyle
         : index == kStyleIndex ? found->second.style
                                : 0;
}

void SetWindowLongValue(WindowHandle window, std::int32_t index, std::int32_t value) {
  if (!sim::WindowExists(window)) {
    return;
  }
  WindowLongs& longs = toolkit.longs[window];
  if (index == kStyleIndex) {
    longs.style = value;
  } else if (index == kExStyleIndex) {
    longs.exStyle = value;
  }
  if (window == toolkit.form) {
    ApplyFrame();
  }
}

void RefreshFrame(WindowHandle /*window*/) {
  Record(sim::Call::kRefreshFrame);
}

void MoveSurface(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  toolkit.surface.place = {left, top, left + width, top + height};
}

void SurfaceClear() {
  toolkit.surface.text.clear();
  ++toolkit.surface.clears;
}

void SurfacePrint(const std::string& text) {
  toolkit.surface.text += text;
}

void SetSurfaceForeColour(Colour colour) {
  toolkit.surface.foreColour = colour;
}

void SetSurfaceBackColour(Colour colour) {
  toolkit.surface.backColour = colour;
}

void SetSurfaceFontName(const std::string& name) {
  if (!name.empty()) {
    toolkit.surface.fontName = name;
  }
}

void SetSurfaceFontSize(float points) {
  toolkit.surface.fontSize = points;
}

void SetSurfaceFontBold(bool bold) {
  toolkit.surface.fontBold = bold;
}

void SetSurfaceFontItalic(bool italic) {
  toolkit.surface.fontItalic = italic;
}

void SetSurfaceToolTip(const std::string& text) {
  toolkit.surface.toolTip = text;
}

void SetSurfaceDefaultPointer() {
  toolkit.surface.pointer = 0;
}

void RefreshSurface() {
  Record(sim::Call::kRefreshSurface);
}

void EnableTimer(Timer timer, bool enabled) {
  auto found = toolkit.timers.find(timer);
  if (found == toolkit.timers.end()) {
    return;
  }
  sim::TimerState& state = found->second;
  if (!enabled || !state.enabled) {
    state.elapsed = 0;  // a timer switched on counts a full interval anew
  }
  state.enabled = enabled;
}

void SetMenuChecked(std::size_t item, bool checked) {
  if (item < toolkit.menu.size()) {
    toolkit.menu[item].checked = checked;
  }
}

void SetMenuCaption(std::size_t item, const std::string& caption) {
  if (item < toolkit.menu.size()) {
    toolkit.menu[item].caption = caption;
  }
}

void PopupMenu(std::size_t defaultItem) {
  Record(sim::Call::kPopupMenu);
  toolkit.popups.push_back({defaultItem, kPopupFlags});
  const MenuAnswer answer = Next(toolkit.menuAnswers, "popup menu");
  if (!answer.item) {
    return;
  }
  const std::size_t item = *answer.item;
  if (item >= toolkit.menu.size() || toolkit.menu[item].caption == "-") {
    throw std::logic_error("that menu item cannot be chosen");
  }
  frmClepsydrium::mnuCtx_Click(item);
}

std::int32_t ShowMessageBox(const std::string& text, std::uint32_t style,
                            const std::string& title) {
  Record(sim::Call::kMessageBox);
  toolkit.boxes.push_back({text, style, title});
  if (toolkit.boxAnswers.empty()) {
    return kIdOk;
  }
  return Next(toolkit.boxAnswers, "message box");
}

void ShowColor(CommonDialog& dialog) {
  Record(sim::Call::kColorDialog);
  toolkit.colorDialogs.push_back(dialog);
  if (const std::optional<Colour> chosen = Next(toolkit.colorAnswers, "colour dialog")) {
    dialog.Color = *chosen;
  }
}

void ShowFont(CommonDialog& dialog) {
  Record(sim::Call::kFontDialog);
  toolkit.fontDialogs.push_back(dialog);
  if (const std::optional<sim::FontAnswer> chosen = Next(toolkit.fontAnswers, "font dialog")) {
    dialog.FontName = chosen->name;
    dialog.FontSize = chosen->size;
    dialog.FontBold = chosen->bold;
    dialog.FontItalic = chosen->italic;
  }
}

bool PreviousInstance() {
  return toolkit.previousInstance;
}

std::string ExeFolder() {
  return toolkit.exeFolder;
}

Version ExeVersion() {
  return toolkit.version;
}

bool StartCommand(const std::string& commandLine, std::int32_t show) {
  Record(sim::Call::kStartCommand);
  toolkit.commands.push_back({commandLine, show});
  return !toolkit.startFails;
}

std::intptr_t ShellExecuteOpen(const std::string& operation, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               std::int32_t show) {
  Record(sim::Call::kShellExecute);
  toolkit.shellCalls.push_back({operation, file, parameters, directory, show});
  return toolkit.shellResult;
}

}  // namespace platform

namespace sim {

void ResetToolkit() {
  if (HasWindow() && WindowExists(toolkit.form)) {
    RemoveWindow(toolkit.form);
  }
  toolkit = Toolkit{};
}

void SetPreviousInstance(bool running) {
  toolkit.previousInstance = running;
}

void SetExeFolder(const std::string& folder) {
  toolkit.exeFolder = folder;
}

void SetExeVersion(const platform::Version& version) {
  toolkit.version = version;
}

void FailStartCommand(bool fail) {
  toolkit.startFails = fail;
}

void SetShellExecuteResult(std::intptr_t result) {
  toolkit.shellResult = result;
}

std::vector<Command> Commands() {
  return toolkit.commands;
}

std::vector<ShellCall> ShellCalls() {
  return toolkit.shellCalls;
}

bool FireTimer(Timer timer) {
  PumpMessages();
  auto found = toolkit.timers.find(timer);
  if (!HasWindow() || found == toolkit.timers.end() || !found->second.enabled) {
    return false;
  }
  Tick(timer);
  return true;
}

void AdvanceTime(std::uint32_t milliseconds) {
  PumpMessages();
  // The timers live on the form's window: none tick while it is lost.
  for (std::uint32_t ms = 0; ms < milliseconds && HasWindow(); ++ms) {
    for (Timer timer : {Timer::kTicker, Timer::kCheck}) {
      auto found = toolkit.timers.find(timer);
      if (found != toolkit.timers.end() && found->second.enabled &&
          ++found->second.elapsed >= found->second.interval) {
        Tick(timer);
      }
    }
  }
}

void MouseUp(std::int16_t button) {
  DispatchToWindow([button] { frmClepsydrium::picTicker_MouseUp(button, 0, 0.0f, 0.0f); });
}

void DoubleClick() {
  MouseUp(platform::kLeftButton);
  DispatchToWindow(frmClepsydrium::picTicker_DblClick);
  MouseUp(platform::kLeftButton);
}

void MouseMove() {
  DispatchToWindow([] { frmClepsydrium::picTicker_MouseMove(0, 0, 0.0f, 0.0f); });
}

void FormMouseMove() {
  DispatchToWindow([] { frmClepsydrium::Form_MouseMove(0, 0, 0.0f, 0.0f); });
}

void CloseForm() {
  Dispatch(platform::HideForm);
}

void EndSession() {
  PumpMessages();
  // The process may die right after: the taskbar is restored even when a
  // handler's error is still on its way out.
  Dispatch(frmClepsydrium::Form_EndSession, true);
}

void TaskbarCreated() {
  if (!Loaded() || toolkit.hideCalled) {
    return;
  }
  if (!toolkit.modal) {
    toolkit.taskbarCreatedPending = true;
    return;
  }
  DeliverTaskbarCreated();
}

void PumpMessages() {
  NoticeLostWindow();
  if (!HasWindow()) {
    return;
  }
  const platform::Rect client = platform::ClientRect(toolkit.form);
  if (client == toolkit.lastClient) {
    return;
  }
  toolkit.lastClient = client;
  frmClepsydrium::Form_Resize();
}

void ChooseMenuItem(std::size_t item, std::int16_t button) {
  toolkit.menuAnswers.push_back({item, button});
}

void DismissMenu() {
  toolkit.menuAnswers.push_back({std::nullopt, platform::kLeftButton});
}

void AnswerColor(platform::Colour colour) {
  toolkit.colorAnswers.emplace_back(colour);
}

void CancelColor() {
  toolkit.colorAnswers.emplace_back(std::nullopt);
}

void AnswerFont(const FontAnswer& font) {
  toolkit.fontAnswers.emplace_back(font);
}

void CancelFont() {
  toolkit.fontAnswers.emplace_back(std::nullopt);
}

void AnswerMessageBox(std::int32_t button) {
  toolkit.boxAnswers.push_back(button);
}

void QueueAction(std::function<void()> action) {
  toolkit.actions.push_back(std::move(action));
}

std::size_t PendingActions() {
  return toolkit.actions.size();
}

std::vector<CallRecord> Calls() {
  return toolkit.calls;
}

std::size_t CountCalls(Call call) {
  return static_cast<std::size_t>(
      std::count_if(toolkit.calls.begin(), toolkit.calls.end(),
                    [call](const CallRecord& record) { return record.call == call; }));
}

void ClearCalls() {
  toolkit.calls.clear();
}

bool FormLoaded() {
  return Loaded();
}

bool FormShown() {
  return Loaded() && platform::IsWindowShown(toolkit.form);
}

platform::WindowHandle FormHandle() {
  return toolkit.form;
}

std::int32_t WindowLong(platform::WindowHandle window, std::int32_t index) {
  return platform::GetWindowLongValue(window, index);
}

const Surface& SurfaceState() {
  return toolkit.surface;
}

void SetSurfacePointer(std::int32_t pointer) {
  toolkit.surface.pointer = pointer;
}

TimerState TimerOf(platform::Timer timer) {
  auto found = toolkit.timers.find(timer);
  return found == toolkit.timers.end() ? TimerState{} : found->second;
}

std::size_t MenuCount() {
  return toolkit.menu.size();
}

std::string MenuCaption(std::size_t item) {
  return item < toolkit.menu.size() ? toolkit.menu[item].caption : std::string();
}

bool MenuChecked(std::size_t item) {
  return item < toolkit.menu.size() && toolkit.menu[item].checked;
}

std::vector<Popup> Popups() {
  return toolkit.popups;
}

std::vector<MessageBox> MessageBoxes() {
  return toolkit.boxes;
}

std::vector<platform::CommonDialog> ColorDialogs() {
  return toolkit.colorDialogs;
}

std::vector<platform::CommonDialog> FontDialogs() {
  return toolkit.fontDialogs;
}

}  // namespace sim
