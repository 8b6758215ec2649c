// The shell's promises the program leans on, as a real shell (under Wine) and
// the simulated one keep them: re-parenting and coordinates, icons by owner
// and id, and the notification area's size seen at once after it widens.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "platform/shell.h"
#include "platform/window.h"
#include "shell_side.h"

namespace {

using platform::Point;
using platform::Rect;
using platform::WindowHandle;

class ShellContract : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!contract::OpenShell()) {
      GTEST_SKIP() << "no taskbar with a notification area (the driver starts one)";
    }
    tray =
        platform::FindChildWindow(platform::FindTopLevelWindow("Shell_TrayWnd"), "TrayNotifyWnd");
    window = platform::FindTopLevelWindow("ClepContractWindow");
    Home();
  }
  // The real shell outlives each test: give back what it lent.
  void TearDown() override {
    if (window != 0) {
      Home();
    }
  }
  void Home() {
    platform::SetWindowParent(window, 0);
    platform::PositionWindow(window, 0, 7, 9, 30, 10, platform::kPosNoZOrder);
  }
  Point InTray(WindowHandle from, Point point) {
    platform::MapPoints(from, tray, &point, 1);
    return point;
  }

  WindowHandle tray = 0;
  WindowHandle window = 0;
};

TEST_F(ShellContract, ReparentingKeepsTheNumbersAndMovesInTheParentsCoordinates) {
  platform::SetWindowParent(window, tray);
  EXPECT_EQ(platform::FindChildWindow(tray, "ClepContractWindow"), window);
  EXPECT_EQ(InTray(window, {0, 0}), (Point{7, 9}));

  platform::PositionWindow(window, 0, 3, 5, 84, 14, platform::kPosNoZOrder);
  Point screen{};
  platform::MapPoints(tray, 0, &screen, 1);
  EXPECT_EQ(platform::WindowRect(window),
            (Rect{screen.x + 3, screen.y + 5, screen.x + 87, screen.y + 19}));
  EXPECT_EQ(platform::ClientRect(window), (Rect{0, 0, 84, 14}));
  EXPECT_EQ(InTray(window, {1, 2}), (Point{4, 7}));

  platform::PositionWindow(window, 0, 50, 60, 0, 0, platform::kPosNoSize | platform::kPosNoZOrder);
  EXPECT_EQ(InTray(window, {0, 0}), (Point{50, 60}));
  EXPECT_EQ(platform::ClientRect(window), (Rect{0, 0, 84, 14}));

  platform::SetWindowParent(window, 0);
  EXPECT_EQ(platform::FindChildWindow(tray, "ClepContractWindow"), 0u);
  EXPECT_EQ(platform::FindTopLevelWindow("ClepContractWindow"), window);
}

TEST_F(ShellContract, IconsByOwnerAndIdWithTheirResults) {
  struct Step {
    const char* what;
    bool add;
    WindowHandle owner;
    std::uint32_t id;
    bool result;
  };
  const Step steps[] = {
      {"add", true, window, 1, true},
      {"duplicate add", true, window, 1, false},
      {"same id, other owner", true, tray, 1, true},
      {"other id", true, window, 2, true},
      {"delete", false, window, 1, true},
      {"delete again", false, window, 1, false},
      {"unknown id", false, window, 77, false},
      {"re-add after delete", true, window, 1, true},
  };
  for (const Step& step : steps) {
    const bool result = step.add
                            ? platform::AddNotifyIcon(step.owner, step.id, platform::kIconMessage,
                                                      platform::kMouseMoveMessage)
                            : platform::DeleteNotifyIcon(step.owner, step.id);
    EXPECT_EQ(result, step.result) << step.what;
  }
  for (const auto& [owner, id] : {std::pair{window, 1u}, {window, 2u}, {tray, 1u}}) {
    EXPECT_TRUE(platform::DeleteNotifyIcon(owner, id)) << id;
  }
}

TEST_F(ShellContract, TheWidenedTrayIsSeenAtOnce) {
  const Rect before = platform::ClientRect(tray);
  ASSERT_TRUE(
      platform::AddNotifyIcon(window, 9, platform::kIconMessage, platform::kMouseMoveMessage));
  const Rect wider = platform::ClientRect(tray);
  EXPECT_GT(wider.right, before.right);
  EXPECT_EQ(wider.bottom, before.bottom);
  ASSERT_TRUE(platform::DeleteNotifyIcon(window, 9));
  EXPECT_EQ(platform::ClientRect(tray), before);
}

}  // namespace
