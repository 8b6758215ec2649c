// The shell ends and starts again while the program runs: the ticker waits
// without a window, then comes back into the new notification area as it was.
#include <functional>
#include <sstream>
#include <utility>
#include <vector>

#include "app/program.h"
#include "ticker_fixture.h"

namespace {

using platform::Rect;
using platform::Timer;
using sim::Call;
using sim::Effect;
namespace form = frmClepsydrium;

class ShellRestartTest : public TickerFixture {
 protected:
  // All the form shows or keeps of itself, for a before-and-after compare.
  static std::string FormState() {
    std::ostringstream out;
    for (std::size_t item = 0; item < sim::MenuCount(); ++item) {
      out << sim::MenuChecked(item) << sim::MenuCaption(item) << '|';
    }
    const sim::Surface& surface = sim::SurfaceState();
    out << surface.text << '|' << surface.foreColour << '|' << surface.backColour << '|'
        << surface.fontName << ' ' << surface.fontSize << surface.fontBold << surface.fontItalic
        << '|' << surface.toolTip << '|' << sim::TimerOf(Timer::kTicker).enabled
        << sim::TimerOf(Timer::kCheck).enabled << '|'
        << sim::WindowLong(sim::FormHandle(), platform::kStyleIndex) << ' '
        << sim::WindowLong(sim::FormHandle(), platform::kExStyleIndex);
    return out.str();
  }
  static std::vector<std::uint32_t> TickerIcons() { return sim::IconIds(sim::FormHandle()); }

  // Runs the program: the first action changes the form's state from its
  // design and kills the shell; then come the actions given.
  int RunWithShellGone(const std::vector<std::function<void()>>& then) {
    shell = sim::CreateShell();
    sim::QueueAction([this] {
      sim::AnswerColor(0x0000FF);
      Choose(form::mnuColourText);
      sim::AnswerFont({"Courier New", 10, true, false});
      Choose(form::mnuFont);
      Choose(form::mnuLowercase);
      Choose(form::mnuZeroAsDash);
      sim::MouseMove();
      sim::AdvanceTime(1000);
      before_ = FormState();
      sim::DestroyShell();
      sim::PumpMessages();
      sim::ClearLog();
    });
    for (const auto& action : then) {
      sim::QueueAction(action);
    }
    return app::RunProgram();
  }

  std::string before_;
};

TEST_F(ShellRestartTest, TickerWaitsForTheShellAndComesBackAsItWas) {
  std::int32_t emptyTray = 0;
  const int code = RunWithShellGone({
      [] {
        // Nothing ticks, nothing is touched, the show goes on.
        const std::size_t checks = sim::TimerOf(Timer::kCheck).ticks;
        sim::AdvanceTime(2000);
        EXPECT_EQ(sim::TimerOf(Timer::kCheck).ticks, checks);
        EXPECT_TRUE(sim::Log().empty());
        EXPECT_TRUE(sim::FormLoaded());
        EXPECT_EQ(sim::FormHandle(), 0u);
        EXPECT_FALSE(taskbar::TickerEmbedded);
        form::tmrCheck_Timer();  // a stray tick watches nothing
        EXPECT_TRUE(sim::Log().empty());
      },
      [] {
        // A shell still without its notification area: nothing changes.
        sim::ShellOptions bare;
        bare.withTray = false;
        sim::CreateShell(bare);
        sim::TaskbarCreated();
        EXPECT_EQ(sim::FormHandle(), 0u);
        EXPECT_EQ(taskbar::Tray.hWndTaskbar, 0u);
        EXPECT_TRUE(sim::Log().empty());
        sim::DestroyShell();
      },
      [&] {
        shell = sim::CreateShell();
        emptyTray = platform::ClientRect(shell.tray).right;
        sim::TaskbarCreated();
      },
      [&] {
        EXPECT_EQ(sim::ParentOf(sim::FormHandle()), shell.tray);
        EXPECT_TRUE(sim::FormShown());
        EXPECT_EQ(Ticker(), (Rect{0, 5, 84, 19}));
        EXPECT_EQ(TickerIcons(), (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
        EXPECT_EQ(taskbar::LastEdge, platform::kEdgeBottom);
        EXPECT_EQ(taskbar::LastTrayWidth, emptyTray);
        EXPECT_FALSE(sim::IsRedrawOff(shell.taskbar));
        EXPECT_EQ(FormState(), before_);
        const std::size_t checks = sim::TimerOf(Timer::kCheck).ticks;
        sim::AdvanceTime(250);
        EXPECT_EQ(sim::TimerOf(Timer::kCheck).ticks, checks + 1);
        Choose(form::mnuExit);
      },
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(sim::CountCalls(Call::kRebuildForm), 1u);
  EXPECT_TRUE(sim::Icons().empty());
  EXPECT_EQ(sim::ParentOf(shell.tray), shell.taskbar);
  EXPECT_FALSE(sim::IsRedrawOff(shell.taskbar));
  EXPECT_FALSE(sim::FormLoaded());
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(ShellRestartTest, BroadcastFromALiveShellRefitsTheSameWindow) {
  shell = sim::CreateShell();
  sim::QueueAction([this] {
    const platform::WindowHandle window = sim::FormHandle();
    // Moved by the shell itself, unknown to the placement's state.
    platform::PositionWindow(window, 0, 30, 1, 0, 0, platform::kPosNoSize);
    taskbar::LastEdge = platform::kEdgeTop;
    sim::ClearLog();
    sim::TaskbarCreated();
    EXPECT_EQ(sim::FormHandle(), window);
    EXPECT_EQ(Ticker(), (Rect{0, 5, 84, 19}));
    EXPECT_EQ(TickerIcons(), (std::vector<std::uint32_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(taskbar::LastEdge, platform::kEdgeBottom);
    EXPECT_EQ(taskbar::LastTrayWidth, TrayWidth());
    Choose(form::mnuExit);
  });
  EXPECT_EQ(app::RunProgram(), 0);
  EXPECT_EQ(sim::CountCalls(Call::kRebuildForm), 0u);
  EXPECT_TRUE(sim::Icons().empty());
}

TEST_F(ShellRestartTest, EveryWayOutWithTheShellGoneOrBack) {
  const auto restart = [this] {
    shell = sim::CreateShell();
    sim::TaskbarCreated();
  };
  const auto fail = [] {
    taskbar::LastEdge = platform::kEdgeLeft;  // the tick refits, and fails
    sim::FailNextIconCall();
    sim::FireTimer(Timer::kCheck);
  };
  struct Row {
    const char* name;
    bool restarted;
    std::function<void()> way;
    int code;
  };
  const Row rows[] = {
      {"closed while gone", false, sim::CloseForm, 0},
      {"session ends while gone", false, sim::EndSession, 0},
      {"exit after the restart", true, [] { Choose(form::mnuExit); }, 0},
      {"a handler fails after the restart", true, fail, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Reset();
    std::vector<std::function<void()>> then;
    if (row.restarted) {
      then.push_back(restart);
    }
    then.push_back(row.way);
    EXPECT_EQ(RunWithShellGone(then), row.code);
    EXPECT_TRUE(sim::Icons().empty());
    EXPECT_FALSE(sim::FormLoaded());
    EXPECT_EQ(sim::MessageBoxes().size(), static_cast<std::size_t>(row.code));
    if (row.restarted) {
      EXPECT_EQ(sim::ParentOf(shell.tray), shell.taskbar);
      EXPECT_FALSE(sim::IsRedrawOff(shell.taskbar));
      EXPECT_EQ(sim::Log().back().effect, Effect::kRepaint);
    } else {
      EXPECT_TRUE(sim::Log().empty());  // no stale handle was used
    }
  }
}

}  // namespace
