#include "ticker/form.h"

#include <algorithm>

#include "platform/clock.h"
#include "roman/date_tip.h"
#include "roman/roman.h"
#include "settings/settings.h"
#include "taskbar/geometry.h"
#include "taskbar/restore.h"
#include "taskbar/tray_windows.h"
#include "taskbar/watch.h"

namespace frmClepsydrium {

std::string VersionText;
platform::CommonDialog CDialog;

namespace {

constexpr std::uint32_t kTickerInterval = 100;
constexpr std::uint32_t kCheckInterval = 250;
constexpr const char* kDateTimeCommand = "control.exe Date/Time";

const platform::MenuItemDesign kMenu[kMenuItems] = {
    {"Set Date/Time"},
    {CLEP_HOME_URL},
    {"About"},
    {"-"},
    {"Roman date in Tooltip"},
    {"Use Roman year (from 753 BC)"},
    {"Medieval script (4=IV, 9=IX, etc.)"},
    {"Display 0 as dash"},
    {"-"},
    {"Lowercase"},
    {"Borders"},
    {"-"},
    {"Text colour"},
    {"Background colour"},
    {"Set font"},
    {"-"},
    {"Hours, minutes, seconds"},
    {"Hours and minutes"},
    {"-"},
    {"Exit"},
};

const platform::FormDesign kDesign = {"MS Sans Serif", 8.25f, kTickerInterval,
                                      kCheckInterval,  kMenu, kMenuItems};

std::uint32_t FormLong(std::int32_t index) {
  return static_cast<std::uint32_t>(platform::GetWindowLongValue(platform::FormWindow(), index));
}

void SetFormLong(std::int32_t index, std::uint32_t value) {
  platform::SetWindowLongValue(platform::FormWindow(), index, static_cast<std::int32_t>(value));
}

}  // namespace

const platform::FormDesign& Design() {
  return kDesign;
}

void ApplyFontSize(std::int32_t points) {
  if (points > 0) {
    platform::SetSurfaceFontSize(static_cast<float>(std::min(points, kLargestFontSize)));
  }
}

void Load() {
  taskbar::TickerWindow = platform::LoadForm(kDesign);
}

void Form_Load() {
  const settings::ClockSettings& options = settings::Current;
  const platform::Version version = platform::ExeVersion();
  VersionText = std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
                std::to_string(version.revision);

  SetFormLong(platform::kStyleIndex, FormLong(platform::kStyleIndex) & ~platform::kStyleBorder);
  platform::SetMenuChecked(mnuBorders, options.Borders);
  if (options.Borders) {
    SetFormLong(platform::kExStyleIndex,
                FormLong(platform::kExStyleIndex) | platform::kExStyleStaticEdge);
  }
  platform::SetMenuChecked(mnuLong, options.DisplaySeconds);
  platform::SetMenuChecked(mnuShort, !options.DisplaySeconds);
  platform::SetMenuChecked(mnuLowercase, options.Lowercase);
  platform::SetMenuChecked(mnuToolTip, options.ToolTip);
  platform::SetMenuChecked(mnuMedievalScript, options.MedievalScript);
  platform::SetMenuChecked(mnuRomanYear, options.RomanYear);
  platform::SetMenuChecked(mnuZeroAsDash, options.ZeroAsDash);

  platform::SetSurfaceForeColour(options.ColourText);
  platform::SetSurfaceBackColour(options.ColourBack);
  if (!options.FontName.empty()) {
    platform::SetSurfaceFontName(options.FontName);
  }
  ApplyFontSize(options.FontSize);
  platform::SetSurfaceFontBold(options.FontBold);
  platform::SetSurfaceFontItalic(options.FontItalic);
  platform::SetMenuCaption(mnuAbout, "About Clepsydrium " + VersionText);

  // The first text shows at the next change of the second, not at once.
  const platform::LocalDateTime now = platform::LocalNow();
  roman::LastHour = static_cast<std::int16_t>(now.hour);
  roman::LastMinute = static_cast<std::int16_t>(now.minute);
  roman::LastSecond = static_cast<std::int16_t>(now.second);
  tmrTicker_Timer();
}

void Form_EndSession() {
  // The process may end as soon as this returns.
  platform::HideForm();
  taskbar::RestoreTaskbar();
}

void Form_WindowLost() {
  taskbar::ForgetShell();
}

void Form_TaskbarCreated() {
  // Without all three windows there is nothing to attach to; a later
  // broadcast may bring them.
  if (!taskbar::FindTrayWindowsAgain()) {
    return;
  }
  taskbar::TickerWindow = platform::RebuildFormWindow();
  taskbar::AttachTicker();
}

void Form_Resize() {
  const platform::Rect client = platform::FormClientRect();
  platform::MoveSurface(0, 0, client.right, client.bottom);
}

void Form_MouseMove(std::int16_t /*button*/, std::int16_t /*shift*/, float /*x*/, float /*y*/) {}

void tmrTicker_Timer() {
  std::string text = roman::RomanTime();
  if (text.empty()) {
    return;
  }
  if (settings::Current.Lowercase) {
    roman::LowerCase(text);
  }
  const auto length = static_cast<std::int32_t>(text.size());
  const std::int32_t pad = (settings::TickerCells * 4 - length - 2) / 2;
  platform::SurfaceClear();
  platform::SurfacePrint(pad > 0 ? std::string(static_cast<std::size_t>(pad), ' ') + text : text);
}

void tmrCheck_Timer() {
  // Nothing to watch until the ticker is back in a shell.
  if (taskbar::TickerEmbedded) {
    taskbar::CheckTaskbar();
  }
}

void picTicker_MouseMove(std::int16_t /*button*/, std::int16_t /*shift*/, float /*x*/,
                         float /*y*/) {
  platform::SetSurfaceDefaultPointer();
  if (!settings::Current.ToolTip) {
    platform::SetSurfaceToolTip("");
    return;
  }
  platform::SetSurfaceToolTip(roman::DateTipText(platform::LocalNow()));
}

void picTicker_MouseUp(std::int16_t button, std::int16_t /*shift*/, float /*x*/, float /*y*/) {
  if (button == platform::kRightButton) {
    platform::PopupMenu(mnuDateTime);
    platform::RefreshSurface();
  } else if (button == platform::kLeftButton) {
    // Restarts the countdown: the next tick is a full interval away.
    platform::EnableTimer(platform::Timer::kTicker, false);
    platform::EnableTimer(platform::Timer::kTicker, true);
  }
}

void picTicker_DblClick() {
  // A failed start is not reported: the ticker runs on.
  platform::StartCommand(kDateTimeCommand, kShowNormal);
}

void mnuCtx_Click(std::size_t item) {
  switch (item) {
    case mnuDateTime:
      return mnuDateTime_Click();
    case mnuGoto:
      return mnuGoto_Click();
    case mnuAbout:
      return mnuAbout_Click();
    case mnuToolTip:
      return mnuToolTip_Click();
    case mnuRomanYear:
      return mnuRomanYear_Click();
    case mnuMedievalScript:
      return mnuMedievalScript_Click();
    case mnuZeroAsDash:
      return mnuZeroAsDash_Click();
    case mnuLowercase:
      return mnuLowercase_Click();
    case mnuBorders:
      return mnuBorders_Click();
    case mnuColourText:
      return mnuColourText_Click();
    case mnuColourBack:
      return mnuColourBack_Click();
    case mnuFont:
      return mnuFont_Click();
    case mnuLong:
      return mnuLong_Click();
    case mnuShort:
      return mnuShort_Click();
    case mnuExit:
      return mnuExit_Click();
    default:
      return;  // separators
  }
}

}  // namespace frmClepsydrium
