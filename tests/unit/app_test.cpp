#include "app/program.h"

#include <fstream>
#include <functional>
#include <stdexcept>
#include <vector>

#include "ticker_fixture.h"

namespace {

using sim::Call;
using sim::Effect;

class AppTest : public TickerFixture {
 protected:
  static std::vector<Call> CallKinds() {
    std::vector<Call> kinds;
    for (const sim::CallRecord& record : sim::Calls()) {
      kinds.push_back(record.call);
    }
    return kinds;
  }
  static std::size_t MarkOf(Call call) {
    for (const sim::CallRecord& record : sim::Calls()) {
      if (record.call == call) {
        return record.desktopMark;
      }
    }
    return SIZE_MAX;
  }
  // One message box, and nothing of the program on the desktop or on disk.
  void ExpectOnlyBox(const std::string& text, std::uint32_t style) const {
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text, text);
    EXPECT_EQ(sim::MessageBoxes()[0].style, style);
    EXPECT_EQ(sim::MessageBoxes()[0].title, "Clepsydrium");
    EXPECT_EQ(sim::CountCalls(Call::kLoadForm), 0u);
    EXPECT_TRUE(sim::Log().empty());
    EXPECT_TRUE(sim::Icons().empty());
    EXPECT_FALSE(std::filesystem::exists(IniPath()));
  }
};

TEST_F(AppTest, MainRunsItsStepsInOrder) {
  std::ofstream(IniPath(), std::ios::binary) << "[Configuration]\r\nMedievalScript=0\r\n";
  const std::string file = Ini();
  shell = sim::CreateShell();
  const std::int32_t emptyTray = platform::ClientRect(shell.tray).right;
  sim::QueueAction([&] {
    EXPECT_FALSE(settings::Current.MedievalScript);
    EXPECT_EQ(*roman::LatinDates.Find("0201"), "a.d. IIII Nonas Ianuarias");
    EXPECT_EQ(taskbar::LastTrayWidth, emptyTray);  // read before the icons came
    EXPECT_EQ(sim::ParentOf(sim::FormHandle()), shell.tray);
    EXPECT_EQ(Ticker(), (platform::Rect{0, 5, 84, 19}));
    EXPECT_EQ(sim::IconIds(sim::FormHandle()).size(), 5u);
    Choose(frmClepsydrium::mnuExit);
  });
  sim::QueueAction([] { ADD_FAILURE() << "the show went on after Exit"; });
  app::Main();

  EXPECT_EQ(sim::PendingActions(), 1u);
  const std::vector<Call> calls = {Call::kLoadForm, Call::kShowForm,       Call::kPopupMenu,
                                   Call::kHideForm, Call::kRefreshSurface, Call::kUnloadForm};
  EXPECT_EQ(CallKinds(), calls);
  // Nothing touched the desktop before the load; the place came before the
  // icons; the taskbar was given back before the unload.
  const std::vector<sim::Event> log = sim::Log();
  EXPECT_EQ(MarkOf(Call::kLoadForm), 0u);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[0].effect, Effect::kPositioned);
  EXPECT_EQ(log[0].value, platform::kPosNoSize | platform::kPosNoZOrder);
  EXPECT_EQ(log[1].effect, Effect::kRedrawOff);
  EXPECT_EQ(MarkOf(Call::kUnloadForm), log.size());
  // Frozen, five icons gone, unfrozen, repainted with the children.
  EXPECT_EQ(log.size() - MarkOf(Call::kShowForm), 8u);
  EXPECT_EQ(log[MarkOf(Call::kShowForm)].effect, Effect::kRedrawOff);
  EXPECT_EQ(log.back().effect, Effect::kRepaint);
  EXPECT_EQ(log.back().window, shell.taskbar);
  EXPECT_EQ(log.back().value, 0x181u);
  EXPECT_TRUE(sim::Icons().empty());
  EXPECT_FALSE(sim::FormLoaded());
  EXPECT_EQ(Ini(), file);  // nothing is written at exit
}

TEST_F(AppTest, EveryWayOutRestoresTheTaskbar) {
  const std::pair<const char*, std::function<void()>> ways[] = {
      {"Exit", [] { Choose(frmClepsydrium::mnuExit); }},
      {"closed", sim::CloseForm},
      {"session ends",
       [] {
         sim::EndSession();  // restored before the process may die
         EXPECT_TRUE(sim::Icons().empty());
         EXPECT_EQ(sim::ParentOf(sim::FormHandle()), 0u);
       }},
  };
  for (const auto& [name, way] : ways) {
    SCOPED_TRACE(name);
    Reset();
    shell = sim::CreateShell();
    sim::QueueAction(way);
    EXPECT_EQ(app::RunProgram(), 0);
    EXPECT_TRUE(sim::Icons().empty());
    EXPECT_FALSE(sim::FormLoaded());
    EXPECT_EQ(Count(Effect::kIconDeleted), 5);
    EXPECT_EQ(Count(Effect::kRedrawOff), 2);  // the fit at start, the restore once
    EXPECT_TRUE(sim::MessageBoxes().empty());
  }
}

TEST_F(AppTest, SecondInstanceOnlySaysSo) {
  sim::SetPreviousInstance(true);
  shell = sim::CreateShell();
  EXPECT_EQ(app::RunProgram(), 0);
  ExpectOnlyBox("Clepsydrium already running", 48);
  EXPECT_EQ(roman::LatinDates.Count(), 0u);
}

TEST_F(AppTest, MissingShellWindowReportsItsNumber) {
  const std::pair<bool, const char*> rows[] = {
      {false, "Run-time error -2147221504 (80040000)"},
      {true, "Run-time error -2147221503 (80040001)"},
  };
  for (const auto& [taskbarOnly, text] : rows) {
    SCOPED_TRACE(text);
    Reset();
    if (taskbarOnly) {
      sim::ShellOptions options;
      options.withTray = false;
      shell = sim::CreateShell(options);
    }
    EXPECT_EQ(app::RunProgram(), 1);
    ExpectOnlyBox(text, 16);
  }
}

TEST_F(AppTest, ErrorsAreReportedWithTheTaskbarGivenBack) {
  const std::pair<std::function<void()>, const char*> rows[] = {
      {[] { throw std::runtime_error("broken"); }, "broken"},
      // Main's own restore fails half-way; the top-level handler tries again.
      {[] {
         sim::FailNextIconCall();
         Choose(frmClepsydrium::mnuExit);
       },
       "icon call failed on purpose"},
      // The session ends before the error is reported: it restores all the same.
      {[] {
         sim::FailNextIconCall();
         Choose(frmClepsydrium::mnuShort);
         sim::EndSession();
         EXPECT_TRUE(sim::Icons().empty());
       },
       "icon call failed on purpose"},
  };
  for (const auto& [action, detail] : rows) {
    SCOPED_TRACE(detail);
    Reset();
    shell = sim::CreateShell();
    sim::QueueAction(action);
    sim::QueueAction([] { ADD_FAILURE() << "the show went on after the error"; });
    EXPECT_EQ(app::RunProgram(), 1);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text,
              std::string("Run-time error -2147467259 (80004005)\r\n\r\n") + detail);
    // The report does not leave a dead ticker in the tray.
    EXPECT_TRUE(sim::Icons().empty());
    EXPECT_FALSE(sim::IsRedrawOff(shell.taskbar));
    EXPECT_FALSE(sim::FormLoaded());
  }
}

}  // namespace
