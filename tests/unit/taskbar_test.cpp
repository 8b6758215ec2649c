#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "taskbar_fixture.h"

namespace {

using platform::Rect;
using TrayWindowsTest = TaskbarFixture;
using GeometryTest = TaskbarFixture;

TEST_F(TrayWindowsTest, EachMissingWindowGivesItsNumberAndChangesNothing) {
  struct Case {
    const char* name;
    bool shell, tray, clock, clockNested;
    std::uint32_t error;  // 0: found
    int handlesSet;
  };
  const Case cases[] = {
      {"no shell", false, false, false, false, taskbar::kNoTaskbar, 0},
      {"no notification area", true, false, false, false, taskbar::kNoTray, 1},
      {"no clock", true, true, false, false, taskbar::kNoClock, 2},
      {"clock one level too deep", true, true, false, true, taskbar::kNoClock, 2},
      {"all there", true, true, true, false, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reset();
    sim::ShellOptions options;
    options.withTray = c.tray;
    options.withClock = c.clock;
    if (c.shell) {
      shell = sim::CreateShell(options);
    }
    if (c.clockNested) {
      const auto pane = sim::AddWindow("SysPager", shell.tray, {0, 0, 10, 10});
      sim::AddWindow("TrayClockWClass", pane, {0, 0, 10, 10});
    }
    std::uint32_t error = 0;
    try {
      taskbar::FindTrayWindows();
    } catch (const taskbar::TrayWindowError& e) {
      error = e.Number();
    }
    EXPECT_EQ(error, c.error);
    const platform::WindowHandle expected[] = {shell.taskbar, shell.tray, shell.clock};
    const platform::WindowHandle found[] = {taskbar::Tray.hWndTaskbar, taskbar::Tray.hWndTray,
                                            taskbar::Tray.hWndClock};
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(found[i], i < c.handlesSet ? expected[i] : 0) << "handle " << i;
    }
    EXPECT_TRUE(sim::Log().empty());
    EXPECT_TRUE(sim::Icons().empty());
  }
}

TEST_F(GeometryTest, FitTickerSizesFromCaptionAndCellsAndKeepsTheCorner) {
  struct Case {
    std::int32_t caption, cells, width, height;
    std::vector<std::uint32_t> icons;
  };
  const Case cases[] = {
      {19, 6, 84, 14, {1, 2, 3, 4, 5}},
      {19, 4, 56, 14, {1, 2, 3}},
      {26, 6, 126, 21, {1, 2, 3, 4, 5}},
      {26, 4, 84, 21, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "caption " << c.caption << ", cells " << c.cells);
    Reset();
    sim::SetCaptionHeight(c.caption);
    settings::TickerCells = c.cells;
    StartUp();
    EXPECT_EQ(Ticker(), (Rect{0, 5, c.width, 5 + c.height}));
    EXPECT_EQ(taskbar::TickerWidth, c.width);
    EXPECT_EQ(taskbar::TickerHeight, c.height);
    EXPECT_EQ(sim::IconIds(taskbar::TickerWindow), c.icons);
    // Away from the top-left place, the corner stays too.
    taskbar::PlaceTickerBesideClock();
    const Rect before = Ticker();
    taskbar::FitTicker();
    EXPECT_EQ(Ticker(), before);
  }
}

TEST_F(GeometryTest, FitTickerRebuildsTheIconsInsideOneFreeze) {
  StartUp();
  settings::TickerCells = 4;
  taskbar::FitTicker();
  const std::vector<sim::Event> log = sim::Log();
  ASSERT_GE(log.size(), 3U);
  EXPECT_EQ(Count(sim::Effect::kRedrawOff), 1);
  EXPECT_EQ(Count(sim::Effect::kRedrawOn), 1);
  EXPECT_EQ(Count(sim::Effect::kRepaint), 1);
  EXPECT_EQ(log.front().effect, sim::Effect::kRedrawOff);
  EXPECT_EQ(log[log.size() - 2].effect, sim::Effect::kRedrawOn);
  EXPECT_EQ(log.back().effect, sim::Effect::kRepaint);
  EXPECT_EQ(log.back().value, 0x181U);
  for (const sim::Event* event : {&log.front(), &log[log.size() - 2], &log.back()}) {
    EXPECT_EQ(event->window, shell.taskbar);
  }
  EXPECT_EQ(Count(sim::Effect::kIconDeleted), 5);
  EXPECT_EQ(Count(sim::Effect::kIconAdded), 3);
  EXPECT_FALSE(sim::IsRedrawOff(shell.taskbar));
}

TEST_F(GeometryTest, AFailureWhileFrozenStillUnfreezesAndRepaints) {
  const std::pair<const char*, void (*)()> steps[] = {{"fit", taskbar::FitTicker},
                                                      {"restore", taskbar::RestoreTaskbar}};
  for (const auto& [name, step] : steps) {
    SCOPED_TRACE(name);
    Reset();
    StartUp();
    taskbar::EmbedTicker();
    sim::FailNextIconCall();
    EXPECT_THROW(step(), std::runtime_error);
    EXPECT_FALSE(sim::IsRedrawOff(shell.taskbar));
    EXPECT_EQ(Count(sim::Effect::kRedrawOn), 1);
    EXPECT_EQ(sim::Log().back().effect, sim::Effect::kRepaint);
    // Nothing was lost half-way: the step can be done again.
    step();
    EXPECT_EQ(sim::IconIds(taskbar::TickerWindow).size(), name == std::string("fit") ? 5U : 0U);
  }
}

TEST_F(GeometryTest, BlankIconsFollowTheCellsAndAllGoAtExit) {
  StartUp();
  const std::int32_t slot = sim::Shell().slotWidth;
  // Another program's icon, which must survive ours.
  const platform::WindowHandle other = sim::AddWindow("OtherApp", 0, {});
  platform::AddNotifyIcon(other, 1, platform::kIconMessage, 0x400);
  const std::int32_t bareWidth = TrayWidth() - 5 * slot;
  // Seconds off, on, off: each refit leaves exactly cells - 1 icons.
  const std::vector<std::uint32_t> three{1, 2, 3}, five{1, 2, 3, 4, 5};
  for (const auto& [cells, ids] : {std::pair{4, three}, {6, five}, {4, three}}) {
    SCOPED_TRACE(testing::Message() << "cells " << cells);
    settings::TickerCells = cells;
    taskbar::FitTicker();
    EXPECT_EQ(sim::IconIds(taskbar::TickerWindow), ids);
    EXPECT_EQ(TrayWidth(), bareWidth + (cells - 1) * slot);
  }
  for (const sim::Icon& icon : sim::Icons()) {
    if (icon.owner == taskbar::TickerWindow) {
      EXPECT_EQ(icon.flags, platform::kIconMessage);
      EXPECT_EQ(icon.callbackMessage, platform::kMouseMoveMessage);
    }
  }
  // Whatever the cell count now, exit leaves none of ours and the others'.
  for (std::int32_t cellsBefore : {6, 4}) {
    for (std::int32_t cellsAtExit : {6, 4, 0}) {
      settings::TickerCells = cellsBefore;
      taskbar::FitTicker();
      settings::TickerCells = cellsAtExit;
      taskbar::RemoveBlankIcons();
      EXPECT_TRUE(sim::IconIds(taskbar::TickerWindow).empty());
      EXPECT_EQ(sim::IconIds(other), std::vector<std::uint32_t>{1});
      EXPECT_EQ(TrayWidth(), bareWidth);
    }
  }
}

TEST_F(GeometryTest, PlacementIsATwoStateMachine) {
  const auto topLeft = taskbar::PlaceTickerTopLeft;
  const auto beside = taskbar::PlaceTickerBesideClock;
  const auto fit = taskbar::FitTicker;
  const struct {
    void (*step)();
    int moves;
    bool atTopLeft;
  } steps[] = {
      {topLeft, 1, true}, {topLeft, 0, true}, {fit, 0, true},     {topLeft, 0, true},
      {beside, 1, false}, {beside, 1, false}, {fit, 0, false},    {topLeft, 1, true},
      {beside, 1, false}, {topLeft, 1, true}, {topLeft, 0, true},
  };
  Desktop();
  taskbar::FindTrayWindows();
  platform::SetWindowParent(taskbar::TickerWindow, shell.tray);
  taskbar::FitTicker();
  int index = 0;
  for (const auto& c : steps) {
    SCOPED_TRACE(testing::Message() << "step " << index++);
    sim::ClearLog();
    const Rect before = Ticker();
    c.step();
    EXPECT_EQ(Moves(), c.moves);
    EXPECT_EQ(taskbar::TickerAtTopLeft, c.atTopLeft);
    const platform::Point corner{Ticker().left, Ticker().top};
    if (c.moves == 0) {
      EXPECT_EQ(corner, (platform::Point{before.left, before.top}));
    } else {
      EXPECT_EQ(corner.y, c.atTopLeft ? 5 : 2);
      EXPECT_EQ(corner.x, c.atTopLeft ? 0 : TrayWidth() - 40 - 84 + 1);
    }
  }
}

TEST_F(GeometryTest, BesideTheClock) {
  // A 200-wide tray, a 40-wide clock and an 84-wide ticker.
  struct Case {
    bool clockShown, autoHide, queriesFail;
    std::int32_t x;
  };
  const Case cases[] = {
      {true, false, false, 77},  {true, true, false, 160}, {false, false, false, 117},
      {false, true, false, 200}, {true, true, true, 77},  // a failed state query means no auto-hide
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "clock " << c.clockShown << ", auto-hide " << c.autoHide
                                    << ", queries fail " << c.queriesFail);
    Reset();
    sim::ShellOptions options;
    options.clockShown = c.clockShown;
    options.autoHide = c.autoHide;
    options.trayPadding = 200 - 5 * options.slotWidth - (c.clockShown ? options.clockWidth : 0);
    StartUp(options);
    sim::FailAppBarQueries(c.queriesFail);
    ASSERT_EQ(TrayWidth(), 200);
    taskbar::PlaceTickerBesideClock();
    EXPECT_EQ(Ticker(), (Rect{c.x, 2, c.x + 84, 2 + 14}));
  }
}

TEST_F(GeometryTest, CountTrayRowsMeasuresBelowAClockAtTheTop) {
  // Caption 19: rows of 16. The tray is the taskbar's thickness less 2 x 4.
  struct Case {
    std::int32_t trayHeight, clockTop, clockHeight;
    bool clockShown;
    std::int32_t rows;
  };
  const Case cases[] = {
      {22, 2, 18, true, 1},   // a clock lower down is ignored
      {46, 0, 46, true, 0},   //
      {48, 0, 16, true, 2},   //
      {48, 0, 16, false, 3},  // a hidden clock counts as nothing
      {15, 2, 11, true, 0},   //
      {31, 1, 16, true, 1},   //
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tray " << c.trayHeight << ", clock top " << c.clockTop
                                    << " height " << c.clockHeight);
    Reset();
    sim::ShellOptions options;
    options.thickness = c.trayHeight + 2 * options.inset;
    options.clockTop = c.clockTop;
    options.clockHeight = c.clockHeight;
    options.clockShown = c.clockShown;
    StartUp(options);
    EXPECT_EQ(taskbar::CountTrayRows(), c.rows);
  }
}

TEST(TrayRowsFor, NoRowsWithoutAPositiveRowHeight) {
  for (std::int32_t caption : {3, 2, 1, 0}) {
    EXPECT_EQ(taskbar::TrayRowsFor(22, {}, caption), 0) << "caption " << caption;
  }
}

}  // namespace
