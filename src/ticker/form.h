// The ticker form: its design, its state and its menu commands. The event
// handlers the platform calls are declared in platform/form_events.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/form_events.h"
#include "platform/toolkit.h"

namespace frmClepsydrium {

// The context menu's items, by position in the design.
inline constexpr std::size_t mnuDateTime = 0;
inline constexpr std::size_t mnuGoto = 1;
inline constexpr std::size_t mnuAbout = 2;
inline constexpr std::size_t mnuSep4 = 3;
inline constexpr std::size_t mnuToolTip = 4;
inline constexpr std::size_t mnuRomanYear = 5;
inline constexpr std::size_t mnuMedievalScript = 6;
inline constexpr std::size_t mnuZeroAsDash = 7;
inline constexpr std::size_t mnuSep3 = 8;
inline constexpr std::size_t mnuLowercase = 9;
inline constexpr std::size_t mnuBorders = 10;
inline constexpr std::size_t mnuSep2 = 11;
inline constexpr std::size_t mnuColourText = 12;
inline constexpr std::size_t mnuColourBack = 13;
inline constexpr std::size_t mnuFont = 14;
inline constexpr std::size_t mnuSep1 = 15;
inline constexpr std::size_t mnuLong = 16;
inline constexpr std::size_t mnuShort = 17;
inline constexpr std::size_t mnuSep = 18;
inline constexpr std::size_t mnuExit = 19;
inline constexpr std::size_t kMenuItems = 20;

// Show style of a normal, focused window (SW_SHOWNORMAL).
inline constexpr std::int32_t kShowNormal = 1;

// "major.minor.revision" of the exe; Form_Load sets it.
extern std::string VersionText;
// The common dialog control, shared by the font and colour commands.
extern platform::CommonDialog CDialog;

// The largest font size the surface takes; the ticker is one caption high.
inline constexpr std::int32_t kLargestFontSize = 72;

// Gives the surface a font size from the settings. Zero or less keeps the
// current size (never an invisible ticker); more than kLargestFontSize is cut.
void ApplyFontSize(std::int32_t points);

const platform::FormDesign& Design();
// Loads the form (running Form_Load) and makes its window the ticker window.
void Load();

void mnuToolTip_Click();
void mnuRomanYear_Click();
void mnuMedievalScript_Click();
void mnuZeroAsDash_Click();
void mnuLowercase_Click();
void mnuBorders_Click();
void mnuLong_Click();
void mnuShort_Click();
void mnuColourText_Click();
void mnuColourBack_Click();
void mnuFont_Click();
void mnuDateTime_Click();
void mnuGoto_Click();
void mnuAbout_Click();
void mnuExit_Click();

}  // namespace frmClepsydrium

namespace ticker {

// Opens a document or web address with its default program; the shell's
// result (> 32 on success).
std::intptr_t ShellOpen(const std::string& target);

}  // namespace ticker
