#include "taskbar/watch.h"

#include <optional>

#include "taskbar_fixture.h"

namespace {

using platform::kEdgeBottom;
using platform::kEdgeLeft;
using platform::kEdgeRight;
using platform::kEdgeTop;
using taskbar::WatchAction;

class WatchTest : public TaskbarFixture {
 protected:
  // What the last tick did, read from the desktop's log.
  static WatchAction Observed() {
    const bool fitted = Count(sim::Effect::kRedrawOff) > 0;
    const int moves = Moves();
    if (fitted && moves == 1 && Ticker().top == taskbar::kBesideClockY) {
      return WatchAction::kFitBesideClock;
    }
    if (!fitted && moves == 1 && Ticker().left == 0 && Ticker().top == 5) {
      return WatchAction::kPlaceTopLeft;
    }
    return fitted || moves > 0 ? WatchAction::kReadTray : WatchAction::kNothing;
  }

  static WatchAction Tick() {
    sim::ClearLog();
    taskbar::CheckTaskbar();
    return Observed();
  }
};

TEST_F(WatchTest, DecisionTable) {
  constexpr std::int32_t kSame = -1;  // last edge = the edge read
  struct Row {
    const char* name;
    std::int32_t edge;       // where the taskbar stands
    std::int32_t answer;     // what the edge query reads, -1: the truth, -2: fails
    std::int32_t lastEdge;   // kSame or an edge
    std::int32_t thickness;  // 30: one row beside the clock, 56: two
    std::int32_t lastWidthOver, lastHeightOver;  // last size minus current
    WatchAction action;
    bool storesSize;
  };
  const Row rows[] = {
      {"to the left", kEdgeLeft, -1, kEdgeBottom, 30, 0, 0, WatchAction::kPlaceTopLeft, false},
      {"to the right", kEdgeRight, -1, kEdgeTop, 30, 0, 0, WatchAction::kPlaceTopLeft, false},
      {"still left", kEdgeLeft, -1, kSame, 30, 0, 0, WatchAction::kNothing, false},
      {"still right", kEdgeRight, -1, kSame, 30, 0, 0, WatchAction::kNothing, false},
      {"bottom to top", kEdgeTop, -1, kEdgeBottom, 30, 0, 0, WatchAction::kFitBesideClock, false},
      {"left to bottom", kEdgeBottom, -1, kEdgeLeft, 30, 0, 0, WatchAction::kFitBesideClock, false},
      {"narrower", kEdgeBottom, -1, kSame, 30, 1, 0, WatchAction::kFitBesideClock, true},
      {"lower", kEdgeTop, -1, kSame, 30, 0, 1, WatchAction::kFitBesideClock, true},
      {"lower, wider", kEdgeBottom, -1, kSame, 30, -9, 1, WatchAction::kFitBesideClock, true},
      {"narrower, taller", kEdgeBottom, -1, kSame, 30, 1, -9, WatchAction::kFitBesideClock, true},
      {"unchanged", kEdgeBottom, -1, kSame, 30, 0, 0, WatchAction::kNothing, true},
      {"wider", kEdgeBottom, -1, kSame, 30, -1, 0, WatchAction::kNothing, true},
      {"taller", kEdgeTop, -1, kSame, 30, 0, -1, WatchAction::kNothing, true},
      {"two rows", kEdgeBottom, -1, kSame, 56, 0, 0, WatchAction::kPlaceTopLeft, true},
      {"two rows, narrower", kEdgeBottom, -1, kSame, 56, 5, 5, WatchAction::kPlaceTopLeft, true},
      {"no row", kEdgeBottom, -1, kSame, 20, 0, 0, WatchAction::kPlaceTopLeft, true},
      {"edge 4", kEdgeBottom, 4, kEdgeBottom, 30, 0, 0, WatchAction::kNothing, false},
      {"edge 4 again", kEdgeBottom, 4, kSame, 30, 1, 1, WatchAction::kNothing, false},
      {"query fails", kEdgeBottom, -2, kEdgeBottom, 30, 0, 0, WatchAction::kPlaceTopLeft, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Reset();
    sim::ShellOptions options;
    options.edge = row.edge;
    options.thickness = row.thickness;
    if (row.thickness > 30) {
      options.clockTop = 0;
      options.clockHeight = 16;
    }
    StartUp(options);
    taskbar::PlaceTickerBesideClock();  // so that a move to the top-left place shows
    if (row.answer == -2) {
      sim::FailAppBarQueries(true);
    } else if (row.answer >= 0) {
      sim::SetEdgeAnswer(row.answer);
    }
    const std::int32_t edgeRead = taskbar::GetTaskbarEdge();
    std::int32_t width = 0;
    std::int32_t height = 0;
    taskbar::GetTrayClientSize(width, height);
    taskbar::LastEdge = row.lastEdge == kSame ? edgeRead : row.lastEdge;
    taskbar::LastTrayWidth = width + row.lastWidthOver;
    taskbar::LastTrayHeight = height + row.lastHeightOver;

    EXPECT_EQ(Tick(), row.action);
    EXPECT_EQ(taskbar::LastEdge, edgeRead);
    EXPECT_EQ(taskbar::LastTrayWidth, row.storesSize ? width : 0);
    EXPECT_EQ(taskbar::LastTrayHeight, row.storesSize ? height : 0);
    EXPECT_EQ(sim::IconIds(taskbar::TickerWindow).size(), 5U);
  }
}

// A run as the user would see it, tick by tick, from start-up on.
TEST_F(WatchTest, FollowsTheTaskbarAcrossChanges) {
  struct Step {
    const char* name;
    void (*change)();
    WatchAction action;
  };
  const Step steps[] = {
      // Start-up measured the tray before the icons widened it.
      {"first tick", [] {}, WatchAction::kNothing},
      {"clock hidden", [] { sim::SetWindowShown(taskbar::Tray.hWndClock, false); },
       WatchAction::kFitBesideClock},
      {"to the top", [] { sim::MoveTaskbar(kEdgeTop); }, WatchAction::kFitBesideClock},
      // After an edge change the size was stored as 0 x 0: no shrink is seen.
      {"shrunk at once", [] { sim::SetTaskbarThickness(29); }, WatchAction::kNothing},
      {"shrunk later", [] { sim::SetTaskbarThickness(28); }, WatchAction::kFitBesideClock},
      {"two rows", [] { sim::SetTaskbarThickness(56); }, WatchAction::kPlaceTopLeft},
      // The top-left place is kept without another move.
      {"still two rows", [] {}, WatchAction::kNothing},
      {"one row, shorter", [] { sim::SetTaskbarThickness(30); }, WatchAction::kFitBesideClock},
      {"to the left", [] { sim::MoveTaskbar(kEdgeLeft); }, WatchAction::kPlaceTopLeft},
      {"still left", [] { sim::SetTaskbarThickness(60); }, WatchAction::kNothing},
  };
  StartUp();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    step.change();
    EXPECT_EQ(Tick(), step.action);
    EXPECT_EQ(sim::IconIds(taskbar::TickerWindow).size(), 5U);
  }
}

}  // namespace
