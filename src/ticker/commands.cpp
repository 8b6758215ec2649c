// The context menu's commands. Each option command changes its setting, its
// check mark and its key at once.
#include <algorithm>
#include <cmath>
#include <limits>

#include "roman/latin_dates.h"
#include "settings/settings.h"
#include "taskbar/geometry.h"
#include "ticker/form.h"

namespace frmClepsydrium {

namespace {

using settings::Current;

constexpr std::uint32_t kColorFlags = 3;  // CC_RGBINIT | CC_FULLOPEN
constexpr std::uint32_t kFontFlags = 1;   // CF_SCREENFONTS
constexpr std::uint32_t kRepaintAll =
    platform::kRedrawInvalidate | platform::kRedrawAllChildren | platform::kRedrawUpdateNow;

constexpr const char* kPurpose =
    "Display time in roman numerals and date in Latin in Windows systray";
// "\xA9" is the copyright sign in the ANSI code page.
constexpr const char* kMaker = "\xA9 the Clepsydrium authors";

// Flips a setting: first the work the new value needs, then the check mark
// and the key, then what makes the change show.
void Toggle(bool& option, std::size_t item, const char* key, void (*before)(bool on) = nullptr,
            void (*after)() = nullptr) {
  option = !option;
  if (before != nullptr) {
    before(option);
  }
  platform::SetMenuChecked(item, option);
  settings::WriteSetting(key, settings::BoolText(option));
  if (after != nullptr) {
    after();
  }
}

// The texts follow the new numeral style; the table keeps one entry a day.
void RebuildLatinDates(bool /*subtractive*/) {
  roman::LatinDates.Clear();
  roman::BuildLatinDates();
}

// The sunken edge of the form's window, on or off, shown at once.
void SetBorder(bool on) {
  const platform::WindowHandle form = platform::FormWindow();
  auto exStyle =
      static_cast<std::uint32_t>(platform::GetWindowLongValue(form, platform::kExStyleIndex));
  exStyle = on ? exStyle | platform::kExStyleStaticEdge : exStyle & ~platform::kExStyleStaticEdge;
  platform::SetWindowLongValue(form, platform::kExStyleIndex, static_cast<std::int32_t>(exStyle));
  // Without the frame notification the new edge shows only at the next resize.
  platform::RefreshFrame(form);
  platform::SetWindowRedraw(form, true);
  platform::RedrawWholeWindow(form, kRepaintAll);
  taskbar::PlaceTickerTopLeft();
}

void SetClockLength(bool seconds) {
  Current.DisplaySeconds = seconds;
  platform::SetMenuChecked(mnuLong, seconds);
  platform::SetMenuChecked(mnuShort, !seconds);
  settings::WriteSetting("DisplaySeconds", settings::BoolText(seconds));
  settings::TickerCells = settings::CellsFor(seconds);
  taskbar::FitTicker();
}

// Hands a colour to the colour dialog and keeps what it gives back.
void PickColour(std::int32_t& colour, const char* key, void (*apply)(platform::Colour colour)) {
  CDialog.Flags = kColorFlags;
  CDialog.Color = colour;
  platform::ShowColor(CDialog);
  colour = CDialog.Color;
  apply(colour);
  settings::WriteSetting(key, settings::NumberText(colour));
}

// The nearest whole number, halves to the even neighbour (10.5 -> 10,
// 11.5 -> 12), within 32 bits.
std::int32_t RoundHalfEven(float value) {
  // nearbyint rounds halves to even in the default rounding mode.
  const double rounded = std::nearbyint(static_cast<double>(value));
  if (std::isnan(rounded)) {
    return 0;
  }
  return static_cast<std::int32_t>(
      std::clamp(rounded, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                 static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

std::string AboutText() {
  return std::string(kPurpose) + "\r\n\r\n" + kMaker + "\r\n" + CLEP_HOME_URL;
}

}  // namespace

void mnuToolTip_Click() {
  Toggle(Current.ToolTip, mnuToolTip, "ToolTip");
}

void mnuRomanYear_Click() {
  Toggle(Current.RomanYear, mnuRomanYear, "RomanYear");
}

void mnuMedievalScript_Click() {
  Toggle(Current.MedievalScript, mnuMedievalScript, "MedievalScript", RebuildLatinDates);
}

void mnuZeroAsDash_Click() {
  Toggle(Current.ZeroAsDash, mnuZeroAsDash, "ZeroAsDash");
}

void mnuLowercase_Click() {
  Toggle(Current.Lowercase, mnuLowercase, "Lowercase", nullptr, platform::RefreshSurface);
}

void mnuBorders_Click() {
  Toggle(Current.Borders, mnuBorders, "Borders", SetBorder);
}

void mnuLong_Click() {
  SetClockLength(true);
}

void mnuShort_Click() {
  SetClockLength(false);
}

void mnuColourText_Click() {
  PickColour(Current.ColourText, "ColourText", platform::SetSurfaceForeColour);
}

void mnuColourBack_Click() {
  PickColour(Current.ColourBack, "ColourBack", platform::SetSurfaceBackColour);
}

void mnuFont_Click() {
  CDialog.Flags = kFontFlags;
  CDialog.FontName = Current.FontName;
  CDialog.FontSize = static_cast<float>(Current.FontSize);
  CDialog.FontBold = Current.FontBold;
  CDialog.FontItalic = Current.FontItalic;
  platform::ShowFont(CDialog);
  Current.FontName = CDialog.FontName;
  Current.FontSize = RoundHalfEven(CDialog.FontSize);
  Current.FontBold = CDialog.FontBold;
  Current.FontItalic = CDialog.FontItalic;

  platform::SetSurfaceFontName(Current.FontName);
  ApplyFontSize(Current.FontSize);
  platform::SetSurfaceFontBold(Current.FontBold);
  platform::SetSurfaceFontItalic(Current.FontItalic);
  settings::WriteSetting("FontName", Current.FontName);
  settings::WriteSetting("FontSize", settings::NumberText(Current.FontSize));
  settings::WriteSetting("FontBold", settings::BoolText(Current.FontBold));
  settings::WriteSetting("FontItalic", settings::BoolText(Current.FontItalic));
}

void mnuDateTime_Click() {
  picTicker_DblClick();
}

void mnuGoto_Click() {
  ticker::ShellOpen(CLEP_HOME_URL);
}

void mnuAbout_Click() {
  platform::ShowMessageBox(AboutText(), platform::kIconInformation, "Clepsydrium " + VersionText);
}

void mnuExit_Click() {
  // Main restores the taskbar once the modal show returns.
  platform::HideForm();
}

}  // namespace frmClepsydrium

namespace ticker {

std::intptr_t ShellOpen(const std::string& target) {
  return platform::ShellExecuteOpen("Open", target, "", "C:\\", frmClepsydrium::kShowNormal);
}

}  // namespace ticker
