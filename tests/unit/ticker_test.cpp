#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "ticker_fixture.h"

namespace {

using namespace frmClepsydrium;
using platform::kLeftButton;
using platform::kRightButton;
using platform::Timer;
using settings::ClockSettings;

class TickerTest : public TickerFixture {
 protected:
  static const sim::Surface& Surface() { return sim::SurfaceState(); }
  // Lets the clock move on and the ticker tick.
  static std::string TickAt(int hour, int minute, int second) {
    sim::SetLocalTime({2024, 1, 2, hour, minute, second});
    sim::FireTimer(Timer::kTicker);
    return Surface().text;
  }
};

TEST_F(TickerTest, FormLoadAppliesTheSettings) {
  // Check marks of Borders, Long, Short, Lowercase, ToolTip, MedievalScript,
  // RomanYear, ZeroAsDash.
  const std::size_t items[] = {mnuBorders, mnuLong,           mnuShort,     mnuLowercase,
                               mnuToolTip, mnuMedievalScript, mnuRomanYear, mnuZeroAsDash};
  const ClockSettings changed = {false, true,     false,   true, false, false, true,
                                 255,   16777215, "Arial", true, true,  12};
  ClockSettings unnamed;
  unnamed.FontSize = 0;
  const std::tuple<ClockSettings, const char*, const char*, float> rows[] = {
      {ClockSettings{}, "11001100", "MS Sans Serif", 8},
      {changed, "00110011", "Arial", 12},
      {unnamed, "11001100", "MS Sans Serif", 8.25f},  // no name, no size: the initial font
  };
  for (const auto& [options, checks, font, size] : rows) {
    SCOPED_TRACE(checks);
    Reset();
    settings::Current = options;
    sim::SetExeVersion({1, 0, 7});
    Load();
    for (std::size_t i = 0; i < 8; ++i) {
      EXPECT_EQ(sim::MenuChecked(items[i]), checks[i] == '1') << sim::MenuCaption(items[i]);
    }
    const auto exStyle = static_cast<std::uint32_t>(sim::WindowLong(sim::FormHandle(), -20));
    EXPECT_EQ(sim::WindowLong(sim::FormHandle(), -16) & 0x00800000, 0);
    EXPECT_EQ((exStyle & 0x20000) != 0, options.Borders);
    const sim::Surface& s = Surface();
    EXPECT_EQ(
        std::tie(s.foreColour, s.backColour, s.fontName, s.fontSize, s.fontBold, s.fontItalic),
        std::tie(options.ColourText, options.ColourBack, font, size, options.FontBold,
                 options.FontItalic));
    EXPECT_EQ(sim::MenuCaption(mnuAbout), "About Clepsydrium 1.0.7");
    EXPECT_EQ(Surface().text, "");  // nothing until the second changes
  }
}

TEST_F(TickerTest, TickCentresTheTextWithBlanks) {
  struct Row {
    int hour, minute, second;
    bool seconds, subtractive, lowercase;
    const char* printed;
  };
  const Row rows[] = {
      {14, 25, 7, true, true, false, "     XIV:XXV:VII"},
      {18, 38, 37, true, false, false, " XVIII:XXXVIII:XXXVII"},  // 20 characters
      {18, 38, 38, true, false, false, "XVIII:XXXVIII:XXXVIII"},  // 21
      {18, 37, 1, false, false, false, " XVIII:XXXVII"},          // 12
      {18, 38, 1, false, false, false, "XVIII:XXXVIII"},          // 13
      {18, 38, 37, true, false, true, " xviii:xxxviii:xxxvii"},
      {19, 49, 49, true, false, false, "XVIIII:XXXXVIIII:XXXXVIIII"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.printed);
    Reset();
    settings::Current.DisplaySeconds = row.seconds;
    settings::Current.MedievalScript = row.subtractive;
    settings::Current.Lowercase = row.lowercase;
    settings::TickerCells = settings::CellsFor(row.seconds);
    Load();
    EXPECT_EQ(TickAt(row.hour, row.minute, row.second), row.printed);
    const std::size_t clears = Surface().clears;
    sim::FireTimer(Timer::kTicker);  // the same second draws nothing
    EXPECT_EQ(Surface().clears, clears);
  }
}

TEST_F(TickerTest, EachToggleTwiceRestoresSettingMarkAndFile) {
  struct Row {
    std::size_t item;
    bool ClockSettings::*option;
    std::string key;
  };
  const Row rows[] = {{mnuToolTip, &ClockSettings::ToolTip, "ToolTip"},
                      {mnuRomanYear, &ClockSettings::RomanYear, "RomanYear"},
                      {mnuMedievalScript, &ClockSettings::MedievalScript, "MedievalScript"},
                      {mnuZeroAsDash, &ClockSettings::ZeroAsDash, "ZeroAsDash"},
                      {mnuLowercase, &ClockSettings::Lowercase, "Lowercase"},
                      {mnuBorders, &ClockSettings::Borders, "Borders"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    Reset();
    Start();
    const bool before = settings::Current.*row.option;
    Choose(row.item);
    EXPECT_EQ(settings::Current.*row.option, !before);
    EXPECT_EQ(sim::MenuChecked(row.item), !before);
    EXPECT_EQ(Ini(), "[Configuration]\r\n" + row.key + "=" + settings::BoolText(!before) + "\r\n");
    EXPECT_EQ(roman::LatinDates.Count(), 366u);
    EXPECT_EQ(*roman::LatinDates.Find("0201"), settings::Current.MedievalScript
                                                   ? "a.d. IV Nonas Ianuarias"
                                                   : "a.d. IIII Nonas Ianuarias");
    Choose(row.item, kRightButton);
    EXPECT_EQ(settings::Current.*row.option, before);
    EXPECT_EQ(sim::MenuChecked(row.item), before);
    EXPECT_EQ(Key(row.key.c_str()), settings::BoolText(before));
  }
}

TEST_F(TickerTest, BordersChangeOnlyTheSunkenEdge) {
  Start();
  const platform::WindowHandle form = sim::FormHandle();
  const std::int32_t style = sim::WindowLong(form, -16);
  platform::SetWindowLongValue(form, -20, sim::WindowLong(form, -20) | 0x8);
  const std::int32_t exStyle = sim::WindowLong(form, -20);
  taskbar::PlaceTickerBesideClock();
  for (const std::int32_t expected : {exStyle & ~0x20000, exStyle}) {
    sim::ClearLog();
    Choose(mnuBorders);
    EXPECT_EQ(sim::WindowLong(form, -20), expected);
    EXPECT_EQ(sim::WindowLong(form, -16), style);
    EXPECT_EQ((platform::Point{Ticker().left, Ticker().top}), (platform::Point{0, 5}));
    EXPECT_EQ(Surface().place, platform::ClientRect(form));  // it follows the new frame
    const sim::Event repaint = sim::Log().at(1);             // after the redraw switch
    EXPECT_EQ(repaint.effect, sim::Effect::kRepaint);
    EXPECT_EQ(repaint.window, form);
    EXPECT_EQ(repaint.value, 0x181u);
  }
  EXPECT_EQ(sim::CountCalls(sim::Call::kRefreshFrame), 2u);
}

TEST_F(TickerTest, ClockLengthSetsCellsIconsAndSize) {
  Start();
  struct Row {
    std::size_t item;
    std::int32_t cells;
    std::size_t icons;
    const char* value;
  };
  const Row rows[] = {{mnuShort, 4, 3, "0"}, {mnuLong, 6, 5, "1"}, {mnuLong, 6, 5, "1"}};
  for (const Row& row : rows) {
    Choose(row.item);
    EXPECT_EQ(settings::TickerCells, row.cells);
    EXPECT_EQ(sim::IconIds(sim::FormHandle()).size(), row.icons);
    EXPECT_EQ(Ticker().right - Ticker().left, row.cells * 14);
    EXPECT_EQ(sim::MenuChecked(mnuLong), row.cells == 6);
    EXPECT_EQ(sim::MenuChecked(mnuShort), row.cells == 4);
    EXPECT_EQ(Key("DisplaySeconds"), row.value);
  }
}

TEST_F(TickerTest, DialogsHandBackOrKeepTheirValues) {
  Start();
  EXPECT_EQ(TickAt(14, 25, 7), "     XIV:XXV:VII");
  sim::CancelColor();
  Choose(mnuColourBack);
  EXPECT_EQ(Key("ColourBack"), "-2147483633");
  EXPECT_EQ(Surface().backColour, settings::kButtonFace);
  EXPECT_EQ(Surface().text, "     XIV:XXV:VII");  // a repaint keeps the text
  EXPECT_EQ(sim::ColorDialogs().at(0).Flags, 3u);
  EXPECT_EQ(sim::ColorDialogs().at(0).Color, settings::kButtonFace);
  sim::AnswerColor(255);
  Choose(mnuColourText);
  EXPECT_EQ(Key("ColourText"), "255");
  EXPECT_EQ(Surface().foreColour, 255);

  sim::CancelFont();  // with no font keys yet, all four are written
  Choose(mnuFont);
  EXPECT_NE(Ini().find("FontName=\r\nFontSize=8\r\nFontBold=0\r\nFontItalic=0\r\n"),
            std::string::npos);
  EXPECT_EQ(Surface().fontName, "MS Sans Serif");
  EXPECT_EQ(sim::FontDialogs().at(0).Flags, 1u);
  for (const auto& [points, whole] : {std::pair{10.5f, 10}, {11.5f, 12}, {9.4f, 9}}) {
    sim::AnswerFont({"Courier New", points, true, false});
    Choose(mnuFont);
    EXPECT_EQ(Surface().fontSize, static_cast<float>(whole));
    EXPECT_EQ(Key("FontSize"), std::to_string(whole));
  }
  EXPECT_EQ(Surface().fontName, "Courier New");
  EXPECT_EQ(Key("FontBold"), "1");
}

TEST_F(TickerTest, AboutBoxHasFourLinesIconAndTitle) {
  sim::SetExeVersion({1, 0, 7});
  Start();
  Choose(mnuAbout);
  const sim::MessageBox box = sim::MessageBoxes().at(0);
  EXPECT_EQ(box.text,
            "Display time in roman numerals and date in Latin in Windows systray\r\n\r\n"
            "\xA9 the Clepsydrium authors\r\n" +
                sim::MenuCaption(mnuGoto));
  EXPECT_EQ(box.style, 64u);
  EXPECT_EQ(box.title, "Clepsydrium 1.0.7");
}

TEST_F(TickerTest, LeftAndMiddleClicks) {
  Start();
  sim::AdvanceTime(60);
  const std::size_t ticks = sim::TimerOf(Timer::kTicker).ticks;
  sim::MouseUp(platform::kMiddleButton);
  EXPECT_EQ(sim::TimerOf(Timer::kTicker).elapsed, 60u);
  sim::MouseUp(kLeftButton);  // the next tick is a full interval away
  sim::AdvanceTime(99);
  EXPECT_EQ(sim::TimerOf(Timer::kTicker).ticks, ticks);
  sim::AdvanceTime(1);
  EXPECT_EQ(sim::TimerOf(Timer::kTicker).ticks, ticks + 1);
  EXPECT_TRUE(sim::Calls().empty());
}

TEST_F(TickerTest, MenuAndDoubleClick) {
  Start();
  sim::DismissMenu();  // Escape: no command, a repaint
  sim::MouseUp(kRightButton);
  ASSERT_EQ(sim::Popups().size(), 1u);
  EXPECT_EQ(sim::Popups()[0].defaultItem, mnuDateTime);
  EXPECT_EQ(sim::Popups()[0].flags, 2u);
  EXPECT_EQ(sim::Calls().size(), 2u);  // the popup and the repaint
  EXPECT_EQ(Ini(), "");
  Choose(mnuLowercase);  // its own repaint, then the menu's
  EXPECT_EQ(sim::CountCalls(sim::Call::kRefreshSurface), 3u);

  sim::DoubleClick();
  sim::FailStartCommand(true);  // silent: the ticker runs on
  Choose(mnuDateTime, kRightButton);
  EXPECT_EQ(sim::Popups().size(), 3u);
  ASSERT_EQ(sim::Commands().size(), 2u);
  for (const sim::Command& command : sim::Commands()) {
    EXPECT_EQ(command.commandLine + "|" + std::to_string(command.show), "control.exe Date/Time|1");
  }
  EXPECT_TRUE(sim::MessageBoxes().empty());

  Choose(mnuGoto, kRightButton);
  const sim::ShellCall call = sim::ShellCalls().at(0);
  EXPECT_EQ(call.operation + "|" + call.file + "|" + call.parameters + "|" + call.directory + "|" +
                std::to_string(call.show),
            "Open|" + sim::MenuCaption(mnuGoto) + "||C:\\|1");
}

TEST_F(TickerTest, PointerMovesSetTheToolTip) {
  Start();
  sim::SetSurfacePointer(3);
  sim::MouseMove();
  EXPECT_EQ(Surface().pointer, 0);
  EXPECT_EQ(Surface().toolTip, "a.d. IV Nonas Ianuarias MMXXIV");
  Choose(mnuToolTip);
  sim::FormMouseMove();
  EXPECT_EQ(Surface().toolTip, "a.d. IV Nonas Ianuarias MMXXIV");
  sim::MouseMove();
  EXPECT_EQ(Surface().toolTip, "");
}

}  // namespace
