// The settings rules, the taskbar arithmetic and the menu table.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "menu/menu.h"
#include "settings/clock_settings.h"
#include "taskbar/placement.h"

namespace clep {
namespace {

TEST(ParseNumber, SignedDecimalWithin32BitsOnly) {
  const std::pair<const char*, std::optional<std::int32_t>> rows[] = {
      {"0", 0},
      {"-2147483633", -2147483633},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", std::nullopt},
      {"99999999999", std::nullopt},
      {"+5", std::nullopt},
      {"0x10", std::nullopt},
      {"10.5", std::nullopt},
      {"1 2", std::nullopt},
      {"", std::nullopt},
      {"-", std::nullopt},
  };
  for (const auto& [text, value] : rows) {
    EXPECT_EQ(ParseNumber(text), value) << text;
  }
}

TEST(ShownFontSize, KeepsTheStandardSizeOrClamps) {
  EXPECT_EQ(ShownFontSize(0), std::nullopt);
  EXPECT_EQ(ShownFontSize(-4), std::nullopt);
  EXPECT_EQ(ShownFontSize(12), 12);
  EXPECT_EQ(ShownFontSize(10000), kLargestFontSize);
  EXPECT_EQ(ShownFontSize(2147483647), kLargestFontSize);
}

TEST(TickerGeometry, SizeIconsAndPlaces) {
  EXPECT_EQ(TickerSize(19, 6), (Size{84, 14}));
  EXPECT_EQ(TickerSize(26, 4), (Size{84, 21}));
  EXPECT_EQ(BlankIconCount(6), 5);
  EXPECT_EQ(BlankIconCount(4), 3);
  EXPECT_EQ(BlankIconCount(1), 0);
  EXPECT_EQ(BesideClockX(200, 40, 84, false), 77);
  EXPECT_EQ(BesideClockX(200, 40, 84, true), 160);
  EXPECT_EQ(BesideClockX(200, 0, 84, false), 117);
}

TEST(TickerGeometry, BesideTheModernTray) {
  const Size bar{1024, 48};
  const Size ticker{84, 14};
  EXPECT_EQ(ModernTickerPlace({900, 0, 1024, 48}, {0, 0, 48, 48}, bar, ticker, 96),
            (Point{816, 17}));
  // An empty tray: the clock area is the right-most 88 pixels, scaled.
  EXPECT_EQ(ModernTickerPlace({}, {400, 4, 444, 44}, bar, ticker, 144), (Point{808, 17}));
  EXPECT_EQ(ModernTickerPlace({900, 0, 1024, 48}, {}, {1024, 40}, ticker, 96), (Point{816, 13}));
}

TEST(TickerGeometry, RowsUnderTheClock) {
  struct Row {
    int trayHeight;
    Rect clock;
    int rows;
  };
  const Row rows[] = {
      {22, {0, 2, 40, 20}, 1},  // a clock not at the top counts as nothing
      {46, {0, 0, 40, 46}, 0},
      {48, {0, 0, 40, 16}, 2},
      {15, {}, 0},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CountTrayRows(row.trayHeight, row.clock, 19), row.rows) << row.trayHeight;
  }
  EXPECT_EQ(CountTrayRows(40, {}, 3), 0);  // no row height: no division by zero
}

TEST(DecideWatch, EveryRowOfTheWatch) {
  using A = WatchAction;
  struct Row {
    TaskbarSeen last;
    TaskbarSeen now;
    A action;
  };
  const Size tray{200, 30};
  const Row rows[] = {
      {{kEdgeBottom, tray, 1}, {kEdgeLeft, {}, 0}, A::kPlaceTopLeft},
      {{kEdgeLeft, {}, 0}, {kEdgeLeft, {}, 0}, A::kNothing},
      {{kEdgeLeft, {}, 0}, {kEdgeBottom, {}, 0}, A::kFitBesideClock},
      {{kEdgeBottom, tray, 1}, {kEdgeTop, {}, 0}, A::kFitBesideClock},
      {{kEdgeBottom, tray, 1}, {kEdgeBottom, {199, 30}, 1}, A::kFitBesideClock},
      {{kEdgeBottom, tray, 1}, {kEdgeBottom, {300, 29}, 1}, A::kFitBesideClock},
      {{kEdgeBottom, tray, 1}, {kEdgeBottom, {201, 31}, 1}, A::kNothing},
      {{kEdgeBottom, {}, 0}, {kEdgeBottom, tray, 1}, A::kNothing},  // after a move: records
      {{kEdgeBottom, tray, 1}, {kEdgeBottom, tray, 2}, A::kPlaceTopLeft},
      {{kEdgeBottom, tray, 1}, {kEdgeBottom, tray, 0}, A::kPlaceTopLeft},
      {{kEdgeBottom, tray, 1}, {4, {}, 0}, A::kNothing},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(DecideWatch(row.last, row.now), row.action)
        << row.last.edge << " -> " << row.now.edge << " " << row.now.tray.width << "x"
        << row.now.tray.height << " rows " << row.now.rows;
  }
  EXPECT_TRUE(WatchReadsTray(kEdgeTop, kEdgeTop));
  EXPECT_FALSE(WatchReadsTray(kEdgeTop, kEdgeBottom));
  EXPECT_FALSE(WatchReadsTray(kEdgeRight, kEdgeRight));
}

TEST(Menu, OrderCaptionsAndOptions) {
  std::string captions;
  for (const MenuEntry& entry : kMenu) {
    captions += std::string(entry.caption) + "|";
  }
  EXPECT_EQ(captions, "Set Date/Time|" CLEP_HOME_URL "|About Clepsydrium " CLEP_VERSION
                      "|-|Roman date in Tooltip|Use Roman year (from 753 BC)|"
                      "Medieval script (4=IV, 9=IX, etc.)|Display 0 as dash|-|Lowercase|"
                      "Borders|-|Text colour|Background colour|Set font|-|"
                      "Hours, minutes, seconds|Hours and minutes|-|Exit|");
  // Each option flips the switch its key names, and flips it back.
  const ClockSettings defaults;
  for (const MenuEntry& entry : kMenu) {
    if (entry.kind != MenuEntry::Kind::kToggle) {
      continue;
    }
    const ClockSettings once = ApplyCommand(defaults, entry.id);
    EXPECT_NE(ValueText(once, entry.key), ValueText(defaults, entry.key)) << entry.caption;
    EXPECT_EQ(IsChecked(entry, once), !*IsChecked(entry, defaults)) << entry.caption;
    EXPECT_EQ(ApplyCommand(once, entry.id), defaults) << entry.caption;
  }
}

TEST(Menu, TheSecondsPairSetsAndChecksOneOfTwo) {
  const MenuEntry& with = *FindMenuEntry(Command::kWithSeconds);
  const MenuEntry& without = *FindMenuEntry(Command::kWithoutSeconds);
  ClockSettings settings = ApplyCommand(ClockSettings{}, Command::kWithoutSeconds);
  EXPECT_FALSE(settings.displaySeconds);
  EXPECT_EQ(TickerCells(settings), 4);
  EXPECT_EQ(IsChecked(with, settings), false);
  EXPECT_EQ(IsChecked(without, settings), true);
  EXPECT_EQ(ValueText(settings, with.key), "0");
  settings = ApplyCommand(ApplyCommand(settings, Command::kWithSeconds), Command::kWithSeconds);
  EXPECT_TRUE(settings.displaySeconds);
  EXPECT_EQ(IsChecked(without, settings), false);
  EXPECT_EQ(ApplyCommand(settings, Command::kAbout), settings);
  EXPECT_EQ(FindMenuEntry(Command::kNone), nullptr);
}

}  // namespace
}  // namespace clep
