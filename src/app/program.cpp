#include "app/program.h"

#include <exception>
#include <new>
#include <string>

#include "platform/toolkit.h"
#include "roman/latin_dates.h"
#include "settings/settings.h"
#include "taskbar/geometry.h"
#include "taskbar/restore.h"
#include "taskbar/tray_windows.h"
#include "ticker/form.h"

namespace app {

namespace {

constexpr const char* kTitle = "Clepsydrium";
constexpr std::uint32_t kIconError = 16;
// E_FAIL and E_OUTOFMEMORY, for errors that carry no number of their own.
constexpr std::uint32_t kFailure = 0x80004005;
constexpr std::uint32_t kOutOfMemory = 0x8007000E;

// "Run-time error -2147221503 (80040001)", then the error's own words.
std::string ErrorReport(std::uint32_t number, const char* detail) {
  // No printf: it would bring mingw's whole formatter into a small exe.
  char hex[9] = {};
  for (int digit = 7; digit >= 0; --digit) {
    hex[digit] = "0123456789ABCDEF"[(number >> (28 - 4 * digit)) & 0xF];
  }
  std::string report =
      "Run-time error " + std::to_string(static_cast<std::int32_t>(number)) + " (" + hex + ")";
  if (detail != nullptr && *detail != '\0') {
    report += "\r\n\r\n";
    report += detail;
  }
  return report;
}

}  // namespace

void Main() {
  if (platform::PreviousInstance()) {
    platform::ShowMessageBox("Clepsydrium already running", platform::kIconExclamation, kTitle);
    return;
  }
  settings::IniPath = platform::ExeFolder() + "\\Clepsydrium.ini";
  settings::LoadSettings();
  roman::BuildLatinDates();
  taskbar::FindTrayWindows();
  taskbar::LastEdge = taskbar::GetTaskbarEdge();
  taskbar::GetTrayClientSize(taskbar::LastTrayWidth, taskbar::LastTrayHeight);
  frmClepsydrium::Load();
  taskbar::EmbedTicker();
  taskbar::PlaceTickerTopLeft();
  taskbar::FitTicker();
  platform::ShowFormModal();
  taskbar::RestoreTaskbar();
  platform::UnloadForm();
}

int RunProgram() {
  std::string report;
  try {
    Main();
    return 0;
  } catch (const taskbar::TrayWindowError& error) {
    report = ErrorReport(error.Number(), nullptr);
  } catch (const std::bad_alloc&) {
    report = ErrorReport(kOutOfMemory, nullptr);
  } catch (const std::exception& error) {
    report = ErrorReport(kFailure, error.what());
  } catch (...) {
    report = ErrorReport(kFailure, nullptr);
  }
  // Give the taskbar back and stop the timers before the report waits for
  // the user: a dead ticker must not stay in the tray, nor tick meanwhile.
  // When the error came from Main's own restore, this is its second try; a
  // failure here must not hide the report.
  try {
    taskbar::RestoreTaskbar();
  } catch (...) {
  }
  platform::UnloadForm();
  platform::ShowMessageBox(report, kIconError, kTitle);
  return 1;
}

}  // namespace app
