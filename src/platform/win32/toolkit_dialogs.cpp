// Message boxes and the common colour and font dialogs.
#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <cmath>
#include <string>

#include "platform/toolkit.h"
#include "platform/win32/toolkit_win32.h"

namespace {
// The dialog's custom colours last for the run, as the user left them.
COLORREF customColours[16] = {
    0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
    0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
};
}  // namespace

namespace platform {

std::int32_t ShowMessageBox(const std::string& text, std::uint32_t style,
                            const std::string& title) {
  toolkit_win32::FormInputOff inputOff;
  return MessageBoxA(nullptr, text.c_str(), title.c_str(), style);
}

void ShowColor(CommonDialog& dialog) {
  CHOOSECOLORA choose{};
  choose.lStructSize = sizeof(choose);
  choose.rgbResult = toolkit_win32::ToColorRef(dialog.Color);
  choose.lpCustColors = customColours;
  choose.Flags = dialog.Flags;
  toolkit_win32::FormInputOff inputOff;
  if (ChooseColorA(&choose)) {
    dialog.Color = static_cast<Colour>(choose.rgbResult);
  }
}

void ShowFont(CommonDialog& dialog) {
  LOGFONTA logFont{};
  logFont.lfHeight = toolkit_win32::FontHeight(dialog.FontSize);
  logFont.lfWeight = dialog.FontBold ? FW_BOLD : FW_NORMAL;
  logFont.lfItalic = dialog.FontItalic ? 1 : 0;
  logFont.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(logFont.lfFaceName, dialog.FontName.c_str(), LF_FACESIZE);
  CHOOSEFONTA choose{};
  choose.lStructSize = sizeof(choose);
  choose.lpLogFont = &logFont;
  choose.Flags = dialog.Flags | CF_INITTOLOGFONTSTRUCT;
  toolkit_win32::FormInputOff inputOff;
  // A cancel leaves the properties alone: Wine's dialog writes the LOGFONT
  // even then.
  if (ChooseFontA(&choose)) {
    dialog.FontName = logFont.lfFaceName;
    dialog.FontSize = static_cast<float>(choose.iPointSize) / 10.0f;
    dialog.FontBold = logFont.lfWeight >= FW_SEMIBOLD;
    dialog.FontItalic = logFont.lfItalic != 0;
  }
}

}  // namespace platform
