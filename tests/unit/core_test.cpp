// The settings rules, the taskbar arithmetic, the menu table and the trace.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <tuple>

#include "menu/menu.h"
#include "settings/clock_settings.h"
#include "startup/run_value.h"
#include "taskbar/colours.h"
#include "taskbar/placement.h"
#include "trace/trace_text.h"

namespace clep {
namespace {

TEST(Settings, NumbersAndFontSizes) {
  const std::pair<const char*, std::optional<std::int32_t>> numbers[] = {
      {"2147483647", 2147483647},  // the largest
      {"+5", std::nullopt},        // a sign the program never writes
      {"1 2", std::nullopt},       // two numbers
      {"-", std::nullopt},         // a sign alone
  };
  for (const auto& [text, value] : numbers) {
    EXPECT_EQ(ParseNumber(text), value) << text;
  }
  // The ticker keeps its standard size (0 here) for none, and takes at most 72 points.
  const std::pair<int, int> sizes[] = {
      {0, 0},
      {1, 1},
      {72, 72},
      {73, 72},
  };
  for (const auto& [size, shown] : sizes) {
    EXPECT_EQ(ShownFontSize(size).value_or(0), shown) << size;
  }
  // The font dialog's tenths, halves to the even neighbour.
  EXPECT_EQ(WholePoints(105), 10);
  EXPECT_EQ(WholePoints(115), 12);
}

// Wine's caption at 96 DPI.
constexpr Scale kAt100{19, 96};

TEST(TickerGeometry, EverySizeAtItsBarsScale) {
  // Wine's captions at each DPI; the cell less 5 px at 96 DPI, scaled and
  // rounded; the top-left place, one line and stacked; a row of icons.
  const std::tuple<Scale, Size, Point, Point, int> rows[] = {
      {{19, 96}, {84, 14}, {0, 5}, {2, 5}, 16},     {{24, 120}, {108, 18}, {0, 6}, {3, 6}, 20},
      {{28, 144}, {120, 20}, {0, 8}, {3, 8}, 23},   {{33, 168}, {144, 24}, {0, 9}, {4, 9}, 28},
      {{37, 192}, {162, 27}, {0, 10}, {4, 10}, 31},
  };
  for (const auto& [scale, sixCells, topLeft, stackedTopLeft, rowHeight] : rows) {
    EXPECT_EQ(TickerSize(scale, 6, 0), sixCells) << scale.dpi;
    EXPECT_EQ(TopLeftPlace(false, scale), topLeft) << scale.dpi;
    EXPECT_EQ(TopLeftPlace(true, scale), stackedTopLeft) << scale.dpi;
    EXPECT_EQ(CountTrayRows(2 * rowHeight - 1, {}, scale), 1) << scale.dpi;
  }
  // The main bar at 100 % and a second monitor's at 150 %: the same line,
  // 103 px wide at 96 DPI and 155 px at 144, spans as many cells on each,
  // each cell its own bar's; the gap before the clock scales too.
  const Size atMain = TickerSize(kAt100, 6, 103);
  const Size atSecond = TickerSize({28, 144}, 6, 155);
  EXPECT_EQ(atMain, (Size{105, 14}));
  EXPECT_EQ(atSecond, (Size{157, 20}));
  EXPECT_EQ(BlankIconCount(atMain), 7);
  EXPECT_EQ(BlankIconCount(atSecond), 7);
  EXPECT_EQ(SecondaryTickerPlace({1280, 60}, {1160, 0, 1280, 60}, false, atSecond, 144),
            (Point{1000, 20}));
  EXPECT_EQ(ShapeTicker(atSecond, 6, true, 87, {28, 144}), (Size{81, 62}));
}

TEST(TickerGeometry, SizePlacesAndRows) {
  EXPECT_EQ(BlankIconCount({15, 14}), 1);  // a part of a cell counts
  EXPECT_EQ(BlankIconCount({28, 14}), 1);  // exactly two cells, not three
  EXPECT_EQ(BesideClockX(200, 40, 84, false), 77);
  EXPECT_EQ(BesideClockX(200, 40, 84, true), 160);
  EXPECT_EQ(CountTrayRows(22, {0, 2, 40, 20}, kAt100), 1);  // a clock lower down counts as nothing
  EXPECT_EQ(CountTrayRows(64, {0, 0, 40, 12}, kAt100), 3);  // a clock at the top is not a row of 16
  EXPECT_EQ(CountTrayRows(40, {}, {3, 96}), 0);             // no row height: no division by zero
  // Windows 11's taskbar: left of the tray, centred on Start; an empty tray
  // leaves the right-most 88 pixels at 96 DPI, scaled.
  const Size bar{1024, 48};
  EXPECT_EQ(ModernTickerPlace({900, 0, 1024, 48}, {0, 0, 48, 48}, bar, {84, 14}, 96),
            (Point{816, 17}));
  EXPECT_EQ(ModernTickerPlace({}, {400, 4, 444, 44}, bar, {84, 14}, 144), (Point{808, 17}));
  EXPECT_EQ(ModernTickerPlace({900, 0, 1024, 40}, {}, {1024, 40}, {84, 14}, 96), (Point{816, 13}));
  // Other monitors' bars: before the clock button or at the far end, each
  // centred on its own thickness; the island as an empty tray at its DPI.
  const std::tuple<Size, Rect, bool, int, Point> secondaries[] = {
      {{1280, 40}, {1200, 0, 1280, 40}, false, 96, {1114, 13}},
      {{1280, 31}, {}, false, 96, {1194, 8}},
      {{62, 720}, {0, 680, 62, 720}, false, 96, {-11, 664}},  // wider than the bar
      {{100, 720}, {}, false, 96, {8, 704}},
      {{1280, 48}, {1200, 0, 1280, 48}, true, 144, {1064, 17}},  // the island's own clock
  };
  for (const auto& [size, clock, island, dpi, place] : secondaries) {
    EXPECT_EQ(SecondaryTickerPlace(size, clock, island, {84, 14}, dpi), place) << size.width;
  }
  // The edge from the bar's place on a second monitor right of the first and lower down.
  for (const auto& [place, edge] : {std::pair{Rect{1024, 1506, 2048, 1536}, kEdgeBottom},
                                    {{1024, 768, 2048, 798}, kEdgeTop},
                                    {{1024, 768, 1086, 1536}, kEdgeLeft},
                                    {{1986, 768, 2048, 1536}, kEdgeRight}}) {
    EXPECT_EQ(EdgeOnMonitor(place, {1024, 768, 2048, 1536}), edge);
  }
}

TEST(TickerGeometry, StackedOnANarrowVerticalBar) {
  // One-line ticker, cells, vertical, thickness: the size shown.
  const std::tuple<Size, int, bool, int, Size> shapes[] = {
      {{105, 14}, 6, true, 58, {54, 44}},    // a numeral a line, a margin each side
      {{58, 14}, 4, true, 54, {50, 30}},     // two lines without seconds
      {{105, 14}, 6, true, 105, {105, 14}},  // held exactly: one line
      {{105, 14}, 6, false, 26, {105, 14}},  // a horizontal bar is never stacked
      {{105, 14}, 6, true, 3, {1, 44}},
  };
  for (const auto& [oneLine, cells, vertical, thickness, shape] : shapes) {
    EXPECT_EQ(ShapeTicker(oneLine, cells, vertical, thickness, kAt100), shape) << thickness;
    EXPECT_EQ(TickerLines(shape, kAt100), shape.height == 14 ? 1 : cells / 2) << thickness;
  }
  // Rows of the smallest slots (16 at caption 19) down past the ticker at Y 5.
  EXPECT_EQ(StackedBlankIconCount(58, {54, 44}, kAt100), 12);
  EXPECT_EQ(StackedBlankIconCount(10, {6, 30}, kAt100), 3);
  EXPECT_EQ(StackedBlankIconCount(58, {54, 44}, {3, 96}), 0);
  // In proportion, and always smaller, so that a shrinking font ends.
  EXPECT_EQ(ShrunkFontHeight(14, 70, 50), 10);
  EXPECT_EQ(ShrunkFontHeight(14, 51, 50), 13);
  EXPECT_EQ(ShrunkFontHeight(1, 70, 0), 1);
  // Windows 11 on a vertical bar: above the tray, centred on Start's width;
  // without a tray, 88 pixels from the bar's end.
  EXPECT_EQ(ModernTickerPlace({0, 680, 62, 768}, {11, 300, 51, 340}, {62, 768}, {58, 44}, 96),
            (Point{2, 636}));
  EXPECT_EQ(SecondaryTickerPlace({62, 706}, {}, true, {58, 44}, 96), (Point{2, 574}));
}

TEST(DecidePoll, EveryRowOfThePoll) {
  using A = PollAction;
  const Size tray{200, 30};
  const std::tuple<TaskbarSeen, TaskbarSeen, A> rows[] = {
      {{kEdgeBottom, tray, 1}, {kEdgeLeft, {}, 0}, A::kPlaceTopLeft},
      {{kEdgeLeft, {}, 0}, {kEdgeLeft, {}, 0}, A::kNothing},
      {{kEdgeLeft, {}, 0}, {kEdgeBottom, {}, 0}, A::kFitBesideClock},
      {{kEdgeBottom, tray, 1}, {kEdgeTop, {}, 0}, A::kFitBesideClock},
      {{kEdgeBottom, tray, 1}, {kEdgeBottom, {199, 30}, 1}, A::kFitBesideClock},
      {{kEdgeBottom, tray, 1}, {kEdgeBottom, {300, 29}, 1}, A::kFitBesideClock},
      {{kEdgeBottom, tray, 1}, {kEdgeBottom, {201, 31}, 1}, A::kNothing},
      {{kEdgeBottom, tray, 1}, {kEdgeBottom, tray, 1}, A::kNothing},
      {{kEdgeBottom, {}, 0}, {kEdgeBottom, tray, 1}, A::kNothing},  // after a move: records
      {{kEdgeBottom, tray, 1}, {kEdgeBottom, tray, 2}, A::kPlaceTopLeft},
      {{kEdgeBottom, tray, 1}, {kEdgeBottom, tray, 0}, A::kPlaceTopLeft},
      {{kEdgeBottom, tray, 1}, {4, {}, 0}, A::kNothing},
  };
  for (const auto& [last, now, action] : rows) {
    EXPECT_EQ(DecidePoll(last, now), action)
        << last.edge << " -> " << now.edge << " " << now.tray.width << "x" << now.tray.height;
  }
  EXPECT_TRUE(PollReadsTray(kEdgeTop, kEdgeTop));
  EXPECT_FALSE(PollReadsTray(kEdgeTop, kEdgeBottom));
  EXPECT_FALSE(PollReadsTray(kEdgeRight, kEdgeRight));
}

TEST(Menu, OrderCaptionsAndWhatEachOptionChanges) {
  std::string captions;
  for (const MenuEntry& entry : kMenu) {
    captions += std::string(entry.caption) + "|";
  }
  EXPECT_EQ(
      captions,
      "Set Date/Time|Calendar|" CLEP_HOME_URL "|About Clepsydrium " CLEP_VERSION
      "|Start with Windows|-|Roman date in Tooltip|Use Roman year (from 753 BC)|Show Roman feasts|"
      "Medieval script (4=IV, 9=IX, etc.)|Display 0 as dash|-|Lowercase|"
      "Borders|-|Text colour|Background colour|Taskbar colours|Set font|-|"
      "Hours, minutes, seconds|Hours and minutes|Roman hours|-|Exit|");
  // A toggle flips the switch its key names, its check mark with it, and back.
  const ClockSettings defaults;
  const auto checked = [](const MenuEntry& entry, const ClockSettings& settings) {
    return IsChecked(entry, {settings, false, false});
  };
  const auto value = [](const ClockSettings& settings, KeySet keys) {
    std::string text;
    for (int key = 0; key < kKeyCount; ++key) {
      text += (keys >> key & 1U) != 0 ? ValueText(settings, static_cast<Key>(key)) + "|" : "";
    }
    return text;
  };
  for (const MenuEntry& entry : kMenu) {
    if (entry.kind == MenuEntry::Kind::kToggle) {
      const ClockSettings once = ApplyCommand(defaults, entry.id, true);
      EXPECT_NE(value(once, entry.keys), value(defaults, entry.keys)) << entry.caption;
      EXPECT_EQ(checked(entry, once), !checked(entry, defaults)) << entry.caption;
      EXPECT_EQ(ApplyCommand(once, entry.id, true), defaults) << entry.caption;
    } else if (entry.kind == MenuEntry::Kind::kAction || entry.kind == MenuEntry::Kind::kSignIn) {
      EXPECT_EQ(entry.keys, 0U) << entry.caption;  // run by the program, not a setting
      EXPECT_EQ(ApplyCommand(defaults, entry.id, true), defaults) << entry.caption;
    }
  }
  // The seconds pair sets its switch, even twice, and checks one of two.
  const MenuEntry& with = *FindMenuEntry(Command::kWithSeconds);
  const MenuEntry& without = *FindMenuEntry(Command::kWithoutSeconds);
  ClockSettings settings = ApplyCommand(defaults, Command::kWithoutSeconds, true);
  EXPECT_EQ(TickerCells(settings), 4);
  EXPECT_FALSE(checked(with, settings));
  EXPECT_TRUE(checked(without, settings));
  EXPECT_EQ(value(settings, with.keys), "0|");
  settings = ApplyCommand(ApplyCommand(settings, Command::kWithSeconds, true),
                          Command::kWithSeconds, true);
  EXPECT_EQ(settings, defaults);
  // Borders flips the edge shown, the theme's included, and checks as shown;
  // Taskbar colours forgets both colours; Start with Windows checks as the sign-in has it.
  const MenuEntry& borders = *FindMenuEntry(Command::kBorders);
  EXPECT_TRUE(IsChecked(borders, {defaults, true, false}));
  EXPECT_FALSE(checked(borders, defaults));
  EXPECT_EQ(ApplyCommand(defaults, Command::kBorders, true).borders, false);
  EXPECT_EQ(ApplyCommand(defaults, Command::kBorders, false).borders, true);
  EXPECT_TRUE(IsChecked(*FindMenuEntry(Command::kStartWithWindows), {defaults, false, true}));
  const MenuEntry& follow = *FindMenuEntry(Command::kTaskbarColours);
  settings.colourBack = 0;
  settings.colourText = 0;
  EXPECT_FALSE(checked(follow, settings));
  settings = ApplyCommand(settings, Command::kTaskbarColours, true);
  EXPECT_TRUE(checked(follow, settings));
  EXPECT_EQ(value(settings, follow.keys), "||");
}

TEST(ColourScheme, WhatIsSeenGivesColoursAndEdge) {
  const Rgb face = 0xC8D0D4, red = 0x0000FF, dark = 0x202020, accent = 0xD77800;
  const ThemeSeen classic{false, false, false, face, kBlack, std::nullopt};
  const ThemeSeen darkBar{true, false, false, face, kBlack, dark};
  const ThemeSeen accentBar{true, false, false, face, kBlack, accent};
  const ThemeSeen unread{true, true, false, face, kBlack, std::nullopt};
  const ThemeSeen contrast{true, false, true, kBlack, kWhite, dark};
  const std::tuple<const char*, ChosenColours, ThemeSeen, ColourScheme> rows[] = {
      {"no theme values: the button colours, an edge", {}, classic, {kBlack, face, true}},
      {"an accent: the text that contrasts more", {}, accentBar, {kBlack, accent, false}},
      {"a bar not read: the theme's guess", {}, unread, {kBlack, 0xEEEEEE, false}},
      {"high contrast: the button colours, an edge", {}, contrast, {kWhite, kBlack, true}},
      {"chosen colours and edge stand", {red, kWhite, true}, darkBar, {red, kWhite, true}},
      {"a chosen background just darker than the turn: white on it",
       {{}, 0x757575, {}},
       darkBar,
       {kWhite, 0x757575, false}},
      {"chosen text over high contrast", {red, {}, false}, contrast, {red, kBlack, false}},
  };
  for (const auto& [name, chosen, seen, want] : rows) {
    EXPECT_EQ(DecideColours(chosen, seen), want) << name;
  }
  // An icon and a letter beside the ticker do not count; nothing read is nothing.
  EXPECT_EQ(BarColour({dark, 0x00FF00, dark, 0x212020, kWhite}), dark);
  EXPECT_EQ(BarColour({}), std::nullopt);
}

TEST(RunValue, NamesThisExeAsWindowsReadsIt) {
  const std::wstring exe =
      L"C:\\Users\\Ann\\AppData\\Local\\Programs\\Clepsydrium\\Clepsydrium.exe";
  const std::tuple<const wchar_t*, const wchar_t*, bool> rows[] = {
      {L"\"c:\\users\\ann\\appdata\\local\\programs\\clepsydrium\\CLEPSYDRIUM.EXE\"", L"", true},
      {L"C:/Users//Ann/AppData/Local/Programs/./x/../Clepsydrium/Clepsydrium.exe", L"", true},
      {L"\"C:\\Users\\Ann\\AppData\\Local\\Programs\\Clepsydrium\\Clepsydrium.exe.\" /min", L"",
       true},
      {L"\"\\\\?\\C:\\Users\\Ann\\AppData\\Local\\Programs\\Clepsydrium\\Clepsydrium.exe\" -x", L"",
       true},
      {L"\"D:\\Portable\\Clepsydrium\\Clepsydrium.exe\"", L"", false},  // a moved copy
      {L"\"C:\\Users\\Ann\\AppData\\Local\\Programs\\Clepsydrium\"", L"", false},
      {L"", L"", false},
      // Case as Windows folds it beyond ASCII; an unquoted path ends at ".exe".
      {L"\"C:\\\u0416\u03a9\u00e9\u0137\u0148\u0177\u017e\\a.exe\"",
       L"c:\\\u0436\u03c9\u00c9\u0136\u0147\u0176\u017d\\A.EXE", true},
      {L"C:\\My Apps\\a.exe /x", L"C:\\My Apps\\a.exe", true},
      {L"\\\\server\\share\\..\\..\\a.exe", L"\\\\SERVER\\share\\a.exe", true},
      {L"\"\\\\?\\UNC\\server\\share\\a.exe\"", L"\\\\server\\share\\a.exe", true},
      {L"C:\\a\\b.exe", L"C:\\a\\c.exe", false},
      {L"C:\\a\\bc.exe", L"C:\\ab\\c.exe", false},
  };
  for (const auto& [value, path, same] : rows) {
    EXPECT_EQ(SamePath(RunValuePath(value), *path != L'\0' ? path : exe), same)
        << std::string(value, value + std::wcslen(value));
  }
  const unsigned char on[12] = {2}, onToo[12] = {6}, off[12] = {3, 0, 0, 0, 1}, offToo[1] = {1};
  EXPECT_FALSE(SwitchedOff(on, 12) || SwitchedOff(onToo, 12) || SwitchedOff(off, 0));
  EXPECT_TRUE(SwitchedOff(off, 12) && SwitchedOff(offToo, 1));
}

TEST(Trace, OneLineForEachFailureAndTheNewestKept) {
  const char at[] = "2026-01-02 03:04:05";
  EXPECT_EQ(TraceLine(at, "writing x", "Access denied.\r\n", 5),
            "2026-01-02 03:04:05 writing x: Access denied (error 5)\r\n");
  EXPECT_EQ(TraceLine(at, "a bar\r\nwent", "ignored", 0), "2026-01-02 03:04:05 a bar went\r\n");
  // Whole, then the oldest line gone whole, then no whole line that fits.
  const std::pair<std::size_t, const char*> kept[] = {
      {6, "a\r\nb\r\n"},
      {5, "b\r\n"},
      {3, "b\r\n"},
      {2, ""},
  };
  for (const auto& [most, newest] : kept) {
    EXPECT_EQ(NewestLines("a\r\nb\r\n", most), newest) << most;
  }
}

}  // namespace
}  // namespace clep
