#include "windows/dialogs.h"

#include <commdlg.h>

#include "windows/metrics.h"

namespace clep::win {

Dialogs::Open::Open(Dialogs& dialogs) : dialogs_(dialogs) {
  // Off at the first dialog, on after the last: then the tickers there are
  // now, which may not be those there were.
  if (dialogs_.open_++ == 0) {
    dialogs_.tickers_.EnableInput(false);
  }
}

Dialogs::Open::~Open() {
  if (--dialogs_.open_ == 0) {
    dialogs_.tickers_.EnableInput(true);
  }
}

Dialogs::Dialogs(Tickers& tickers, const Trace& trace) : tickers_(tickers), trace_(trace) {
  customColours_.fill(RGB(255, 255, 255));
}

template <typename Function>
Function Dialogs::DialogFunction(const char* name) {
  // comdlg32 is loaded when a dialog is first opened, not at start-up.
  if (!library_) {
    library_.Reset(LoadLibraryA("comdlg32.dll"));
  }
  const auto function =
      reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library_.Get(), name)));
  if (function == nullptr) {
    trace_.Failed(std::string("comdlg32's ").append(name));
  }
  return function;
}

void Dialogs::TraceCancelOrFailure(const char* dialog) {
  // A Cancel leaves no error; one that could not open leaves its own code.
  const auto lastError = DialogFunction<DWORD(WINAPI*)()>("CommDlgExtendedError");
  if (const DWORD error = lastError != nullptr ? lastError() : 0) {
    trace_.Failed(std::string(dialog).append(" did not open"), error);
  }
}

std::optional<COLORREF> Dialogs::PickColour(COLORREF shown) {
  // The dialog works on its own copy: Cancel keeps what was there before.
  CHOOSECOLORA choose{};
  choose.lStructSize = sizeof choose;
  choose.rgbResult = shown;
  choose.lpCustColors = customColours_.data();
  choose.Flags = CC_RGBINIT | CC_FULLOPEN;
  const Open open(*this);
  const auto chooseColour = DialogFunction<BOOL(WINAPI*)(CHOOSECOLORA*)>("ChooseColorA");
  if (chooseColour == nullptr || !chooseColour(&choose)) {
    TraceCancelOrFailure("ChooseColor");
    return std::nullopt;
  }
  return choose.rgbResult;
}

std::optional<ClockSettings> Dialogs::PickFont(const ClockSettings& settings,
                                               const std::string& face) {
  LOGFONTA logFont{};
  // What the ticker can show: the standard size or at most the largest.
  // In the system's DPI, as the dialog turns heights into points.
  logFont.lfHeight = -MulDiv(ShownFontSize(settings.fontSize).value_or(8), SystemDpi(), 72);
  logFont.lfWeight = settings.fontBold ? FW_BOLD : FW_NORMAL;
  logFont.lfItalic = settings.fontItalic ? 1 : 0;
  logFont.lfCharSet = DEFAULT_CHARSET;
  // The face the ticker shows: with none, the dialog would not take the size.
  lstrcpynA(logFont.lfFaceName, (settings.fontName.empty() ? face : settings.fontName).c_str(),
            LF_FACESIZE);
  CHOOSEFONTA choose{};
  choose.lStructSize = sizeof choose;
  choose.lpLogFont = &logFont;
  choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
  const Open open(*this);
  const auto chooseFont = DialogFunction<BOOL(WINAPI*)(CHOOSEFONTA*)>("ChooseFontA");
  // Wine's dialog fills the LOGFONT even on Cancel: read it only after OK.
  if (chooseFont == nullptr || !chooseFont(&choose)) {
    TraceCancelOrFailure("ChooseFont");
    return std::nullopt;
  }
  ClockSettings chosen = settings;
  chosen.fontName = logFont.lfFaceName;
  chosen.fontSize = WholePoints(choose.iPointSize);
  chosen.fontBold = logFont.lfWeight >= FW_SEMIBOLD;
  chosen.fontItalic = logFont.lfItalic != 0;
  return chosen;
}

void Dialogs::About() {
  // Wide, so the copyright sign shows under any ANSI code page.
  const Open open(*this);
  MessageBoxW(nullptr,
              L"Display time in roman numerals and date in Latin in Windows systray\r\n\r\n"
              L"\u00A9 the Clepsydrium authors\r\n" CLEP_HOME_URL,
              L"Clepsydrium " CLEP_VERSION, MB_OK | MB_ICONINFORMATION);
}

void Dialogs::Warn(const WideString& text) {
  const Open open(*this);
  MessageBoxW(nullptr, text.c_str(), L"Clepsydrium", MB_OK | MB_ICONWARNING);
}

}  // namespace clep::win
