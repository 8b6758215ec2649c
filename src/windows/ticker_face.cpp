// The ticker's face: its font at the bar's scale, the widths it is fitted
// to, and its paint; and the face window's messages.
#include <algorithm>

#include "taskbar/placement.h"
#include "windows/theme_colours.h"
#include "windows/ticker_window.h"

namespace clep::win {

namespace {

// How wide a text's ink is in the DC's font: its extent, and the overhang
// of its first and last glyphs (negative A and C widths) on either side.
int InkWidth(HDC dc, std::string_view text, int* inkLeft) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  ABC first{};
  ABC last{};
  int left = 0;
  const std::size_t start = text.find_first_not_of(' ');
  if (start != std::string_view::npos &&
      GetCharABCWidthsA(dc, static_cast<unsigned char>(text[start]),
                        static_cast<unsigned char>(text[start]), &first) &&
      GetCharABCWidthsA(dc, static_cast<unsigned char>(text.back()),
                        static_cast<unsigned char>(text.back()), &last)) {
    left = std::max(0, -first.abcA);
  }
  if (inkLeft != nullptr) {
    *inkLeft = left;
  }
  return size.cx + left + std::max(0, -last.abcC);
}

// The system's scalable sans serif in place of a face, crisp as a bitmap one.
void ToScalableSans(LOGFONTA& logFont) {
  logFont.lfOutPrecision = OUT_TT_ONLY_PRECIS;
  logFont.lfQuality = NONANTIALIASED_QUALITY;
  logFont.lfPitchAndFamily = FF_SWISS;
  logFont.lfFaceName[0] = '\0';
}

}  // namespace

void TickerWindow::MakeFont() {
  LOGFONTA logFont{};
  logFont.lfHeight = -MulDiv(fontHundredths_, scale_.dpi, 7200);
  logFont.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
  logFont.lfItalic = italic_ ? 1 : 0;
  logFont.lfCharSet = DEFAULT_CHARSET;
  lstrcpynA(logFont.lfFaceName, fontName_.c_str(), LF_FACESIZE);
  font_.Reset(CreateFontIndirectA(&logFont));
  // A bitmap face's sizes are drawn for 100 %: at another scale their steps
  // would leave the text too small or too large beside the bar's own.
  if (scale_.dpi != kBaseDpi &&
      (FontMetrics().tmPitchAndFamily & (TMPF_VECTOR | TMPF_TRUETYPE)) == 0) {
    ToScalableSans(logFont);
    font_.Reset(CreateFontIndirectA(&logFont));
  }
  // A font taller than the ticker would lose its lower part: the ticker's
  // height is then asked for as the font's cell height.
  const int height = TickerSize(scale_, 0, 0).height;
  if (FontMetrics().tmHeight > height) {
    logFont.lfHeight = height;
    font_.Reset(CreateFontIndirectA(&logFont));
  }
}

TEXTMETRICA TickerWindow::FontMetrics() const {
  TEXTMETRICA metrics{};
  const WindowDc screen;
  const Selected fontIn(screen.Get(), font_.Get());
  GetTextMetricsA(screen.Get(), &metrics);
  return metrics;
}

int TickerWindow::TextWidth(const ClockStyle& style) {
  if (!font_) {
    MakeFont();
  }
  std::array<int, 128> widths{};
  const WindowDc screen;
  const Selected fontIn(screen.Get(), font_.Get());
  GetCharWidth32A(screen.Get(), 0, 127, widths.data());
  return InkWidth(screen.Get(), WidestLine(style, widths), &inkLeft_);
}

HFONT TickerWindow::LinesFont(int room) {
  if (room == linesRoom_) {
    return linesFont_ ? linesFont_.Get() : font_.Get();
  }
  linesRoom_ = room;
  linesFont_.Reset();
  LOGFONTA logFont{};
  GetObjectA(font_.Get(), sizeof logFont, &logFont);
  const ClockStyle style = ClockStyleOf(owner_.Settings());
  const WindowDc screenDc;
  const HDC screen = screenDc.Get();
  int height = 0;
  for (int step = 0; step < 6; ++step) {
    int width = 0;
    int shownHeight = 0;
    {
      const Selected fontIn(screen, linesFont_ ? linesFont_.Get() : font_.Get());
      std::array<int, 128> widths{};
      GetCharWidth32A(screen, 0, 127, widths.data());
      TEXTMETRICA metrics{};
      GetTextMetricsA(screen, &metrics);
      shownHeight = metrics.tmHeight;
      width = InkWidth(screen, WidestNumeral(style, widths), nullptr);
    }
    if (width <= room) {
      break;
    }
    if (step > 0 && shownHeight >= height) {
      // A face with no smaller size (a bitmap one) gives way.
      ToScalableSans(logFont);
    }
    height = shownHeight;
    logFont.lfHeight = ShrunkFontHeight(height, width, room);
    linesFont_.Reset(CreateFontIndirectA(&logFont));
  }
  return linesFont_ ? linesFont_.Get() : font_.Get();
}

void TickerWindow::DrawLines(HDC dc, const RECT& client) {
  // A numeral a line, each centred in a cell of the one-line ticker's height.
  const std::string_view text = clock_.Text();
  const int cell = TickerSize(scale_, 0, 0).height;
  // A Roman hour's word and numeral go on lines of their own, too.
  const auto lines = static_cast<int>(std::count_if(text.begin(), text.end(),
                                                    [](char c) { return c == ':' || c == ' '; })) +
                     1;
  RECT line{0, (client.bottom - lines * cell) / 2, client.right, 0};
  for (std::size_t start = 0; start <= text.size(); line.top += cell) {
    const std::size_t end = std::min(text.find_first_of(": ", start), text.size());
    line.bottom = line.top + cell;
    DrawTextA(dc, text.data() + start, static_cast<int>(end - start), &line,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    start = end + 1;
  }
}

void TickerWindow::OnPaint(HWND face) {
  PAINTSTRUCT paint;
  const HDC screen = BeginPaint(face, &paint);
  RECT client{};
  GetClientRect(face, &client);
  if (client.right > 0 && client.bottom > 0) {
    if (!font_) {
      MakeFont();
    }
    // Background and text reach the screen in one blit, without a flash.
    const OwnedMemoryDc memory(CreateCompatibleDC(screen));
    const OwnedBitmap bitmap(CreateCompatibleBitmap(screen, client.right, client.bottom));
    const Selected bitmapIn(memory.Get(), bitmap.Get());
    // A pixel spare on each side: ink that reaches the edge may have been cut.
    const Selected fontIn(memory.Get(), stacked_ ? LinesFont(client.right - 2) : font_.Get());
    SetDCBrushColor(memory.Get(), ToColorRef(backColour_));
    FillRect(memory.Get(), &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetTextColor(memory.Get(), ToColorRef(textColour_));
    SetBkMode(memory.Get(), TRANSPARENT);
    if (stacked_) {
      DrawLines(memory.Get(), client);
    } else {
      // Centred across the face where a larger scale left room around the text.
      TEXTMETRICA metrics{};
      GetTextMetricsA(memory.Get(), &metrics);
      const std::string_view line = clock_.Line();
      TextOutA(memory.Get(), inkLeft_, TextTop(client.bottom, metrics.tmHeight), line.data(),
               static_cast<int>(line.size()));
    }
    BitBlt(screen, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
  }
  EndPaint(face, &paint);
}

LRESULT TickerWindow::Face::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint fills it
    case WM_PAINT:
      ticker_.OnPaint(window);
      return 0;
    case WM_MOUSEMOVE:
      ticker_.OnFaceMouseMove();
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      ticker_.OnFaceMouseUp(message);
      return 0;
    case WM_LBUTTONDBLCLK:
      ticker_.OnFaceDoubleClick();
      return 0;
    case WM_GETOBJECT:  // the face is the clock too, for a reader that points at it
      if (const LRESULT object = ticker_.accessible_.Answer(ticker_.frame_.Get(), wParam, lParam)) {
        return object;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace clep::win
